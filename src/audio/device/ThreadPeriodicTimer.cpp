#include "audio/device/ThreadPeriodicTimer.h"

#include <chrono>
#include <system_error>

namespace corvane {

ThreadPeriodicTimer::~ThreadPeriodicTimer() {
    Stop();
}

void ThreadPeriodicTimer::Start(int periodMs, std::function<void()> tick) {
    if (periodMs <= 0)
        throw PeriodicTimerError("Not enough timers available");
    Stop();
    control_ = std::make_shared<Control>();
    try {
        thread_ = std::thread(
            [control = control_, periodMs, tick = std::move(tick)] { Loop(control, periodMs, tick); });
    } catch (const std::system_error&) {
        control_.reset();
        throw PeriodicTimerError("Not enough timers available");
    }
}

void ThreadPeriodicTimer::Stop() {
    if (!control_)
        return;
    {
        std::lock_guard lock(control_->mutex);
        control_->stop = true;
    }
    control_->wake.notify_all();
    control_.reset();
    if (!thread_.joinable())
        return;
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach(); // stopped from its own tick: it ends when the tick returns
    else
        thread_.join();
}

void ThreadPeriodicTimer::Loop(const std::shared_ptr<Control>& control, int periodMs,
                               const std::function<void()>& tick) {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs);
    auto due = Clock::now() + period;
    std::unique_lock lock(control->mutex);
    for (;;) {
        if (control->wake.wait_until(lock, due, [&] { return control->stop; }))
            return;
        lock.unlock();
        tick();
        lock.lock();
        if (control->stop)
            return;
        due += period;
        const auto now = Clock::now();
        if (due <= now)
            due = now + period - (now - due) % period;
    }
}

} // namespace corvane
