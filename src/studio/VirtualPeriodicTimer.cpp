#include "studio/VirtualPeriodicTimer.h"

#include <utility>

namespace corvane {

VirtualPeriodicTimer::VirtualPeriodicTimer(VirtualStudio& studio) : studio_(studio) {
    studio_.AddTimeSource(this);
}

VirtualPeriodicTimer::~VirtualPeriodicTimer() {
    studio_.RemoveTimeSource(this);
}

void VirtualPeriodicTimer::Start(int periodMs, std::function<void()> tick) {
    if (periodMs <= 0)
        throw PeriodicTimerError("Not enough timers available");
    periodMs_ = periodMs;
    tick_ = std::move(tick);
    due_ = studio_.NowMs() + periodMs;
    running_ = true;
}

void VirtualPeriodicTimer::Stop() {
    running_ = false;
}

void VirtualPeriodicTimer::Fire(int64_t nowMs) {
    due_ = nowMs + periodMs_;
    // A copy: the tick may stop or restart this timer.
    const auto tick = tick_;
    if (tick)
        tick();
}

} // namespace corvane
