#include "audio/device/ThreadPeriodicTimer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
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

// Rides along in a tick function: it is released when the timer's thread has
// let go of that function, which the thread does only as it ends.
struct ThreadEnd {
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    std::shared_ptr<void> Token() {
        return {nullptr, [this](void*) {
                    // Notified under the lock: the waiter cannot go before this returns.
                    std::lock_guard lock(mutex);
                    ended = true;
                    changed.notify_all();
                }};
    }
    bool WaitForEnd() {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30), [&] { return ended; });
    }
};

TEST(ThreadPeriodicTimer, TicksOnItsOwnThreadUntilStopped) {
    ThreadPeriodicTimer timer;
    TickCounter counter;
    ThreadEnd end;
    timer.Start(1, [&counter, token = end.Token()] { counter.Tick(); });
    counter.WaitFor(5);
    timer.Stop();
    EXPECT_NE(counter.thread, std::this_thread::get_id());
    // Stop has returned: the thread is gone, so no tick runs or follows.
    std::lock_guard lock(end.mutex);
    EXPECT_TRUE(end.ended);
}

TEST(ThreadPeriodicTimer, StopsFromInsideItsOwnTick) {
    auto timer = std::make_unique<ThreadPeriodicTimer>();
    TickCounter counter;
    ThreadEnd end;
    std::atomic<bool> stopped{false};
    timer->Start(1, [&, token = end.Token()] {
        if (!stopped.exchange(true))
            timer->Stop();
        counter.Tick();
    });
    counter.WaitFor(1);
    timer.reset();
    // The detached thread ends after the tick it stopped from; the counter
    // must outlive it.
    ASSERT_TRUE(end.WaitForEnd());
    EXPECT_EQ(counter.ticks, 1);
}

TEST(ThreadPeriodicTimer, RefusesAPeriodBelowOneMillisecond) {
    ThreadPeriodicTimer timer;
    EXPECT_THROW(timer.Start(0, [] {}), PeriodicTimerError);
}

} // namespace
} // namespace corvane
