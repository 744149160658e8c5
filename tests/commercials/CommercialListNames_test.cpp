#include "commercials/CommercialListNames.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Thursday 8 March 2001, 07:05:09.
const TDateTime Thursday = EncodeDateTime({2001, 3, 8, 7, 5, 9, 0});

TEST(CommercialListNames, DateTimeAndFileNames) {
    EXPECT_EQ(TimeOfDayText(Thursday), "07:05");
    EXPECT_EQ(TimeOfDayText(EncodeDateTime({2001, 3, 8, 23, 59, 59, 999})), "23:59");
    EXPECT_EQ(DateListName(Thursday), "20010308.ads");
    EXPECT_EQ(DateListName(EncodeDateTime({2002, 1, 1})), "20020101.ads");
    EXPECT_EQ(AdScheduleFileName(Thursday), "AdSched_20010308.xml");
    EXPECT_EQ(EnglishDayName(Thursday), "Thursday");
    EXPECT_EQ(EnglishDayName(EncodeDateTime({2001, 3, 11})), "Sunday");
}

TEST(CommercialListNames, TodaysListByDateThenDayNameThenTheLastEntry) {
    const struct {
        std::vector<std::string> entries;
        std::optional<size_t> expected;
    } cases[] = {
        {{"20010307.ads", "20010308.ads", "Thursday.ads", "zz.ads"}, 1},
        {{"20010307.ads", "Thursday.ads", "zz.ads"}, 1},
        {{"20010307.ADS", "THURSDAY.ads", "zz.ads"}, 1}, // letter case ignored
        {{"20010307.ads", "Wednesday.ads", "zz.ads"}, 2},
        {{"only.ads"}, 0},
        {{}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TodaysListEntry(c.entries, Thursday, EnglishDayName), c.expected) << c.entries.size();
    // The day name comes in the operator's language.
    const DayNameSource german = [](TDateTime) { return std::string("Donnerstag"); };
    EXPECT_EQ(TodaysListEntry({"Donnerstag.ads", "Thursday.ads"}, Thursday, german), 0u);
}

} // namespace
} // namespace corvane
