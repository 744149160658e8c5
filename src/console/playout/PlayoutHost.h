#pragma once

#include "console/playout/PlayoutCommands.h"

#include <functional>
#include <string>

namespace corvane {

// What playout needs of the console window: its displays and commands. Each
// is optional; an empty one is simply not called (a test, or the offline
// renderer, has no window). Main thread.
struct PlayoutHost {
    // The on-air command table (menus, buttons, operating mode).
    std::function<void(const PlayoutCommands& commands)> ApplyCommands;
    // Status bar panel 0 or 1.
    std::function<void(int panel, const std::string& text)> SetStatusText;
    // The item display: an item on air is heard now (its title, file and length in ms).
    std::function<void(const std::string& title, const std::string& file, int lengthMs)> ShowItemInfo;
    std::function<void()> ClearItemInfo;
    // Remaining time of the item heard (ms) and the progress gauge (0..100).
    std::function<void(int remainingMs)> ShowRemaining;
    std::function<void(int percent)> SetGauge;
    // The label "Delayed Pause".
    std::function<void(bool visible)> ShowDelayedPause;
    // Hold (true) or resume (false) the schedule grid's repainting; repaint it.
    std::function<void(bool hold)> HoldGridRepaint;
    std::function<void()> RepaintGrid;
    // The busy cursor on (true) or off.
    std::function<void(bool busy)> SetBusy;
    // Commercials: the break on or off ("F8: Next Commercial" restored when off).
    std::function<void(bool active)> SetBreakActive;
    // Commercials: a port closed during a break.
    std::function<void(int port)> CommercialPortClosed;
    // The meters' feed: every buffer the output has played (bytes).
    std::function<void(const uint8_t* data, uint32_t bytes)> BufferPlayed;
};

} // namespace corvane
