#include "MainLoop.h"

#include "platform/ExceptionGuard.h"

namespace corvane {

void MainLoop::Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
    posted_.notify_all();
}

void MainLoop::Run(const std::function<bool()>& done, std::chrono::milliseconds period,
                   const std::function<void()>& every) {
    auto next = std::chrono::steady_clock::now() + period;
    while (!done()) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            if (posted_.wait_until(lock, next, [&] { return !work_.empty(); })) {
                work = std::move(work_.front());
                work_.pop_front();
            }
        }
        if (work) {
            Guarded("MainLoop", work);
            continue;
        }
        next += period;
        Guarded("MainLoop", every);
    }
}

} // namespace corvane
