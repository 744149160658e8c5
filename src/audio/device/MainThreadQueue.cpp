#include "audio/device/MainThreadQueue.h"

#include "platform/ExceptionGuard.h"

namespace corvane {

void MainThreadQueue::Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
    posted_.notify_all();
}

int MainThreadQueue::RunPending() {
    int ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (work_.empty())
                return ran;
            work = std::move(work_.front());
            work_.pop_front();
        }
        Guarded("Dispatcher", work);
        ++ran;
    }
}

bool MainThreadQueue::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            if (!posted_.wait_until(lock, end, [&] { return !work_.empty(); }))
                return done();
            work = std::move(work_.front());
            work_.pop_front();
        }
        Guarded("Dispatcher", work);
    }
    return true;
}

} // namespace corvane
