#include "StudioTime.h"
#include "asrun/AsRunReader.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

constexpr int Rate = 44100;

// Notes the studio time the silence light goes on and off.
class SilenceLight final : public HeadlessStationView {
public:
    explicit SilenceLight(VirtualStudio& studio) : studio_(studio) {}
    void ShowSilenceAlarm(bool on) override { changes.push_back({on, studio_.NowMs()}); }
    struct Change {
        bool on;
        int64_t atMs;
    };
    std::vector<Change> changes;

private:
    VirtualStudio& studio_;
};

// A show of four rows back to back: a tone, a title with a quiet intro
// shorter than the delay, a silent title (decoding to silence) and a tone.
// The intro raises nothing; the silent title raises the alarm within the
// delay and half a second of the air going silent (as the virtual device
// played it), one message line and a silence record; the next tone clears
// it when it is heard, with the silence's length.
TEST(StationSilence, TheAlarmFiresOnTimeClearsAndIgnoresAQuietIntro) {
    TempFolder folder;
    StudioSeams seams;
    VirtualWaveDevice device(seams.studio);
    Station station(seams.seams(), {device, {}}, {folder.Path(), "corvane", {}});
    SilenceLight light(seams.studio);
    station.Attach(light);
    station.Start(StationMode::Console);
    CorvaneSettings& settings = station.Core().MutableSettings();
    settings.AutoCrossFade = false;
    settings.LoopScheduleContinuously = false;
    settings.FadeInDefault = 0;
    ASSERT_EQ(settings.Silence.DelayMs, 5000);
    ASSERT_EQ(settings.Silence.ThresholdDbfs, -50);

    Table& schedule = station.Data().cdsSchedule;
    const auto row = [&](const char* title, const std::vector<ToneStretch>& stretches) {
        const std::string path = folder.File(std::string(title) + ".wav");
        WriteToneFile(path, Rate, 2, stretches);
        schedule.Append();
        schedule.FieldByName("TitleName").SetAsString(title);
        schedule.FieldByName("LocalPathToFile").SetAsString(path);
        schedule.Post();
    };
    row("Opener", {{440, -12, 6000}});
    row("Quiet intro", {{0, 0, 4000}, {660, -12, 4000}});
    row("Silent", {{0, 0, 10000}});
    row("Closer", {{990, -12, 4000}});
    schedule.First();
    station.Playout().StartItem();
    seams.studio.Run(30000);

    const PlayedAudio& heard = device.Streams().front();
    std::vector<TimeSpan> silences;
    for (const TimeSpan& s : heard.FindSilences(1000))
        if (s.startMs < 26000)
            silences.push_back(s);
    ASSERT_EQ(silences.size(), 2u) << "the intro and the silent title";
    const TimeSpan silent = silences[1];
    ASSERT_EQ(light.changes.size(), 2u) << "one alarm, for the silent title only";
    EXPECT_TRUE(light.changes[0].on);
    const int64_t raisedAfterMs = light.changes[0].atMs - silent.startMs;
    std::printf("silent from %lld to %lld ms; raised %lld ms after, cleared at %lld ms\n",
                static_cast<long long>(silent.startMs), static_cast<long long>(silent.endMs),
                static_cast<long long>(raisedAfterMs), static_cast<long long>(light.changes[1].atMs));
    EXPECT_GE(raisedAfterMs, 5000);
    EXPECT_LE(raisedAfterMs, 5500);
    EXPECT_FALSE(light.changes[1].on);
    EXPECT_NEAR(static_cast<double>(light.changes[1].atMs), static_cast<double>(silent.endMs), 60);

    const auto& lines = station.Playout().Memo1.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("Silence on air since ", 0) == 0; }),
              1);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& l) { return l.rfind("Silence on air ended after ", 0) == 0; }),
        1);

    ASSERT_TRUE(station.AsRunFiles()->Flush());
    const auto records = ReadAsRunDays(station.AsRunFiles()->Folder(), "2026-01-05", "2026-01-05").records;
    const auto it = std::find_if(records.begin(), records.end(),
                                 [](const AsRunRecord& r) { return r.kind == AsRunKind::Silence; });
    ASSERT_NE(it, records.end());
    EXPECT_EQ(it->title.title, "Silent");
    EXPECT_NEAR(static_cast<double>(StudioMs(it->actualStart)), static_cast<double>(silent.startMs), 60);
    ASSERT_TRUE(it->raised && it->actualEnd);
    EXPECT_EQ(StudioMs(*it->raised), light.changes[0].atMs);
    EXPECT_NEAR(static_cast<double>(StudioMs(*it->actualEnd)), static_cast<double>(silent.endMs), 60);
    EXPECT_EQ(it->endedBy, EndedBy::AirBack);
    station.Detach();
}

} // namespace
} // namespace corvane::testing
