#pragma once

#include "playout/ItemExit.h"
#include "playout/PlayoutCommands.h"

#include <cstdint>
#include <string>

namespace corvane {

// What playout needs of the console around it: the window's displays and
// commands, and the commercial breaks' share of the port events. The station
// implements it; the offline renderer's station shows nothing. Main thread.
class PlayoutHost {
public:
    virtual ~PlayoutHost() = default;

    // The on-air command table (menus, buttons, operating mode).
    virtual void ApplyCommands(const PlayoutCommands& commands) = 0;
    // Status bar panel 0 or 1.
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    // The item display: an item on air is heard now (its title, file and length in ms).
    virtual void ShowItemInfo(const std::string& title, const std::string& file, int lengthMs) = 0;
    virtual void ClearItemInfo() = 0;
    // Remaining time of the item heard (ms) and the progress gauge (0..100).
    virtual void ShowRemaining(int remainingMs) = 0;
    virtual void SetGauge(int percent) = 0;
    // The label "Delayed Pause".
    virtual void ShowDelayedPause(bool visible) = 0;
    // Hold (true) or resume (false) the schedule grid's repainting; repaint it.
    virtual void HoldGridRepaint(bool hold) = 0;
    virtual void RepaintGrid() = 0;
    // The busy cursor on (true) or off.
    virtual void SetBusy(bool busy) = 0;
    // Commercials: the break on or off ("F8: Next Commercial" restored when off).
    virtual void SetBreakActive(bool active) = 0;
    // Commercials: a port closed during a break.
    virtual void CommercialPortClosed(int port) = 0;
    // The meters' feed: every buffer the output has played (bytes).
    virtual void BufferPlayed(const uint8_t* data, uint32_t bytes) = 0;
    // --- For the as-run log ---
    // The operator is taking the item on air off before its end.
    virtual void ItemLeaving(ItemExit exit) = 0;
    // The schedule row under the cursor could not be played (`path`, why).
    virtual void ItemFailed(const std::string& path, const std::string& reason) = 0;
};

} // namespace corvane
