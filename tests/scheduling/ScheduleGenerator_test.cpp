#include "SchedulingFixtures.h"
#include "scheduling/ScheduleCheck.h"
#include "scheduling/ScheduleGenerator.h"

#include <gtest/gtest.h>
#include <set>

namespace corvane {
namespace {

using testing::FormatOf;
using testing::MakeTitle;

std::vector<int64_t> TitleIds(const GeneratedDay& day, const std::vector<SchedulingTitle>& library) {
    std::vector<int64_t> ids;
    for (const ScheduledItem& item : day.items) {
        if (item.titleIndex >= 0)
            ids.push_back(library[static_cast<size_t>(item.titleIndex)].titleId);
    }
    return ids;
}

// `count` titles of `category`, each by its own artist, ids from `firstId`.
void AddTitles(std::vector<SchedulingTitle>& library, int count, const std::string& category, int firstId,
               double seconds = 180) {
    for (int i = 0; i < count; ++i)
        library.push_back(
            MakeTitle(firstId + i, category + " artist " + std::to_string(i), category, seconds));
}

// Every rule kept, checked again by the schedule check as a reader of the
// rows would: a solution exists, so none may be broken.
void ExpectNoViolations(const GeneratedDay& day, const std::vector<SchedulingTitle>& library,
                        const SchedulingFormat& format) {
    std::vector<SchedulingTitle> rows;
    std::vector<double> starts;
    for (const ScheduledItem& item : day.items) {
        if (item.titleIndex < 0)
            continue;
        rows.push_back(library[static_cast<size_t>(item.titleIndex)]);
        starts.push_back(item.start);
    }
    for (const ScheduleViolation& v : CheckDaySchedule(rows, starts, format))
        ADD_FAILURE() << "row " << v.row << " " << v.title << " breaks " << RuleName(v.rule);
}

const char* const FourSongClock = "[Clock Hour]\nSlot1=Category A\nSlot2=Category B\nSlot3=Category A\n"
                                  "Slot4=Category B\n[Week]\nDefault=Hour\n";

// Titles come round in turn: never played first (in the seed's order), then
// the longest rested; each used title goes to the back of its category.
TEST(ScheduleGenerator, RotationTakesTheLeastRecentlyPlayedFirstAndComesRound) {
    std::vector<SchedulingTitle> library;
    for (int i = 0; i < 4; ++i) {
        library.push_back(MakeTitle(i + 1, "Artist " + std::to_string(i), "A"));
        library.back().played = true;
        library.back().lastPlayed = -1000.0 * (i + 1); // title 4 rested longest
    }
    const SchedulingFormat format =
        FormatOf("[Clock Hour]\nSlot1=Category A\nSlot2=Category A\nSlot3=Category A\n"
                 "Slot4=Category A\nSlot5=Category A\nSlot6=Category A\n"
                 "[Week]\nDefault=Hour\n");
    ScheduleGenerator generator(library, format, 1, 7);
    const std::vector<int64_t> ids = TitleIds(generator.GenerateNextDay(), library);
    ASSERT_GE(ids.size(), 8u);
    EXPECT_EQ(std::vector<int64_t>(ids.begin(), ids.begin() + 8),
              (std::vector<int64_t>{4, 3, 2, 1, 4, 3, 2, 1}));
}

TEST(ScheduleGenerator, TheSameSeedGivesTheSameDaysAndAnotherSeedAnotherOrder) {
    std::vector<SchedulingTitle> library;
    AddTitles(library, 60, "A", 1);
    AddTitles(library, 60, "B", 100);
    const SchedulingFormat format = FormatOf(std::string(FourSongClock) + "[Rules]\nArtistSeparation=30\n");
    const auto week = [&](uint64_t seed) {
        ScheduleGenerator generator(library, format, 0, seed);
        std::vector<int64_t> ids;
        for (int d = 0; d < 3; ++d) {
            const std::vector<int64_t> day = TitleIds(generator.GenerateNextDay(), library);
            ids.insert(ids.end(), day.begin(), day.end());
        }
        return ids;
    };
    EXPECT_EQ(week(11), week(11));
    EXPECT_NE(week(11), week(12));
}

// A library where every rule can be kept: generated days keep all of them,
// as a reader of the rows checks, and every hour fits with the fill slot.
TEST(ScheduleGenerator, ASolvableLibraryGetsNoViolationAndHoursThatFit) {
    std::vector<SchedulingTitle> library;
    AddTitles(library, 150, "A", 1, 200);
    AddTitles(library, 150, "B", 1000, 240);
    // Fill titles of many lengths, so that an hour can end on its second.
    for (int i = 0; i < 400; ++i)
        library.push_back(MakeTitle(5000 + i, "Fill artist " + std::to_string(i), "F", 60 + (i * 7) % 200));
    for (size_t i = 0; i < library.size(); i += 3)
        library[i].tempo = "Fast";
    const SchedulingFormat format = FormatOf(
        "[Clock Hour]\nSlot1=Category A\nSlot2=Category B\nSlot3=Break 120\nSlot4=Category A\n"
        "Slot5=Category B\nSlot6=Fill F\n[Week]\nDefault=Hour\n[Rules]\nArtistSeparation=60\n"
        "TitleSeparation=240\nArtistSeparationSongs=5\nMaxInARow=Tempo Fast 2\nHorizontalSeparation=1\n");
    ScheduleGenerator generator(library, format, 3, 1);
    for (int d = 0; d < 2; ++d) {
        const GeneratedDay day = generator.GenerateNextDay();
        EXPECT_TRUE(day.unfilled.empty());
        EXPECT_EQ(day.RelaxedItems(), 0);
        ExpectNoViolations(day, library, format);
        ASSERT_EQ(day.hours.size(), 24u);
        for (const HourFit& hour : day.hours)
            EXPECT_LE(std::abs(hour.offSeconds), HourFitToleranceSeconds)
                << "day " << d << " hour " << hour.hour;
        for (int r = 0; r < RuleCount; ++r)
            EXPECT_EQ(day.ruleKept[r], day.ruleChecks[r]) << RuleName(static_cast<RuleId>(r));
    }
}

// Jingle-length titles: an hour takes hundreds of them and still ends on time.
TEST(ScheduleGenerator, ShortTitlesFillEveryHourToTheSecond) {
    std::vector<SchedulingTitle> library;
    for (int i = 0; i < 300; ++i)
        library.push_back(MakeTitle(i + 1, "Artist " + std::to_string(i), "F", 4 + i % 9));
    const SchedulingFormat format =
        FormatOf("[Clock Hour]\nSlot1=Break 30\nSlot2=Fill F\n[Week]\nDefault=Hour\n");
    ScheduleGenerator generator(library, format, 0, 1);
    const GeneratedDay day = generator.GenerateNextDay();
    EXPECT_GT(day.MusicItems(), 24 * 300);
    for (const HourFit& hour : day.hours)
        EXPECT_LE(std::abs(hour.offSeconds), HourFitToleranceSeconds) << hour.hour;
}

// The horizontal rule looks at the day before: a library of exactly enough
// titles for one hour's two slots and rotation alone would repeat the hour.
TEST(ScheduleGenerator, HorizontalSeparationKeepsTheHourOfTheDayBefore) {
    std::vector<SchedulingTitle> library;
    AddTitles(library, 5, "A", 1, 1800);
    const SchedulingFormat format = FormatOf("[Clock Hour]\nSlot1=Category A\nSlot2=Category A\n[Week]\n"
                                             "Default=Hour\n[Rules]\nHorizontalSeparation=1\n");
    ScheduleGenerator generator(library, format, 0, 3);
    const GeneratedDay first = generator.GenerateNextDay();
    const GeneratedDay second = generator.GenerateNextDay();
    EXPECT_TRUE(second.unfilled.empty());
    for (const ScheduledItem& later : second.items) {
        for (const ScheduledItem& before : first.items)
            EXPECT_FALSE(later.hour == before.hour && later.titleIndex == before.titleIndex) << later.hour;
    }
}

// A slot nobody can fill is left out and named with the rule that blocked
// it; a breakable rule is relaxed instead, the lowest priority first.
TEST(ScheduleGenerator, BlockedSlotsNameTheirRuleAndBreakableRulesGiveWayByPriority) {
    std::vector<SchedulingTitle> library{MakeTitle(1, "Solo", "A"), MakeTitle(2, "Solo feat. Guest", "A")};
    library[0].tempo = library[1].tempo = "Fast";
    const std::string clock =
        "[Clock Hour]\nSlot1=Category A\nSlot2=Category A\n[Week]\nDefault=Hour\n[Rules]\n"
        "ArtistSeparation=120\nMaxInARow=Tempo Fast 1\n";
    {
        const SchedulingFormat format = FormatOf(clock);
        ScheduleGenerator generator(library, format, 0, 1);
        const GeneratedDay day = generator.GenerateNextDay();
        ASSERT_FALSE(day.unfilled.empty());
        EXPECT_EQ(day.unfilled[0].hour, 0);
        EXPECT_EQ(day.unfilled[0].slot, 2);
        ASSERT_TRUE(day.unfilled[0].blockingRule.has_value());
        EXPECT_EQ(*day.unfilled[0].blockingRule, RuleId::ArtistSeparation);
        EXPECT_NE(day.unfilled[0].reason.find("ArtistSeparation"), std::string::npos)
            << day.unfilled[0].reason;
    }
    {
        // Both breakable: the one listed last gives way while the other holds.
        const SchedulingFormat format = FormatOf(clock + "Breakable=ArtistSeparation, MaxInARow\n");
        std::vector<SchedulingTitle> more = library;
        more.push_back(MakeTitle(3, "Other", "A")); // another artist, but Fast too
        more.back().tempo = "Fast";
        ScheduleGenerator generator(more, format, 0, 1);
        const GeneratedDay day = generator.GenerateNextDay();
        EXPECT_TRUE(day.unfilled.empty());
        ASSERT_GE(day.items.size(), 2u);
        EXPECT_EQ(day.items[1].broken, 1u << static_cast<unsigned>(RuleId::MaxInARow));
        EXPECT_GT(day.RelaxedItems(), 0);
    }
}

// Bad input gives a clear report, never a hang or a crash.
TEST(ScheduleGenerator, EmptyCategoriesOneTitleAndZeroLengthsAreReported) {
    {
        std::vector<SchedulingTitle> library{MakeTitle(1, "Solo", "A")};
        const SchedulingFormat format =
            FormatOf("[Clock Hour]\nSlot1=Category A\nSlot2=Category Missing\n"
                     "Slot3=Category A Code=Xmas\nSlot4=Title 99\n[Week]\nDefault=Hour\n"
                     "[Rules]\nTitleSeparation=90\n");
        ScheduleGenerator generator(library, format, 0, 1);
        const GeneratedDay day = generator.GenerateNextDay();
        std::set<std::string> reasons;
        for (const UnfilledSlot& slot : day.unfilled)
            reasons.insert(slot.reason);
        EXPECT_TRUE(reasons.count("no title of category \"Missing\" in the library"));
        EXPECT_TRUE(reasons.count("no title of category \"A\" with code Xmas in the library"));
        EXPECT_TRUE(reasons.count("title 99 is not in the library"));
        // The one title every 90 minutes, at most: the hours between are reported blocked.
        EXPECT_LE(day.MusicItems(), 24 * 60 / 90 + 1);
        EXPECT_TRUE(std::any_of(day.unfilled.begin(), day.unfilled.end(), [](const UnfilledSlot& s) {
            return s.blockingRule == RuleId::TitleSeparation;
        }));
    }
    {
        // Titles of no length cannot fill an hour: the fill stops and the
        // hour is reported short; a fill from a category with no titles is
        // an unfilled slot.
        std::vector<SchedulingTitle> library;
        AddTitles(library, 10, "F", 1, 0);
        const SchedulingFormat format =
            FormatOf("[Clock Hour]\nSlot1=Fill F\nSlot2=Fill Nothing\n[Week]\nDefault=Hour\n");
        ScheduleGenerator generator(library, format, 0, 1);
        const GeneratedDay day = generator.GenerateNextDay();
        ASSERT_EQ(day.hours.size(), 24u);
        EXPECT_EQ(day.HoursOff(), 24);
        EXPECT_EQ(day.hours[0].offSeconds, -3600);
        ASSERT_EQ(day.unfilled.size(), 24u);
        EXPECT_EQ(day.unfilled[0].slot, 2);
    }
}

// Days generated one after the other are separated across midnight, and a
// title played yesterday evening counts from the library's LastPlayed.
TEST(ScheduleGenerator, HistoryCountsAcrossMidnight) {
    std::vector<SchedulingTitle> library;
    AddTitles(library, 3, "A", 1, 1200);
    library[0].played = true;
    library[0].lastPlayed = -600; // 23:50 the day before
    library[1].played = true;
    library[1].lastPlayed = -7200;
    library[2].played = true;
    library[2].lastPlayed = -4000;
    const SchedulingFormat format =
        FormatOf("[Clock Hour]\nSlot1=Category A\n[Week]\nDefault=Hour\n[Rules]\nTitleSeparation=60\n");
    ScheduleGenerator generator(library, format, 0, 1);
    const GeneratedDay day = generator.GenerateNextDay();
    ASSERT_FALSE(day.items.empty());
    // Title 1 rested least, and only 10 minutes: it neither comes first nor breaks the rule.
    EXPECT_EQ(library[static_cast<size_t>(day.items[0].titleIndex)].titleId, 2);
    EXPECT_EQ(day.RelaxedItems(), 0);
}

} // namespace
} // namespace corvane
