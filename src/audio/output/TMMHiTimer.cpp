#include "audio/output/TMMHiTimer.h"

#include "audio/chain/EMMError.h"
#include "platform/ExceptionGuard.h"

namespace corvane {

TMMHiTimer::TMMHiTimer(PeriodicTimerFactory& timers, Dispatcher& dispatcher, std::string name)
    : TMMNonVisualComponent(std::move(name)), timers_(timers), dispatcher_(dispatcher),
      shared_(std::make_shared<Shared>()) {
    shared_->sender = Name().empty() ? "TMMHiTimer" : Name();
}

TMMHiTimer::~TMMHiTimer() {
    TearDown();
}

void TMMHiTimer::SetCallBackMode(TMMCBMode mode) {
    if (mode == TMMCBMode::cmCallback || mode == mode_)
        return;
    mode_ = mode;
    Recreate();
}

void TMMHiTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Recreate();
}

void TMMHiTimer::SetInterval(int ms) {
    interval_ = ms;
    Recreate();
}

void TMMHiTimer::SetOnTimer(TMMNotifyEvent onTimer) {
    TearDown();
    shared_->onTimer = std::move(onTimer);
    Recreate();
}

void TMMHiTimer::SetSynchronize(bool synchronize) {
    synchronize_ = synchronize;
    Recreate();
}

void TMMHiTimer::TearDown() {
    if (timer_) {
        timer_->Stop();
        timer_.reset();
    }
    // Ticks already posted belong to the old timer and are dropped.
    ++shared_->generation;
    shared_->pending = 0;
    shared_->delivery = 0;
}

void TMMHiTimer::Recreate() {
    TearDown();
    if (interval_ <= 0 || !enabled_ || !shared_->onTimer)
        return;
    auto timer = timers_.CreatePeriodicTimer();
    const uint64_t generation = shared_->generation;
    try {
        timer->Start(interval_, [this, shared = shared_, generation] { Tick(shared, generation); });
    } catch (const PeriodicTimerError&) {
        throw EOutOfResources(MMString::NotEnoughTimers);
    }
    timer_ = std::move(timer);
}

// The timer's thread.
void TMMHiTimer::Tick(const std::shared_ptr<Shared>& shared, uint64_t generation) {
    if (shared->generation != generation)
        return;
    switch (mode_) {
    case TMMCBMode::cmWindow:
        if (shared->pending.fetch_add(1) < MaxPendingTicks)
            PostWindowTick(shared, generation);
        else
            --shared->pending;
        break;
    case TMMCBMode::cmThread:
        if (!synchronize_) {
            Guarded(shared->sender, [&] { shared->onTimer(this); });
            break;
        }
        for (int state = shared->delivery.load();;) {
            const int next = state == 0 ? 1 : 2;
            if (shared->delivery.compare_exchange_weak(state, next)) {
                if (state == 0)
                    PostSynchronized(shared, generation);
                break;
            }
        }
        break;
    case TMMCBMode::cmCallback:
        break;
    }
}

void TMMHiTimer::PostWindowTick(const std::shared_ptr<Shared>& shared, uint64_t generation) {
    dispatcher_.Post([this, shared, generation] {
        if (shared->generation != generation)
            return;
        --shared->pending;
        if (enabled_ && shared->onTimer)
            Guarded(shared->sender, [&] { shared->onTimer(this); });
    });
}

void TMMHiTimer::PostSynchronized(const std::shared_ptr<Shared>& shared, uint64_t generation) {
    dispatcher_.Post([this, shared, generation] {
        if (shared->generation != generation)
            return;
        Guarded(shared->sender, [&] { shared->onTimer(this); });
        if (shared->generation != generation)
            return; // OnTimer re-created or stopped the timer
        // A tick that came meanwhile gets one more delivery; more collapse.
        for (int state = shared->delivery.load();;) {
            const int next = state == 2 ? 1 : 0;
            if (shared->delivery.compare_exchange_weak(state, next)) {
                if (state == 2)
                    PostSynchronized(shared, generation);
                break;
            }
        }
    });
}

} // namespace corvane
