#include "SchedulingFixtures.h"
#include "data/QelTableSchemas.h"
#include "data/TdmQelData.h"
#include "scheduling/DayScheduleFile.h"
#include "scheduling/ScheduleReport.h"
#include "scheduling/SchedulingLibrary.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sstream>

namespace corvane {
namespace {

using testing::FormatOf;

class DayScheduleFile : public ::testing::Test {
protected:
    testing::TempFolder folder;
    StudioSeams seams;
    TdmQelData data{folder.File("station"), "scheduling-test", seams.studio.clock(), seams.prompter,
                    seams.fileDialogs};
    const TDateTime date = EncodeDateTime({2026, 12, 14, 0, 0, 0, 0});

    void AddTitle(int id, const std::string& artist, const std::string& category, double seconds,
                  const std::string& codes = {}) {
        Table& library = data.cdsAudioLibrary;
        library.Append();
        library.FieldByName("TitleID").SetAsInteger(id);
        library.FieldByName("TitleName").SetAsString("Song " + std::to_string(id));
        library.FieldByName("TitleArtistName").SetAsString(artist);
        library.FieldByName("Category").SetAsString(category);
        library.FieldByName("TitleDuration").SetAsDateTime(seconds / SecondsPerDay);
        library.FieldByName("LocalPathToFile").SetAsString("/music/" + std::to_string(id) + ".mp3");
        library.FieldByName("SchedulerCodes").SetAsString(codes);
        library.Post();
    }
};

// A library file written before the codes' field loads as it was, its
// titles without codes.
TEST_F(DayScheduleFile, ALibraryFileWithoutCodesStillLoads) {
    FieldDefs before = AudioLibraryFields();
    before.pop_back();
    ASSERT_NE(before.back().name, "SchedulerCodes");
    Table old("cdsAudioLibrary", before);
    old.CreateDataSet();
    old.Append();
    old.FieldByName("TitleID").SetAsInteger(3);
    old.FieldByName("Category").SetAsString("Gold");
    old.Post();
    old.SaveToFile(folder.File("old.cds"));
    data.cdsAudioLibrary.CreateDataSet();
    data.cdsAudioLibrary.LoadFromFile(folder.File("old.cds"));
    ASSERT_EQ(data.cdsAudioLibrary.RecordCount(), 1);
    EXPECT_TRUE(data.cdsAudioLibrary.FieldByName("SchedulerCodes").IsNull());
    const std::vector<SchedulingTitle> titles = SchedulingTitlesOf(data.cdsAudioLibrary, date);
    EXPECT_EQ(titles[0].category, "Gold");
    EXPECT_TRUE(titles[0].codes.empty());
}

TEST_F(DayScheduleFile, LibraryRowsGiveTitlesWithCodesDaypartsAndLastPlayed) {
    data.cdsAudioLibrary.CreateDataSet();
    AddTitle(7, "A feat. B", "Gold", 201.5, "Female, Power Hours=06-10 Xmas");
    data.cdsAudioLibrary.Edit();
    data.cdsAudioLibrary.FieldByName("LastPlayed").SetAsDateTime(date - 0.5);
    data.cdsAudioLibrary.Post();
    const std::vector<SchedulingTitle> titles = SchedulingTitlesOf(data.cdsAudioLibrary, date);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].titleId, 7);
    EXPECT_EQ(titles[0].codes, (std::vector<std::string>{"Female", "Power", "Xmas"}));
    EXPECT_EQ(titles[0].firstHour, 6);
    EXPECT_EQ(titles[0].endHour, 10);
    EXPECT_NEAR(titles[0].lengthSeconds, 201.5, 1e-6);
    EXPECT_TRUE(titles[0].played);
    EXPECT_NEAR(titles[0].lastPlayed, -43200, 1e-3);
}

// The day is written as the console's own schedule: the library's fields
// copied, each row's planned start in ScheduleStart with the break's time
// reserved, and read back to the same starts.
TEST_F(DayScheduleFile, ADayIsWrittenAsAScheduleWithItsPlannedStarts) {
    data.cdsAudioLibrary.CreateDataSet();
    AddTitle(1, "One", "A", 200);
    AddTitle(2, "Two", "A", 150);
    const std::vector<SchedulingTitle> titles = SchedulingTitlesOf(data.cdsAudioLibrary, date);
    const SchedulingFormat format =
        FormatOf("[Clock H]\nSlot1=Category A\nSlot2=Break 90\nSlot3=Category A\n[Week]\nDefault=H\n");
    ScheduleGenerator generator(titles, format, 1, 5);
    const GeneratedDay day = generator.GenerateNextDay();
    const std::filesystem::path path = DaySchedulePath(folder / "station", date);
    EXPECT_EQ(path.filename(), "2026-12-14.wsl");
    EXPECT_EQ(path.parent_path().filename(), "Logs");
    WriteDaySchedule(day, data.cdsAudioLibrary, data.cdsSchedule, date, path);

    Table& schedule = data.cdsSchedule;
    schedule.CreateDataSet();
    schedule.LoadFromFile(path.string());
    ASSERT_EQ(schedule.RecordCount(), day.MusicItems());
    const std::vector<double> starts = PlannedStarts(schedule, date);
    std::vector<double> expected;
    for (const ScheduledItem& item : day.items) {
        if (item.kind != SlotKind::Break)
            expected.push_back(item.start);
    }
    EXPECT_EQ(starts, expected);
    // The second title starts after the first and the break.
    schedule.First();
    const double firstLength = schedule.FieldByName("TitleDuration").AsFloat() * SecondsPerDay;
    EXPECT_NEAR(starts[1], firstLength + 90, 1e-3);
    EXPECT_FALSE(schedule.FieldByName("LocalPathToFile").AsString().empty());
    EXPECT_EQ(schedule.FieldByName("Category").AsString(), "A");
}

TEST_F(DayScheduleFile, ReportsListSlotsUnfilledRulesAndHours) {
    std::vector<SchedulingTitle> titles{testing::MakeTitle(1, "Solo, \"Quoted\"", "A", 3000)};
    const SchedulingFormat format =
        FormatOf("[Clock H]\nSlot1=Category A\nSlot2=Category A\n[Week]\nDefault=H\n"
                 "[Rules]\nTitleSeparation=120\n");
    ScheduleGenerator generator(titles, format, 1, 5);
    const GeneratedDay day = generator.GenerateNextDay();
    std::ostringstream text, csv;
    WriteReportText(text, "2026-12-14", day, titles, format);
    WriteReportCsv(csv, day, titles);
    EXPECT_NE(text.str().find("blocked by TitleSeparation"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("TitleSeparation (unbreakable): "), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("hour 0 (H): "), std::string::npos) << text.str();
    EXPECT_NE(csv.str().find("\"Solo, \"\"Quoted\"\"\""), std::string::npos) << csv.str();
    EXPECT_NE(csv.str().find(",TitleSeparation,"), std::string::npos) << csv.str();
    EXPECT_EQ(DaySummaryLine("2026-12-14", day, format).rfind("2026-12-14: ", 0), 0u);
}

} // namespace
} // namespace corvane
