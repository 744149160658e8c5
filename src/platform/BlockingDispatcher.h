#pragma once

#include "platform/Dispatcher.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace corvane {

// The main thread of a tool without an event loop (or of a test waiting for
// worker threads): work posted from any thread waits here until the main
// thread runs it with RunPosted.
class BlockingDispatcher final : public Dispatcher {
public:
    void Post(std::function<void()> work) override {
        {
            std::lock_guard guard(lock_);
            posted_.push_back(std::move(work));
        }
        wake_.notify_one();
    }
    // Main thread: waits for posted work when `wait` and none is there, then
    // runs everything posted so far, in order.
    void RunPosted(bool wait) {
        std::deque<std::function<void()>> work;
        {
            std::unique_lock guard(lock_);
            if (wait)
                wake_.wait(guard, [this] { return !posted_.empty(); });
            work.swap(posted_);
        }
        for (auto& w : work)
            w();
    }

private:
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> posted_;
};

} // namespace corvane
