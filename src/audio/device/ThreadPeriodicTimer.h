#pragma once

#include "audio/device/PeriodicTimer.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace corvane {

// A periodic timer on a thread of its own that sleeps until each absolute due
// time on the monotonic clock, so that the period does not drift with the
// time a tick takes. Ticks that fall due while a tick still runs are skipped,
// not run late in a burst.
class ThreadPeriodicTimer final : public PeriodicTimer {
public:
    ThreadPeriodicTimer() = default;
    ~ThreadPeriodicTimer() override;
    ThreadPeriodicTimer(const ThreadPeriodicTimer&) = delete;
    ThreadPeriodicTimer& operator=(const ThreadPeriodicTimer&) = delete;

    void Start(int periodMs, std::function<void()> tick) override;
    void Stop() override;

private:
    // Shared with the thread, so that a thread told to stop from inside its
    // own tick may outlive this object.
    struct Control {
        std::mutex mutex;
        std::condition_variable wake;
        bool stop = false;
    };
    static void Loop(const std::shared_ptr<Control>& control, int periodMs,
                     const std::function<void()>& tick);

    std::shared_ptr<Control> control_;
    std::thread thread_;
};

// Creates ThreadPeriodicTimer objects.
class ThreadPeriodicTimerFactory final : public PeriodicTimerFactory {
public:
    std::unique_ptr<PeriodicTimer> CreatePeriodicTimer() override {
        return std::make_unique<ThreadPeriodicTimer>();
    }
};

} // namespace corvane
