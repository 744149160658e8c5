#include "StationEventsFixture.h"
#include "commercials/CommercialListFiles.h"

#include <filesystem>

namespace corvane::testing {
namespace {

// The queue of the output: what a part does is heard this much later (ms).
constexpr int64_t QueueMs = 64 * 4096 * 1000 / (44100 * 4);

class StationCommercialEventsTest : public StationEventsTest {
protected:
    // Today's list ("20260105.ads", found by its date) with a break at 09:01
    // of one two-second spot at 2200 Hz, in the program folder's "ads".
    void WriteTodaysList() {
        std::filesystem::create_directories(folder / "ads");
        WriteCommercialList(folder / "ads" / "20260105.ads", {{"09:01", ToneFile("spot.wav", 2, 2200, 0.4)}});
        station.Commercials().SetListFolder(folder / "ads");
    }
};

// No list is loaded: the event selects today's, fades the music and airs the
// break; the schedule resumes after it.
TEST_F(StationCommercialEventsTest, StartCommercialAirsTheNextBreak) {
    WriteTodaysList();
    AddScheduleRow(ToneFile("a.wav", 30, 440));
    AddScheduleRow(ToneFile("b.wav", 30, 660));
    station.Data().cdsSchedule.First();
    station.Playout().StartItem();
    const int id = AddEvent(5, "Start Commercial");
    Run(5000);
    EXPECT_EQ(Status(id), "Completed") << Message("failed");
    EXPECT_TRUE(station.Playout().CommercialBreak());
    Run(10000);
    const int64_t spotFrom = 5000 + QueueMs + station.Core().Settings().FadeOutCommercial;
    EXPECT_GT(Tone(spotFrom, spotFrom + 1500, 2200), 0.3);
    EXPECT_LT(Tone(spotFrom, spotFrom + 1500, 440), 0.02);
    EXPECT_GT(Tone(spotFrom + 2500, spotFrom + 4000, 660), 0.2);
    EXPECT_FALSE(station.Playout().CommercialBreak());
}

TEST_F(StationCommercialEventsTest, StopCommercialEndsTheBreakAndResumes) {
    WriteTodaysList();
    WriteCommercialList(folder / "ads" / "20260105.ads", {{"09:01", ToneFile("long.wav", 20, 2200, 0.4)}});
    AddScheduleRow(ToneFile("a.wav", 30, 440));
    AddScheduleRow(ToneFile("b.wav", 30, 660));
    station.Data().cdsSchedule.First();
    station.Playout().StartItem();
    AddEvent(2, "Start Commercial");
    const int stop = AddEvent(6, "Stop Commercial");
    Run(7000);
    EXPECT_EQ(Status(stop), "Completed") << Message("failed");
    Run(3000);
    EXPECT_FALSE(station.Playout().CommercialBreak());
    EXPECT_GT(Tone(8000 + QueueMs, 9000 + QueueMs, 660), 0.2);
}

TEST_F(StationCommercialEventsTest, RefreshCommercialsLoadsTodaysList) {
    WriteTodaysList();
    const int id = AddEvent(2, "Refresh Commercials");
    Run(3000);
    EXPECT_EQ(Status(id), "Completed");
    EXPECT_EQ(std::filesystem::path(station.Commercials().CurrentList()).filename(), "20260105.ads");
    EXPECT_EQ(station.Commercials().NextBreakTime(), "09:01");
    EXPECT_NE(Message("No ad schedule import"), "");
}

// Each commercial event that cannot act fails and says why.
TEST_F(StationCommercialEventsTest, CommercialEventsThatCannotActFail) {
    const struct {
        const char* type;
        const char* why;
    } cases[] = {
        {"Start Commercial", "no commercial list is loaded and none was found for today"},
        {"Stop Commercial", "no commercial break is on air"},
        {"Refresh Commercials", "no commercial list was found for today"},
    };
    std::vector<int> ids;
    for (size_t i = 0; i < std::size(cases); ++i)
        ids.push_back(AddEvent(2.0 + static_cast<double>(i), cases[i].type));
    Run(6000);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Status(ids[i]), "Failed") << cases[i].type;
        EXPECT_NE(Message(std::string("\"") + cases[i].type + "\" failed: " + cases[i].why), "")
            << cases[i].type;
    }
    EXPECT_NE(folder.Read("zrexcept.log").find("no commercial break is on air"), std::string::npos);
}

} // namespace
} // namespace corvane::testing
