#include "audio/device/ThreadPeriodicTimer.h"

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace corvane {
namespace {

// Waits (without any claim about how long it takes) until the timer has
// ticked `count` times.
struct TickCounter {
    std::mutex mutex;
    std::condition_variable changed;
    int ticks = 0;
    std::thread::id thread;
    void Tick() {
        std::lock_guard lock(mutex);
        ++ticks;
        thread = std::this_thread::get_id();
        changed.notify_all();
    }
    void WaitFor(int count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return ticks >= count; });
    }
};

TEST(ThreadPeriodicTimer, TicksOnItsOwnThreadUntilStopped) {
    ThreadPeriodicTimer timer;
    TickCounter counter;
    timer.Start(1, [&] { counter.Tick(); });
    counter.WaitFor(5);
    timer.Stop();
    const int afterStop = counter.ticks;
    EXPECT_NE(counter.thread, std::this_thread::get_id());
    // Stop has returned: no tick runs or follows.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.ticks, afterStop);
}

TEST(ThreadPeriodicTimer, StopsFromInsideItsOwnTick) {
    auto timer = std::make_unique<ThreadPeriodicTimer>();
    TickCounter counter;
    std::atomic<bool> stopped{false};
    timer->Start(1, [&] {
        if (!stopped.exchange(true))
            timer->Stop();
        counter.Tick();
    });
    counter.WaitFor(1);
    timer.reset();
    // Give the detached timer thread the moment it needs to leave the tick
    // before the counter goes away.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.ticks, 1);
}

TEST(ThreadPeriodicTimer, RefusesAPeriodBelowOneMillisecond) {
    ThreadPeriodicTimer timer;
    EXPECT_THROW(timer.Start(0, [] {}), PeriodicTimerError);
}

} // namespace
} // namespace corvane
