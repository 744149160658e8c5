#include "platform/DateTime.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(DateTime, KnownDaysAndRoundTrip) {
    struct Case {
        CivilDateTime civil;
        double days;
        int dayOfWeek;
    };
    const Case cases[] = {
        {{1899, 12, 30, 0, 0, 0, 0}, 0.0, 7},    {{1900, 1, 1, 0, 0, 0, 0}, 2.0, 2},
        {{2000, 1, 1, 12, 0, 0, 0}, 36526.5, 7}, {{2026, 12, 10, 6, 0, 0, 0}, 46366.25, 5},
        {{1899, 12, 29, 6, 0, 0, 0}, -1.25, 6},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(EncodeDateTime(c.civil), c.days);
        EXPECT_EQ(DecodeDateTime(c.days), c.civil);
        EXPECT_EQ(DayOfWeek(c.days), c.dayOfWeek);
    }
}

TEST(DateTime, MillisecondsSurviveTheRoundTrip) {
    const CivilDateTime c{2026, 2, 28, 23, 59, 59, 999};
    EXPECT_EQ(DecodeDateTime(EncodeDateTime(c)), c);
}

} // namespace
} // namespace corvane
