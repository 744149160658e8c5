#pragma once

namespace corvane {

// Where a wave output or input stands: open, started, and paused (a started
// device may be paused; an open one that was never started may be paused
// too, and starts paused).
struct WaveDeviceState {
    bool open = false;
    bool started = false;
    bool paused = false;
    bool Closed() const { return !open; }
};

} // namespace corvane
