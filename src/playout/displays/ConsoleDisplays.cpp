#include "playout/displays/ConsoleDisplays.h"

#include "playout/displays/DisplayTime.h"

#include <cmath>
#include <cstdlib>

namespace corvane {

ConsoleDisplays::ConsoleDisplays(DisplayView& view, const Clock& clock) : view_(view), clock_(clock) {}

void ConsoleDisplays::ShowItemInfo(const std::string& title, const std::string& file, int lengthMs) {
    FItemLength = FRemaining = lengthMs;
    view_.SetRemainingLight(DigitLight::Lit);
    view_.SetItemTexts({title, file, DurationText(lengthMs)});
}

void ConsoleDisplays::ClearItemInfo() {
    view_.SetItemTexts({});
    view_.ClearItemStatus();
}

void ConsoleDisplays::UpdateRemainingDisplay(int remainingMs) {
    FRemaining = remainingMs;
    const TimeParts t = SplitMs(remainingMs);
    SetGroup(DigitGroup::RemainingSeconds, t.seconds);
    SetGroup(DigitGroup::RemainingMinutes, t.minutes);
    const bool lastSeconds = t.hours == 0 && t.minutes == 0 && t.seconds >= 1 && t.seconds <= 10;
    const Rgb colour = lastSeconds ? RemainingLastSecondsColour : RemainingNormalColour;
    if (!colourShown_ || colour != colour_) {
        colourShown_ = true;
        colour_ = colour;
        view_.SetRemainingColour(colour);
    }
}

void ConsoleDisplays::ClockTick() {
    const TDateTime now = clock_.Now();
    const TDateTime timeOfDay = now - std::floor(now);
    const CivilDateTime clock = DecodeDateTime(timeOfDay);
    SetGroup(DigitGroup::ClockHours, clock.hour);
    SetGroup(DigitGroup::ClockMinutes, clock.minute);
    SetGroup(DigitGroup::ClockSeconds, clock.second);
    if (FNextBreakTime.empty())
        return;
    TimeParts down;
    if (const auto breakTime = ParseTimeOfDay(FNextBreakTime)) {
        // A break already passed today shows the time since it.
        const double ms = std::abs(*breakTime - timeOfDay) * MsPerDay;
        down = SplitMs(std::llround(ms));
    }
    SetGroup(DigitGroup::CountdownHours, down.hours);
    SetGroup(DigitGroup::CountdownMinutes, down.minutes);
    SetGroup(DigitGroup::CountdownSeconds, down.seconds);
}

void ConsoleDisplays::SetGroup(DigitGroup group, int value) {
    int& shown = shown_[static_cast<int>(group)];
    if (shown == value)
        return;
    shown = value;
    view_.SetDigitGroup(group, value);
}

} // namespace corvane
