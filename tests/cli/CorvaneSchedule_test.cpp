#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>

namespace corvane {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

constexpr const char* Format = R"([Clock Hour]
Slot1=Category Current
Slot2=Category Gold
Slot3=Break 120
Slot4=Category Current
Slot5=Fill Gold

[Week]
Default=Hour

[Rules]
ArtistSeparation=60
TitleSeparation=240
MaxInARow=Tempo Fast 2
Breakable=MaxInARow
)";

class ScheduleTool : public ::testing::Test {
protected:
    TempFolder folder;
    std::filesystem::path station = folder / "station";

    void SetUp() override { std::filesystem::create_directories(station); }

    // A library of `current` Current titles and `gold` Gold titles of many
    // lengths, each by its own artist, unless `oneArtist`.
    void WriteLibrary(int current, int gold, bool oneArtist = false) {
        StudioSeams seams;
        TdmQelData data(station.string(), "schedule-test", seams.studio.clock(), seams.prompter,
                        seams.fileDialogs);
        Table& library = data.cdsAudioLibrary;
        library.CreateDataSet();
        for (int i = 0; i < current + gold; ++i) {
            library.Append();
            library.FieldByName("TitleID").SetAsInteger(i + 1);
            library.FieldByName("TitleName").SetAsString("Song " + std::to_string(i + 1));
            library.FieldByName("TitleArtistName")
                .SetAsString(oneArtist ? "Solo" : "Artist " + std::to_string(i));
            library.FieldByName("Category").SetAsString(i < current ? "Current" : "Gold");
            library.FieldByName("Tempo").SetAsString(i % 3 == 0 ? "Fast" : "Slow");
            library.FieldByName("TitleDuration").SetAsDateTime((120 + (i * 13) % 200) / SecondsPerDay);
            library.FieldByName("LocalPathToFile").SetAsString("/music/" + std::to_string(i + 1) + ".mp3");
            library.Post();
        }
        library.SaveToFile(library.FileName());
    }
    int Run(const std::string& arguments) {
        const std::string command = std::string(CORVANE_SCHEDULE) + " " + arguments + " >" +
                                    (folder / "out.txt").string() + " 2>" + (folder / "err.txt").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() { return ReadText(folder / "out.txt"); }
    std::string Err() { return ReadText(folder / "err.txt"); }
    std::string Generate(const std::string& more = {}) {
        return "--folder " + station.string() + " --from 2026-12-14 --days 2" + more;
    }
    // The TitleIDs of a day's schedule file, in order.
    std::vector<int64_t> TitleIdsOf(const std::filesystem::path& path) {
        StudioSeams seams;
        TdmQelData data((folder / "reader").string(), "schedule-test", seams.studio.clock(), seams.prompter,
                        seams.fileDialogs);
        data.cdsSchedule.LoadFromFile(path.string());
        std::vector<int64_t> ids;
        for (data.cdsSchedule.First(); !data.cdsSchedule.Eof(); data.cdsSchedule.Next())
            ids.push_back(data.cdsSchedule.FieldByName("TitleID").AsLargeInt());
        return ids;
    }
};

// Days written as schedule files with their reports beside them, one line
// per day, the same seed giving the same days, and each day passing the
// tool's own check.
TEST_F(ScheduleTool, GeneratesDaysWithReportsThatPassTheirCheck) {
    WriteLibrary(60, 600);
    WriteText(station / "scheduling.ini", Format);
    ASSERT_EQ(Run(Generate()), 0) << Err() << Out();
    EXPECT_NE(Out().find("2026-12-14: "), std::string::npos) << Out();
    EXPECT_NE(Out().find("2026-12-15: "), std::string::npos) << Out();
    EXPECT_NE(Out().find(" 0 unfilled, 0 rules relaxed, 0 hours off"), std::string::npos) << Out();
    const std::filesystem::path day = station / "Logs/2026-12-14.wsl";
    for (const char* name : {"2026-12-14.wsl", "2026-12-14.txt", "2026-12-14.csv", "2026-12-15.wsl"})
        EXPECT_TRUE(std::filesystem::is_regular_file(station / "Logs" / name)) << name;
    EXPECT_NE(ReadText(station / "Logs/2026-12-14.txt").find("ArtistSeparation (unbreakable)"),
              std::string::npos);
    const std::vector<int64_t> first = TitleIdsOf(day);
    EXPECT_GT(first.size(), 24u * 10);

    EXPECT_EQ(Run("--check " + day.string()), 0) << Out() << Err();
    EXPECT_NE(Out().find(" 0 violations"), std::string::npos) << Out();

    // Again with the same seed: the same day, even with the first run's days
    // there (only the days before --from count as history).
    ASSERT_EQ(Run(Generate()), 0) << Err();
    EXPECT_EQ(TitleIdsOf(day), first);
    ASSERT_EQ(Run(Generate(" --seed 99")), 0) << Err();
    EXPECT_NE(TitleIdsOf(day), first);
}

// The days before --from are history: the next day's turn starts with the
// titles the day before did not play, where the same seed alone would
// start it as the day before started.
TEST_F(ScheduleTool, EarlierDaysInTheLogsFolderCountAsHistory) {
    WriteLibrary(60, 600);
    WriteText(station / "scheduling.ini", Format);
    ASSERT_EQ(Run("--folder " + station.string() + " --from 2026-12-13 --days 1"), 0) << Err();
    const std::vector<int64_t> before = TitleIdsOf(station / "Logs/2026-12-13.wsl");
    ASSERT_EQ(Run("--folder " + station.string() + " --from 2026-12-14 --days 1"), 0) << Err();
    const std::vector<int64_t> after = TitleIdsOf(station / "Logs/2026-12-14.wsl");
    const std::set<int64_t> yesterday(before.begin(), before.end());
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(yesterday.count(after[0]), 0u);
    EXPECT_EQ(yesterday.count(after[1]), 0u);
}

TEST_F(ScheduleTool, ACheckListsEachViolation) {
    WriteLibrary(2, 2, true);
    WriteText(station / "scheduling.ini", Format);
    StudioSeams seams;
    TdmQelData data((folder / "maker").string(), "schedule-test", seams.studio.clock(), seams.prompter,
                    seams.fileDialogs);
    Table& schedule = data.cdsSchedule;
    schedule.CreateDataSet();
    for (int i = 0; i < 3; ++i) {
        schedule.Append();
        schedule.FieldByName("TitleID").SetAsInteger(i + 1);
        schedule.FieldByName("TitleName").SetAsString("Song " + std::to_string(i + 1));
        schedule.FieldByName("TitleArtistName").SetAsString("Solo");
        schedule.FieldByName("TitleDuration").SetAsDateTime(180 / SecondsPerDay);
        schedule.Post();
    }
    std::filesystem::create_directories(station / "Logs");
    const std::filesystem::path day = station / "Logs/2026-12-20.wsl";
    schedule.SaveToFile(day.string());
    EXPECT_EQ(Run("--check " + day.string()), 1) << Err();
    EXPECT_NE(Out().find("row 2 (00:03:00) \"Song 2\" breaks ArtistSeparation"), std::string::npos) << Out();
    EXPECT_NE(Out().find("row 3 (00:06:00) \"Song 3\" breaks ArtistSeparation"), std::string::npos) << Out();
    EXPECT_NE(Out().find("2 violations"), std::string::npos) << Out();
}

// Rules that cannot all be kept: the slots are left out and reported, the
// status says so.
TEST_F(ScheduleTool, ALibraryOfOneArtistReportsItsBlockedSlots) {
    WriteLibrary(1, 1, true);
    WriteText(station / "scheduling.ini", Format);
    EXPECT_EQ(Run(Generate()), 1) << Err();
    EXPECT_NE(Out().find(" unfilled"), std::string::npos);
    EXPECT_NE(ReadText(station / "Logs/2026-12-14.txt").find("blocked by ArtistSeparation"),
              std::string::npos);
}

// Usage and unreadable input: status 2, the file and the reason.
TEST_F(ScheduleTool, BadInputSaysWhatAndWhere) {
    WriteLibrary(5, 5);
    WriteText(folder / "typo.ini",
              "[Clock Hour]\nSlot1=Category Gold\n[Week]\nDefault=Hour\n[Rules]\nArtistSep=5\n");
    WriteText(station / "scheduling.ini", Format);
    WriteText(folder / "damaged.wsl", "not a table");
    const std::string s = station.string();
    const struct {
        std::string arguments;
        std::string says;
    } cases[] = {
        {"--folder " + s + " --from 2026-12-14 --days 1 --format " + (folder / "typo.ini").string(),
         "typo.ini:6: unknown key \"ArtistSep\" in [Rules]"},
        {"--folder " + s + " --from 2026-12-14 --days 1 --format " + (folder / "none.ini").string(),
         "none.ini"},
        {"--folder " + s + " --from 2026-02-30 --days 1", "--from wants YYYY-MM-DD"},
        {"--folder " + s + " --from 2026-12-14 --days 0", "--days wants"},
        {"--folder " + s + " --from 2026-12-14 --days 1 --seed x", "--seed wants"},
        {"--folder " + (folder / "nowhere").string() + " --from 2026-12-14 --days 1", "is not a folder"},
        {"--folder " + folder.File("") + " --from 2026-12-14 --days 1 --format " +
             (station / "scheduling.ini").string(),
         "there is no library"},
        {"--check " + (folder / "damaged.wsl").string() + " --format " +
             (station / "scheduling.ini").string(),
         "damaged.wsl"},
        {"--from 2026-12-14", "--folder, --from and --days are needed"},
        {"--colour red", "unknown option --colour"},
        {"--folder", "--folder wants a value"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.arguments), 2) << c.arguments << "\n" << Err();
        EXPECT_NE(Err().find(c.says), std::string::npos) << c.arguments << "\n" << Err();
    }
    EXPECT_FALSE(std::filesystem::exists(station / "Logs/2026-12-14.wsl"));
}

TEST_F(ScheduleTool, AnswersHelpAndVersion) {
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Out().find("--from YYYY-MM-DD"), std::string::npos) << Out();
    EXPECT_EQ(Run("--version"), 0);
    EXPECT_EQ(Out().rfind("corvane-schedule ", 0), 0u) << Out();
}

} // namespace
} // namespace corvane
