#include "playout/displays/ConsoleDisplays.h"
#include "playout/displays/DisplayTime.h"
#include "studio/VirtualStudio.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace corvane {
namespace {

// Keeps what the display rules last sent and how often each group was set.
struct RecordingDisplayView final : DisplayView {
    void SetItemTexts(const ItemTexts& t) override { texts = t; }
    void ClearItemStatus() override { statusCleared = true; }
    void SetDigitGroup(DigitGroup group, int value) override {
        groups[group] = value;
        ++updates[group];
    }
    void SetRemainingLight(DigitLight l) override { light = l; }
    void SetRemainingColour(Rgb c) override { colour = c; }

    ItemTexts texts{"x", "x", "x"};
    bool statusCleared = false;
    std::map<DigitGroup, int> groups;
    std::map<DigitGroup, int> updates;
    DigitLight light = DigitLight::Dim;
    Rgb colour{1, 2, 3};
};

constexpr int Ms(int h, int m, int s) {
    return ((h * 60 + m) * 60 + s) * 1000;
}

struct Displays : ::testing::Test {
    VirtualStudio studio{EncodeDateTime({2026, 1, 5, 12, 10, 0, 0})};
    VirtualClock clock{studio};
    RecordingDisplayView view;
    ConsoleDisplays displays{view, clock};
};

TEST_F(Displays, ItemInfoLightsTheDigitsAndClearEmptiesTheLabelsAndStatus) {
    displays.ShowItemInfo("Morning Song", "/music/morning.mp3", Ms(1, 5, 30) + 400);
    EXPECT_EQ(view.light, DigitLight::Lit);
    EXPECT_EQ(view.texts, (ItemTexts{"Morning Song", "/music/morning.mp3", "01:05:30"}));
    EXPECT_EQ(displays.ItemLength(), Ms(1, 5, 30) + 400);
    EXPECT_EQ(displays.Remaining(), displays.ItemLength());

    displays.ClearItemInfo();
    EXPECT_EQ(view.texts, ItemTexts{});
    EXPECT_TRUE(view.statusCleared);
}

TEST_F(Displays, RemainingTimeShowsMinutesAndSecondsInTheirColour) {
    struct Case {
        int remainingMs, minutes, seconds;
        Rgb colour;
    };
    const std::vector<Case> cases = {
        {Ms(1, 5, 30), 5, 30, RemainingNormalColour}, // hours are not shown
        {Ms(0, 0, 11), 0, 11, RemainingNormalColour},
        {Ms(0, 0, 10) + 999, 0, 10, RemainingLastSecondsColour},
        {Ms(0, 0, 1), 0, 1, RemainingLastSecondsColour},
        {999, 0, 0, RemainingNormalColour},         // green again at 0
        {Ms(1, 0, 5), 0, 5, RemainingNormalColour}, // an hour left is not the last seconds
        {-40, 0, 0, RemainingNormalColour},
    };
    for (const Case& c : cases) {
        displays.UpdateRemainingDisplay(c.remainingMs);
        EXPECT_EQ(view.groups[DigitGroup::RemainingMinutes], c.minutes) << c.remainingMs;
        EXPECT_EQ(view.groups[DigitGroup::RemainingSeconds], c.seconds) << c.remainingMs;
        EXPECT_EQ(view.colour, c.colour) << c.remainingMs;
    }
}

TEST_F(Displays, OnlyChangedGroupsAreSentOnTheThirtyMillisecondTick) {
    for (int ms = Ms(0, 2, 0); ms > Ms(0, 1, 58); ms -= 30)
        displays.UpdateRemainingDisplay(ms);
    // 2:00 then 1:59 and 1:58 within ~67 ticks: minutes set twice, seconds three times.
    EXPECT_EQ(view.updates[DigitGroup::RemainingMinutes], 2);
    EXPECT_EQ(view.updates[DigitGroup::RemainingSeconds], 3);
    EXPECT_EQ(view.groups[DigitGroup::RemainingSeconds], 58);
}

TEST_F(Displays, ClockAndCountdownToTheNextBreak) {
    struct Case {
        const char* breakTime;
        int hours, minutes, seconds;
    };
    // The clock stands at 12:10:00.
    const std::vector<Case> cases = {
        {"12:00", 0, 10, 0}, // passed: the time since it
        {"13:30", 1, 20, 0}, {"12:10", 0, 0, 0}, {"23:59", 11, 49, 0},
        {"7", 5, 10, 0},     {"ab:cd", 0, 0, 0}, // not a time: zeros
        {"25:00", 0, 0, 0},
    };
    for (const Case& c : cases) {
        displays.SetNextBreakTime(c.breakTime);
        displays.ClockTick();
        EXPECT_EQ(view.groups[DigitGroup::ClockHours], 12);
        EXPECT_EQ(view.groups[DigitGroup::ClockMinutes], 10);
        EXPECT_EQ(view.groups[DigitGroup::ClockSeconds], 0);
        EXPECT_EQ(view.groups[DigitGroup::CountdownHours], c.hours) << c.breakTime;
        EXPECT_EQ(view.groups[DigitGroup::CountdownMinutes], c.minutes) << c.breakTime;
        EXPECT_EQ(view.groups[DigitGroup::CountdownSeconds], c.seconds) << c.breakTime;
    }
}

TEST_F(Displays, WithoutANextBreakTheCountdownKeepsWhatItShowed) {
    displays.ClockTick();
    EXPECT_FALSE(view.groups.contains(DigitGroup::CountdownMinutes));
    displays.SetNextBreakTime("12:30");
    displays.ClockTick();
    displays.SetNextBreakTime("");
    studio.Run(5000);
    displays.ClockTick();
    EXPECT_EQ(view.groups[DigitGroup::ClockSeconds], 5);
    EXPECT_EQ(view.groups[DigitGroup::CountdownMinutes], 20);
    EXPECT_EQ(view.groups[DigitGroup::CountdownSeconds], 0);
}

TEST(DisplayTime, DurationsAndTimesOfDay) {
    EXPECT_EQ(DurationText(0), "00:00:00");
    EXPECT_EQ(DurationText(Ms(0, 3, 7) + 999), "00:03:07");
    EXPECT_EQ(DurationText(Ms(25, 0, 0)), "25:00:00");
    EXPECT_EQ(ParseTimeOfDay("12:00"), 0.5);
    EXPECT_EQ(ParseTimeOfDay(" 6:00:00 "), 0.25);
    for (const char* bad : {"", ":", "12:", "12:60", "1:2:3:4", "-1:00", "12.00", "123"})
        EXPECT_FALSE(ParseTimeOfDay(bad).has_value()) << bad;
}

} // namespace
} // namespace corvane
