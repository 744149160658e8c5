#pragma once

#include "playout/displays/DisplayView.h"

#include <QString>
#include <array>
#include <utility>
#include <vector>

class QLabel;
class QProgressBar;
class QWidget;

namespace corvane {

class ConsoleCommands;
class ConsoleMeterPanel;
class LedDigit;
class TimerFactory;

// The console's two display pages and what ConsoleDisplays shows on them
// (DisplayView): "Visuals" (the item on air, the remaining time in big LED
// digits, the meters and the spectrum, the transport buttons, the progress
// gauge) and "Live Assist" (the current item, the total duration, "Delayed
// Pause", the F6-F8 buttons, the clock and the countdown to the next break).
// The pages are built parentless; the page control that takes them owns
// them. Main thread.
class ConsoleDisplayPages final : public DisplayView {
public:
    // `itemStatus` is status bar panel 0, emptied with the item information.
    ConsoleDisplayPages(ConsoleCommands& commands, TimerFactory& timers, QLabel& itemStatus);

    QWidget* Visuals() const { return visuals_; }
    QWidget* LiveAssist() const { return liveAssist_; }
    ConsoleMeterPanel& MeterPanel() { return *meterPanel_; }
    // The clock and countdown panel of "Live Assist".
    QWidget& ClockPanel() { return *mmLiveTimers; }
    QProgressBar& Gauge() { return *Gauge_; }
    // The played percentage of the item on air, 0..100.
    void SetGauge(int percent);
    void SetTotalDuration(const QString& text);
    void ShowDelayedPause(bool visible);

    // DisplayView
    void SetItemTexts(const ItemTexts& texts) override;
    void ClearItemStatus() override;
    void SetDigitGroup(DigitGroup group, int value) override;
    void SetRemainingLight(DigitLight light) override;
    void SetRemainingColour(Rgb colour) override;

private:
    QWidget* BuildVisualsPage(ConsoleCommands& commands, TimerFactory& timers);
    QWidget* BuildLiveAssistPage(ConsoleCommands& commands);

    QLabel& itemStatus_;
    QLabel* lblTitle = nullptr;
    QLabel* lblFile = nullptr;
    QLabel* lblDuration = nullptr;
    QLabel* lblCurrentItem = nullptr;
    QLabel* lblTotalDuration = nullptr;
    QLabel* lblDelayedPause = nullptr;
    QWidget* mmLiveTimers = nullptr;
    QProgressBar* Gauge_ = nullptr;
    ConsoleMeterPanel* meterPanel_ = nullptr;
    // Per digit group the tens and units digits it feeds.
    std::array<std::vector<std::pair<LedDigit*, LedDigit*>>, 8> ledGroups_;
    std::vector<LedDigit*> bigDigits_;
    QWidget* visuals_ = nullptr;
    QWidget* liveAssist_ = nullptr;
};

} // namespace corvane
