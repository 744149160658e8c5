#pragma once

#include <functional>
#include <memory>

namespace corvane {

// An ordinary window timer: while enabled with a positive interval it calls
// OnTimer on the main thread every Interval ms, counted from the moment it was
// enabled or its interval last changed. Ticks never overlap: a tick that falls
// due while the previous one still runs is dropped, as with a window timer.
class Timer {
public:
    virtual ~Timer() = default;

    virtual void SetInterval(int ms) = 0;
    virtual int Interval() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    // The callback runs inside the exception guard under the given sender name.
    virtual void SetOnTimer(std::function<void()> onTimer) = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    // A new timer, disabled, with the given interval (ms). `name` names the
    // timer in the exception log (for example "tmrClock").
    virtual std::unique_ptr<Timer> CreateTimer(const char* name, int intervalMs) = 0;
};

} // namespace corvane
