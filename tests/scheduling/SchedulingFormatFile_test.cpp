#include "SchedulingFixtures.h"
#include "scheduling/SchedulingFormatFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr const char* FullFormat = R"(; the station's hours
[Clock Music]
Slot1=Category Current
Slot2=Category Gold Code=Female
Slot3=Break 120
Slot4=Title 42
Slot5=Category Current Tempo=Fast Rating=3
Slot6=Fill Recurrent

[Clock Morning Show]
Slot2=Category Gold
Slot1=Category Current

[Week]
Default=Music
Mon-Fri 06-10=Morning Show
Sat=Music

[Rules]
ArtistSeparation=60
TitleSeparation=180
AlbumSeparation=30
ArtistSeparationSongs=3
MaxInARow=Tempo Fast 2
MaxInARow=Code Female 1
MinimumRest=Gold 12
HorizontalSeparation=1
Breakable=AlbumSeparation, MaxInARow
)";

TEST(SchedulingFormatFile, AFullFileReadsIntoClocksWeekAndRules) {
    const SchedulingFormat format = testing::FormatOf(FullFormat);
    ASSERT_EQ(format.clocks.size(), 2u);
    const HourClock& music = format.clocks[0];
    ASSERT_EQ(music.slots.size(), 6u);
    EXPECT_EQ(music.slots[1].code, "Female");
    EXPECT_EQ(music.slots[2].kind, SlotKind::Break);
    EXPECT_EQ(music.slots[2].breakSeconds, 120);
    EXPECT_EQ(music.slots[3].titleId, 42);
    EXPECT_EQ(music.slots[4].tempo, "Fast");
    EXPECT_EQ(music.slots[4].rating, 3);
    EXPECT_EQ(music.slots[5].kind, SlotKind::Fill);
    // Slots go by their number, not by their line.
    EXPECT_EQ(format.FindClock("morning show")->slots[0].category, "Current");

    // Monday 06:00 to 09:59 is the show; 10:00 and Sunday are the default.
    EXPECT_EQ(format.week.ClockAt(1, 6), "Morning Show");
    EXPECT_EQ(format.week.ClockAt(5, 9), "Morning Show");
    EXPECT_EQ(format.week.ClockAt(1, 10), "Music");
    EXPECT_EQ(format.week.ClockAt(0, 7), "Music");

    const SchedulingRules& rules = format.rules;
    EXPECT_EQ(rules.artistSeparationMinutes, 60);
    EXPECT_EQ(rules.artistSeparationSongs, 3);
    ASSERT_EQ(rules.maxInARow.size(), 2u);
    EXPECT_EQ(rules.maxInARow[1].attribute, MaxInARowRule::Attribute::Code);
    ASSERT_EQ(rules.minimumRest.size(), 1u);
    EXPECT_EQ(rules.minimumRest[0].hours, 12);
    EXPECT_TRUE(rules.horizontalSeparation);
    // Listed first is the higher priority; what is not listed cannot be broken.
    EXPECT_GT(rules.Priority(RuleId::AlbumSeparation), rules.Priority(RuleId::MaxInARow));
    EXPECT_FALSE(rules.IsBreakable(RuleId::ArtistSeparation));
}

// Each fault is reported on its own line with a reason; none is skipped.
TEST(SchedulingFormatFile, EveryFaultIsReportedWithItsLine) {
    const struct {
        const char* text;
        int line;
        const char* says;
    } cases[] = {
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\n[Studio]\n", 5, "unknown section [Studio]"},
        {"[Clock A]\nSlot1=Category X\nColour=red\n[Week]\nDefault=A\n", 3, "unknown key \"Colour\""},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\n[Rules]\nArtistSeperation=5\n", 6,
         "unknown key \"ArtistSeperation\""},
        {"[Clock A]\n[Clock B]\nSlot1=Category X\n[Week]\nDefault=B\n", 1, "clock \"A\" has no slots"},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\nSat=Weekend\n", 5, "missing clock \"Weekend\""},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=Night\n", 4, "missing clock \"Night\""},
        {"[Clock A]\nSlot1=Category X\n", 0, "no Default"},
        {"[Clock A]\nSlot1=Break soon\n[Week]\nDefault=A\n", 2, "length in seconds"},
        {"[Clock A]\nSlot1=Category X Mood=sad\n[Week]\nDefault=A\n", 2, "\"Mood=sad\" is not a filter"},
        {"[Clock A]\nSlot1=Category\n[Week]\nDefault=A\n", 2, "names no category"},
        {"[Clock A]\nSlot1=Song X\n[Week]\nDefault=A\n", 2, "Category, Title, Break or Fill"},
        {"[Clock A]\nSlot1=Category X\nSlot1=Category Y\n[Week]\nDefault=A\n", 3, "given twice"},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\nMon-Fri 06-25=A\n", 5,
         "unknown key \"Mon-Fri 06-25\""},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\nSomeday=A\n", 5, "unknown key \"Someday\""},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\n[Rules]\nMaxInARow=Tempo Fast\n", 6,
         "MaxInARow wants"},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\n[Rules]\nBreakable=Politeness\n", 6,
         "unknown rule"},
        {"[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\n[Rules]\nTitleSeparation=-5\n", 6, "wants minutes"},
        {"Default=A\n[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\n", 1, "before any [section]"},
        {"[Clock A]\nSlot1=Category X\n[Week\nDefault=A\n", 3, "no closing ]"},
    };
    for (const auto& c : cases) {
        const FormatReading reading = ReadSchedulingFormat(c.text);
        ASSERT_FALSE(reading.problems.empty()) << c.text;
        bool found = false;
        for (const FormatProblem& p : reading.problems)
            found = found || (p.line == c.line && p.message.find(c.says) != std::string::npos);
        EXPECT_TRUE(found) << c.text << "\nfirst problem: line " << reading.problems[0].line << ": "
                           << reading.problems[0].message;
    }
}

TEST(SchedulingFormatFile, DaysAndHoursOfTheWeekTable) {
    const SchedulingFormat format =
        testing::FormatOf("[Clock A]\nSlot1=Category X\n[Clock B]\nSlot1=Category X\n"
                          "[Week]\nDefault=A\nFri-Mon=B\n22-24=A\nSun,Wed 05=B\n");
    const struct {
        int weekday, hour;
        const char* clock;
    } cases[] = {{5, 0, "B"},  {6, 12, "B"}, {0, 3, "B"}, {1, 21, "B"}, {1, 22, "A"},
                 {2, 12, "A"}, {3, 5, "B"},  {3, 6, "A"}, {0, 5, "B"},  {4, 23, "A"}};
    for (const auto& c : cases)
        EXPECT_EQ(format.week.ClockAt(c.weekday, c.hour), c.clock) << c.weekday << " " << c.hour;
}

TEST(SchedulingFormatFile, AFileThatCannotBeReadSaysWhy) {
    testing::TempFolder folder;
    std::filesystem::create_directory(folder / "scheduling.ini");
    for (const auto& path : {folder / "missing.ini", folder / "scheduling.ini"}) {
        const FormatReading reading = ReadSchedulingFormatFile(path);
        ASSERT_EQ(reading.problems.size(), 1u) << path;
        EXPECT_FALSE(reading.problems[0].message.empty());
    }
}

} // namespace
} // namespace corvane
