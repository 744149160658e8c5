#pragma once

#include "platform/Clock.h"
#include "playout/displays/DisplayView.h"

#include <string>

namespace corvane {

// The console's item information, remaining-time digits, wall clock and
// countdown to the next commercial break. Playout calls ShowItemInfo when an
// item comes on air, UpdateRemainingDisplay on its 30 ms tick and
// ClearItemInfo when the output stops; tmrClock calls ClockTick every second.
// Only groups whose value changed are sent to the view. Main thread.
class ConsoleDisplays {
public:
    ConsoleDisplays(DisplayView& view, const Clock& clock);

    // The item on air: its title (the row under the cursor), its file and its
    // length (ms). Lights the remaining-time digits.
    void ShowItemInfo(const std::string& title, const std::string& file, int lengthMs);
    void ClearItemInfo();
    // The remaining time of the item on air (ms): minutes and seconds, hours
    // not shown; red for the last ten seconds.
    void UpdateRemainingDisplay(int remainingMs);
    int ItemLength() const { return FItemLength; }
    int Remaining() const { return FRemaining; }

    // The next break's time "hh:nn", empty when none is known.
    void SetNextBreakTime(std::string time) { FNextBreakTime = std::move(time); }
    const std::string& NextBreakTime() const { return FNextBreakTime; }
    // Wall clock and countdown (tmrClock).
    void ClockTick();

private:
    void SetGroup(DigitGroup group, int value);

    DisplayView& view_;
    const Clock& clock_;
    int FItemLength = 0;
    int FRemaining = 0;
    std::string FNextBreakTime;
    int shown_[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    bool colourShown_ = false;
    Rgb colour_;
};

} // namespace corvane
