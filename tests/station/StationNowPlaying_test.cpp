#include "broadcast/UdpListener.h"
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
    CorvaneSettings& settings = station.Core().MutableSettings();
    settings.AutoCrossFade = false;
    settings.LoopScheduleContinuously = false;
    settings.NowPlaying.File = folder.File("now.txt");
    settings.NowPlaying.Template = "%title%|%artist%|%category%|%nexttitle%|%nextartist%";
    settings.NowPlaying.UdpTarget = rds.Target();
    settings.NowPlaying.StationText = "Radio Corvane";

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

} // namespace
} // namespace corvane::testing
