#pragma once

#include <functional>
#include <memory>
#include <stdexcept>

namespace corvane {

// No periodic timer could be created.
class PeriodicTimerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A periodic timer with millisecond resolution. Its ticks run on a thread of
// the timer's own (never the main thread), or, in the virtual studio, at
// moments of virtual time. Start and Stop are called on the main thread.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    // Starts ticking every periodMs (> 0) from now; a running timer restarts.
    // Throws PeriodicTimerError when no timer can be had.
    virtual void Start(int periodMs, std::function<void()> tick) = 0;
    // Stops ticking. Returns once no tick runs any more, except when called
    // from inside a tick, where it only makes sure no further tick follows.
    virtual void Stop() = 0;
};

class PeriodicTimerFactory {
public:
    virtual ~PeriodicTimerFactory() = default;
    virtual std::unique_ptr<PeriodicTimer> CreatePeriodicTimer() = 0;
};

} // namespace corvane
