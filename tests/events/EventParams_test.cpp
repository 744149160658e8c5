#include "events/EventParams.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace corvane {
namespace {

TEST(EventParams, ReadsKeysWithoutRegardToCaseAndKeepsQuotedSemicolons) {
    const EventParams params(" Length = 1:30 ; args=-v \"a;b\" ;play=YES; ");
    EXPECT_EQ(params.Get("LENGTH"), "1:30");
    EXPECT_EQ(params.Get("Args"), "-v \"a;b\"");
    EXPECT_TRUE(params.Flag("Play", false));
    EXPECT_FALSE(params.Flag("Missing", false));
    EXPECT_EQ(params.Get("Missing"), std::nullopt);
    EXPECT_NO_THROW(params.AllowOnly({"length", "Args", "Play"}));
    EXPECT_THROW(params.AllowOnly({"Length", "Args"}), std::invalid_argument);
    EXPECT_EQ(EventParams("").Get("x"), std::nullopt);
}

TEST(EventParams, MalformedTextFailsRatherThanBeingIgnored) {
    for (const char* text : {"Length", "=5", "Length=1;length=2"})
        EXPECT_THROW(EventParams{text}, std::invalid_argument) << text;
    EXPECT_THROW(EventParams("Play=maybe").Flag("Play", false), std::invalid_argument);
}

TEST(EventParams, LengthsInMinutesOrHoursMinutesSeconds) {
    const std::pair<const char*, int64_t> valid[] = {{"90", 90 * 60000},
                                                     {"1:30", 90 * 60000},
                                                     {"0:00:03", 3000},
                                                     {"2:05:09", (2 * 3600 + 5 * 60 + 9) * 1000LL}};
    for (const auto& [text, ms] : valid)
        EXPECT_EQ(EventParams(std::string("Length=") + text).LengthMs("Length"), ms) << text;
    for (const char* text : {"0", "1:3", "1:60", "x", "1:00:00:00", "-5", ""})
        EXPECT_THROW(EventParams(std::string("Length=") + text).LengthMs("Length"), std::invalid_argument)
            << text;
}

TEST(EventParams, ArgumentsSplitAtBlanksWithQuotedParts) {
    EXPECT_EQ(SplitArguments(R"(  -v "two words" x""y "" end)"),
              (std::vector<std::string>{"-v", "two words", "xy", "", "end"}));
    EXPECT_TRUE(SplitArguments("   ").empty());
    EXPECT_THROW(SplitArguments("\"open"), std::invalid_argument);
}

TEST(EventParams, DateTimePatternsNameOneFilePerShow) {
    const TDateTime when = EncodeDateTime({2026, 12, 11, 6, 5, 9, 0});
    EXPECT_EQ(ExpandDateTimePattern("show-{yyyymmdd-hhnn}.wav", when), "show-20261211-0605.wav");
    EXPECT_EQ(ExpandDateTimePattern("{yyyy-mm}/{dd}_{hh}{nn}{ss}.wav", when), "2026-12/11_060509.wav");
    EXPECT_EQ(ExpandDateTimePattern("{yy}x.wav", when), "26x.wav");
    EXPECT_EQ(ExpandDateTimePattern("plain.wav", when), "plain.wav");
    EXPECT_THROW(ExpandDateTimePattern("show-{yyyy.wav", when), std::invalid_argument);
}

} // namespace
} // namespace corvane
