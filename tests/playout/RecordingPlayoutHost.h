#pragma once

#include "playout/PlayoutHost.h"

#include <string>
#include <vector>

namespace corvane::testing {

// Playout's host in tests: status panel 0 is kept in `status`, every other
// display is dropped. A test that watches one more overrides it.
class RecordingPlayoutHost : public PlayoutHost {
public:
    std::vector<std::string> status;

    void ApplyCommands(const PlayoutCommands&) override {}
    void SetStatusText(int panel, const std::string& text) override {
        if (panel == 0)
            status.push_back(text);
    }
    void ShowItemInfo(const std::string&, const std::string&, int) override {}
    void ClearItemInfo() override {}
    void ShowRemaining(int) override {}
    void SetGauge(int) override {}
    void ShowDelayedPause(bool) override {}
    void HoldGridRepaint(bool) override {}
    void RepaintGrid() override {}
    void SetBusy(bool) override {}
    void SetBreakActive(bool) override {}
    void CommercialPortClosed(int) override {}
    void BufferPlayed(const uint8_t*, uint32_t) override {}
    void ItemLeaving(ItemExit) override {}
    void ItemFailed(const std::string&, const std::string&) override {}
};

} // namespace corvane::testing
