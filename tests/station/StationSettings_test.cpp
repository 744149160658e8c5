#include "audio/decks/DeckFixtures.h"
#include "loudness/AnalyseAudioFile.h"
#include "loudness/LoudnessStore.h"
#include "playout/PlayoutFixture.h"
#include "station/StartedStation.h"
#include "support/FolderListing.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace corvane::testing {
namespace {

std::string ToneFile(const TempFolder& folder, const std::string& name, double seconds, double hz) {
    return WriteSineFile(folder / name, seconds, hz, 0.3);
}

// A station started on a data folder of its own whose "corvane.ini" holds
// `settings`.
struct StationOnSettings {
    explicit StationOnSettings(const std::string& settings)
        : written((std::ofstream(folder / "corvane.ini") << settings).good()), started(folder.Path()) {}
    TempFolder folder;
    bool written;
    StartedStation started;
    Station& station = started.station;
    StudioSeams& seams = started.seams;
    VirtualWaveDevice& device = started.device;
};

// A new station (no "corvane.ini" yet) starts with loudness normalising and
// cue points on: without them the files' own silences put seconds of dead air
// between the first show's items. A settings file that exists keeps its
// values, also where it says nothing of them.
TEST(StationSettings, ANewStationNormalisesAndUsesCuePointsAndAnExistingOneKeepsItsValues) {
    {
        TempFolder folder;
        StartedStation started(folder.Path());
        EXPECT_TRUE(started.station.Core().Settings().LoudnessNormalise);
        EXPECT_TRUE(started.station.Core().Settings().UseCuePoints);
    }
    const struct {
        const char* settings;
        bool on;
    } cases[] = {
        {"[Corvane_System]\nOutputBuffers=8\n", false},
        {"", false},
        {"[Corvane_Audio]\nLoudnessNormalise=1\nUseCuePoints=1\n", true},
    };
    for (const auto& c : cases) {
        StationOnSettings s(c.settings);
        EXPECT_EQ(s.station.Core().Settings().LoudnessNormalise, c.on) << c.settings;
        EXPECT_EQ(s.station.Core().Settings().UseCuePoints, c.on) << c.settings;
    }
}

// The output's queue is as long as the settings say from the first start:
// the sound configuration's choice used to be lost at every start, so carts
// always waited behind 1.5 s of queued audio.
TEST(StationSettings, TheOutputQueueTakesItsBufferCountFromTheSettingsAtStartUp) {
    const struct {
        const char* settings;
        int buffers;
    } cases[] = {
        {"", 64},
        {"[Corvane_System]\nOutputBuffers=8\n", 8},
        {"[Corvane_System]\nOutputBuffers=1\n", 64},
        {"[Corvane_System]\nOutputBuffers=many\n", 64},
        {"[Corvane_System]\nOutputBuffers=100000\n", 500},
    };
    for (const auto& c : cases) {
        StationOnSettings s(c.settings);
        EXPECT_EQ(s.station.Playout().mmAudioOut().NumBuffers(), c.buffers) << c.settings;
    }

    // With 8 buffers a cart fired over the item on air is heard within 0.2 s.
    StationOnSettings s("[Corvane_System]\nOutputBuffers=8\n");
    Table& schedule = s.station.Data().cdsSchedule;
    schedule.Append();
    schedule.FieldByName("LocalPathToFile").SetAsString(ToneFile(s.folder, "music.wav", 6, 440));
    schedule.Post();
    schedule.First();
    s.station.Playout().StartItem();
    s.seams.studio.Run(2000);
    const int64_t fired = s.seams.studio.NowMs();
    s.station.Rack().PlayCart(ToneFile(s.folder, "cart.wav", 1, 1000));
    s.seams.studio.Run(1000);
    int64_t heard = -1;
    for (int64_t t = fired - 20; t < fired + 1000 && heard < 0; t += 2)
        if (ToneLevel(s.device.Played(), {t, t + 10}, 1000) > 0.15)
            heard = t;
    ASSERT_GE(heard, fired - 10);
    EXPECT_LE(heard - fired, 200);
}

// Offline (the renderer) the station takes every setting that decides what is
// heard, as the console does, but sends nothing out and writes nothing into a
// folder a console may be running on: no stream, no session, no table or
// settings written, even at its close.
TEST(StationSettings, OfflineTheSettingsThatDecideWhatIsHeardApplyAndNothingIsWritten) {
    TempFolder folder;
    std::ofstream(folder / "corvane.ini") << "[Corvane_System]\nOutputBuffers=8\n"
                                             "[Corvane_Audio]\nLoudnessNormalise=1\nLoudnessTarget=-18\n"
                                             "UseCuePoints=1\n"
                                             "[Corvane_Stream]\nEnabled=1\nHost=127.0.0.1\nPort=9\n";
    {
        StudioSeams seams;
        VirtualWaveDevice device(seams.studio);
        std::optional<Station> station;
        station.emplace(seams.seams(), StationDevices{device, {}},
                        StationSetup{folder.Path(), "corvane", {}});
        // Building it makes the data module's sub-folders and the loudness
        // store, as every program on the folder does; from its start on
        // nothing changes.
        const FolderListing before = ListFolder(folder.Path());
        station->Start(StationMode::Offline);
        EXPECT_EQ(station->Playout().mmAudioOut().NumBuffers(), 8);
        EXPECT_TRUE(station->Core().Settings().LoudnessNormalise);
        EXPECT_EQ(station->Core().Settings().LoudnessTarget, -18);
        EXPECT_TRUE(station->Core().Settings().UseCuePoints);
        EXPECT_EQ(station->Stream(), nullptr);
        Table& library = station->Data().cdsAudioLibrary;
        library.Append();
        library.FieldByName("TitleName").SetAsString("changed offline");
        library.Post();
        seams.studio.Run(3 * ConsoleCore::AutosaveIntervalMs);
        station->Close();
        station.reset();
        EXPECT_EQ(ChangedEntries(before, ListFolder(folder.Path())), std::vector<std::string>{});
    }

    // The console on the same folder starts the stream its settings ask for.
    StartedStation console(folder.Path());
    EXPECT_NE(console.station.Stream(), nullptr);
}

// With no window at all, the first showing loads the last schedule and starts
// it when the settings say so, and the close saves the settings: the
// station's life is its own.
TEST(StationSettings, WithNoWindowTheLastScheduleLoadsAndStartsAtTheFirstShowing) {
    TempFolder folder;
    const std::string show = (folder / "show.wsl").string();
    {
        StartedStation maker(folder.Path(), StationMode::Offline);
        Table& schedule = maker.station.Data().cdsSchedule;
        for (const char* name : {"one.wav", "two.wav"}) {
            schedule.Append();
            schedule.FieldByName("LocalPathToFile").SetAsString(ToneFile(folder, name, 3, 440));
            schedule.Post();
        }
        schedule.SaveToFile(show);
    }
    std::ofstream(folder / "corvane.ini")
        << "[Corvane_General]\nWelcomeDone=1\n[Corvane_Schedule]\n"
           "AutoLoadLastSchedule=1\nAutoStartSchedule=1\nLastScheduleLocation="
        << show << "\n";
    StartedStation s(folder.Path());
    EXPECT_EQ(s.station.Data().cdsSchedule.RecordCount(), 0);
    s.station.Show();
    EXPECT_EQ(s.station.Data().cdsSchedule.RecordCount(), 2);
    s.seams.studio.Run(2000);
    EXPECT_TRUE(s.station.Playout().OnAir());
    EXPECT_GT(ToneLevel(s.device.Played(), {1000, 1500}, 440), 0.1);
    s.station.Close();
    EXPECT_FALSE(s.station.Playout().OnAir());
    EXPECT_FALSE(std::filesystem::exists(folder / ConsoleCore::SessionFile)) << "a clean end";
}

// On air, a measurement that does not fit the file as its deck opened it is
// dropped and the title measured again on the workers, so its next airing
// has a measurement of its own.
TEST(StationSettings, AMeasurementThatDoesNotFitIsMeasuredAgain) {
    TempFolder folder;
    std::ofstream(folder / "corvane.ini") << "[Corvane_Audio]\nLoudnessNormalise=1\nUseCuePoints=1\n";
    const std::string song = ToneFile(folder, "song.wav", 4, 1000);
    StartedStation s(folder.Path());
    LoudnessStore& store = s.station.Loudness();
    AnalysisResult longer = AnalyseAudioFile(song, {});
    ASSERT_TRUE(longer.Analysed());
    longer.analysis->durationMs = 60000;
    longer.analysis->cueOutMs = 55000;
    store.Save(song, *CurrentFileVersion(song), longer);

    Table& schedule = s.station.Data().cdsSchedule;
    schedule.Append();
    schedule.FieldByName("LocalPathToFile").SetAsString(song);
    schedule.Post();
    schedule.First();
    s.station.Playout().StartItem();
    // The measuring's results reach the station as posted work.
    for (int i = 0;
         i < 200000 && (store.FindAnalysis(song) == std::nullopt || s.station.TitleAnalysis().Running()); ++i)
        s.seams.studio.Run(10);
    const auto measured = store.FindAnalysis(song);
    ASSERT_TRUE(measured);
    EXPECT_NEAR(measured->durationMs, 4000, 50);
}

} // namespace
} // namespace corvane::testing
