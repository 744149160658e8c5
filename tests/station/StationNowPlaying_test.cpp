#include "broadcast/UdpListener.h"
#include "commercials/CommercialListFiles.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/TempFolder.h"
#include "support/WaveFiles.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace corvane::testing {
namespace {

constexpr int Rate = 44100;

std::string Tone(const TempFolder& folder, const std::string& name, int ms) {
    const std::string path = folder.File(name);
    WriteWave16(path, Rate, 2, std::vector<int16_t>(static_cast<size_t>(Rate) * ms / 1000 * 2, 3000));
    return path;
}

// Items one after another, each told with `textTemplate` into "now.txt" and
// to `rds`; items not told and breaks are "Radio Corvane".
void AnnounceEachItem(CorvaneSettings& settings, const TempFolder& folder, const UdpListener& rds,
                      const std::string& textTemplate) {
    settings.AutoCrossFade = false;
    settings.LoopScheduleContinuously = false;
    settings.NowPlaying.File = folder.File("now.txt");
    settings.NowPlaying.Template = textTemplate;
    settings.NowPlaying.UdpTarget = rds.Target();
    settings.NowPlaying.StationText = "Radio Corvane";
}

// Notes the virtual time the item display names each item.
class DisplayTimes final : public HeadlessStationView {
public:
    explicit DisplayTimes(VirtualStudio& studio) : studio_(studio) {}
    void ShowItemHeard(const std::string& title, const std::string&, int) override {
        shown.push_back({title, studio_.NowMs()});
    }
    struct Shown {
        std::string title;
        int64_t atMs;
    };
    std::vector<Shown> shown;

private:
    VirtualStudio& studio_;
};

// Three rows (a song, a commercial, a song): listeners are told each item at
// the moment the item display names it, about the output's queue after its
// deck opened; the commercial is told as the station text, and each
// announcement names the item after it.
TEST(StationNowPlaying, AnnouncesWhatIsHeardWhenTheItemDisplayChanges) {
    TempFolder folder;
    UdpListener rds;
    StudioSeams seams;
    VirtualWaveDevice device(seams.studio);
    Station station(seams.seams(), {device, {}}, {folder.Path(), "corvane", {}});
    DisplayTimes view(seams.studio);
    station.Attach(view);
    station.Data().OpenTables();
    AnnounceEachItem(station.Core().MutableSettings(), folder, rds,
                     "%title%|%artist%|%category%|%nexttitle%|%nextartist%");

    Table& schedule = station.Data().cdsSchedule;
    const struct {
        const char* title;
        const char* artist;
        const char* category;
        int ms;
    } rows[] = {
        {"Alpha", "Ann", "Pop", 4000}, {"Spot", "Shop", "Commercial", 3000}, {"Beta", "Bob", "Rock", 4000}};
    for (const auto& row : rows) {
        schedule.Append();
        schedule.FieldByName("TitleName").SetAsString(row.title);
        schedule.FieldByName("TitleArtistName").SetAsString(row.artist);
        schedule.FieldByName("Category").SetAsString(row.category);
        schedule.FieldByName("LocalPathToFile")
            .SetAsString(Tone(folder, std::string(row.title) + ".wav", row.ms));
        schedule.Post();
    }
    schedule.First();

    station.Playout().StartItem();
    std::vector<std::optional<int64_t>> deckOpenedMs(4), announcedMs(4);
    std::string lastFile;
    int announcements = 0;
    for (int64_t step = 0; step < 13000 / 10; ++step) {
        seams.studio.Run(10);
        const int onDeck = station.Playout().CurrentItem();
        if (onDeck >= 1 && onDeck <= 3 && !deckOpenedMs[onDeck])
            deckOpenedMs[onDeck] = seams.studio.NowMs();
        const std::string file = folder.Read("now.txt");
        if (file != lastFile && !file.empty())
            announcedMs[++announcements] = seams.studio.NowMs();
        lastFile = file;
    }
    station.Detach();

    EXPECT_EQ(rds.Receive(), "Alpha|Ann|Pop|Spot|Shop\n");
    EXPECT_EQ(rds.Receive(), "Radio Corvane\n");
    EXPECT_EQ(rds.Receive(), "Beta|Bob|Rock||\n");
    EXPECT_EQ(folder.Read("now.txt"), "Beta|Bob|Rock||\n");
    ASSERT_EQ(announcements, 3);
    ASSERT_EQ(view.shown.size(), 3u);
    for (int item = 2; item <= 3; ++item) {
        SCOPED_TRACE(item);
        ASSERT_TRUE(deckOpenedMs[item] && announcedMs[item]);
        const int64_t afterDisplayMs = *announcedMs[item] - view.shown[static_cast<size_t>(item - 1)].atMs;
        EXPECT_TRUE(afterDisplayMs >= 0 && afterDisplayMs < 10)
            << "told in the 10 ms step the display changed";
        EXPECT_GE(*announcedMs[item] - *deckOpenedMs[item], 1000) << "not when the deck opened";
    }
}

// The status bar's first panel.
class Told final : public HeadlessStationView {
public:
    void SetStatusText(int panel, const std::string& text) override {
        if (panel == 0)
            status = text;
    }
    std::string status;
};

// A station with two songs (20 s each) and the now-playing file and UDP line.
struct AnnouncingStation {
    AnnouncingStation() {
        station.Attach(view);
        station.Data().OpenTables();
        AnnounceEachItem(station.Core().MutableSettings(), folder, rds, "%title%");
        Table& schedule = station.Data().cdsSchedule;
        for (const char* title : {"Alpha", "Beta"}) {
            schedule.Append();
            schedule.FieldByName("TitleName").SetAsString(title);
            schedule.FieldByName("LocalPathToFile")
                .SetAsString(Tone(folder, std::string(title) + ".wav", 20000));
            schedule.Post();
        }
        schedule.First();
    }
    ~AnnouncingStation() { station.Detach(); }
    // Runs `ms` in steps of 10 ms, noting each change of the file.
    void Run(int64_t ms) {
        for (int64_t step = 0; step < ms / 10; ++step) {
            seams.studio.Run(10);
            const std::string text = folder.Read("now.txt");
            if (!text.empty() && (changes.empty() || changes.back().text != text))
                changes.push_back({text, seams.studio.NowMs()});
        }
    }
    // The UDP lines sent so far.
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        while (auto line = rds.Receive(0))
            lines.push_back(*line);
        return lines;
    }

