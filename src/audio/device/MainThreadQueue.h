#pragma once

#include "platform/Dispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace corvane {

// The main thread of a program without a window loop (command-line tools,
// device tests, benchmarks): work posted from any thread, the device's
// completions among it, runs on the thread that calls the Run operations, in
// order and inside the exception guard.
class MainThreadQueue final : public Dispatcher {
public:
    void Post(std::function<void()> work) override;
    // Runs what has been posted, and what that work posts, without waiting
    // for more; returns how many ran.
    int RunPending();
    // Runs posted work as it comes until `done` holds or `limit` has passed
    // (real time); returns whether `done` holds.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    void RunFor(std::chrono::milliseconds span) {
        RunUntil([] { return false; }, span);
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> work_;
};

} // namespace corvane
