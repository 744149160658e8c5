#pragma once

#include "station/StationView.h"

namespace corvane {

// The station with nobody watching: the offline renderer, the benchmarks and
// the tests that need no window. Every display is dropped, the grid
// appearance and folder browser keep what they were given, day names are
// English, and the window's own start-up steps (recent menu, wizard) do
// nothing. Override what a caller wants to see. Main thread.
class HeadlessStationView : public StationView {
public:
    // ConsoleView
    GridAppearance CurrentGridAppearance() const override { return grid_; }
    void ApplyGridAppearance(const GridAppearance& appearance) override { grid_ = appearance; }
    void SetClockPanelVisible(bool) override {}
    std::string FolderBrowserFolder() const override { return folder_; }
    void SetFolderBrowserFolder(const std::string& folder) override { folder_ = folder; }
    void SetRackCaption(const std::string&) override {}
    void ShowCommercialFolder(const std::string&) override {}
    void SetStatusText(int, const std::string&) override {}
    void ClearItemDisplay() override {}
    void SetTotalDuration(const std::string&) override {}
    void SetAcceptDroppedFiles(bool) override {}
    void ProcessPendingMessages() override {}
    void Repaint() override {}

    // ScheduleView
    bool MoveCommandsEnabled() override { return false; }
    void EnableMoveCommands() override {}
    void ClearScheduleSelection() override {}
    void KeepResponsive() override {}
    void CutPasteChanged() override {}

    // StationView
    void ApplyPlayoutCommands(const PlayoutCommands&) override {}
    void ShowItemHeard(const std::string&, const std::string&, int) override {}
    void ClearItemHeard() override {}
    void ShowRemaining(int) override {}
    void ShowGauge(int) override {}
    void ShowDelayedPause(bool) override {}
    void HoldGridRepaint(bool) override {}
    void RepaintGrid(int, int, uint64_t) override {}
    void SetBusy(bool) override {}
    void BufferPlayed(const uint8_t*, uint32_t) override {}
    void ShowBreakActive(bool) override {}
    void ShowCurrentCommercialList(const std::string&) override {}
    void HoldCommercialGrid(bool) override {}
    void ShowNextBreakTime(const std::string&) override {}
    std::string LongDayName(TDateTime when) const override;
    void EnableRackButtons(bool, bool) override {}
    void ShowRunScheduledEvents(bool) override {}
    void ShowStreamState(StreamState) override {}
    void ShowSilenceAlarm(bool) override {}
    void RefreshRecentPlayLists() override {}
    void ShowFirstRunWizard() override {}
    void ShowLibraryStatus(const std::string&) override {}

private:
    GridAppearance grid_;
    std::string folder_;
};

} // namespace corvane