    TempFolder folder;
    UdpListener rds;
    StudioSeams seams;
    VirtualWaveDevice device{seams.studio};
    Station station{seams.seams(), {device, {}}, {folder.Path(), "corvane", {}}};
    Told view;
    struct Change {
        std::string text;
        int64_t atMs;
    };
    std::vector<Change> changes;
};

// A break is told when its first spot is heard, not when it trips (the
// output holds more than a second of the music then); when it ends the
// interrupted item, which does not come back, is never told again: the next
// item is, when it is heard.
TEST(StationNowPlaying, ABreakIsToldWhenHeardAndTheInterruptedItemIsNotToldAgain) {
    AnnouncingStation s;
    const std::string spot = Tone(s.folder, "spot.wav", 3000);
    std::filesystem::create_directories(s.folder.Path() / "ads");
    WriteCommercialList(s.folder.Path() / "ads" / "today.ads", {{"09:00", spot, 3}});
    CommercialBreaks& breaks = s.station.Commercials();
    breaks.SetListFolder(s.folder.Path() / "ads");
    breaks.SelectList("today.ads");
    s.station.Playout().StartItem();
    s.Run(3000);
    const int64_t heldMs = s.station.Playout().mmAudioOut().HeldMs();
    ASSERT_GT(heldMs, 500);
    const int64_t trippedMs = s.seams.studio.NowMs();
    breaks.TripCommercial();
    s.Run(10000);
    ASSERT_EQ(s.changes.size(), 3u);
    EXPECT_EQ(s.changes[0].text, "Alpha\n");
    EXPECT_EQ(s.changes[1].text, "Radio Corvane\n");
    EXPECT_GE(s.changes[1].atMs, trippedMs + heldMs - 30) << "told as the spot is heard";
    EXPECT_LE(s.changes[1].atMs, trippedMs + heldMs + 60);
    EXPECT_EQ(s.changes[2].text, "Beta\n");
    EXPECT_GE(s.changes[2].atMs, trippedMs + heldMs + 3000 - 30) << "told when Beta is heard";
    EXPECT_EQ(s.Lines(), (std::vector<std::string>{"Alpha\n", "Radio Corvane\n", "Beta\n"}));
}

// The sound server is gone for a few seconds: listeners are not told the
// same item again at every attempt, nor when it comes back; the status bar
// names the item heard again at once.
TEST(StationNowPlaying, ADeviceLostAndBackTellsTheItemOnceAndShowsItAgain) {
    AnnouncingStation s;
    s.station.Playout().StartItem();
    s.Run(3000);
    EXPECT_EQ(s.view.status, "Playing: Alpha.wav");
    using Call = VirtualWaveDevice::Call;
    for (const Call call : {Call::Open, Call::Write, Call::Pause, Call::Resume, Call::Reset, Call::Close})
        s.device.FailAlways(call, "Connection refused");
    s.device.BreakStream("WaveOutWrite", "Connection refused");
    s.Run(4500);
    ASSERT_TRUE(s.station.Playout().WaitingForDevice());
    s.device.Heal();
    s.Run(3000);
    ASSERT_FALSE(s.station.Playout().WaitingForDevice());
    EXPECT_EQ(s.view.status, "Playing: Alpha.wav");
    EXPECT_EQ(s.Lines(), (std::vector<std::string>{"Alpha\n"}));
}

} // namespace
} // namespace corvane::testing
