#pragma once

#include "audio/device/PeriodicTimer.h"
#include "studio/VirtualStudio.h"

namespace corvane {

// The periodic timer in virtual time: ticks run on the studio's thread at
// exact multiples of the period after Start. What a real timer thread does
// concurrently happens here between the studio's other actions.
class VirtualPeriodicTimer final : public PeriodicTimer, public TimeSource {
public:
    explicit VirtualPeriodicTimer(VirtualStudio& studio);
    ~VirtualPeriodicTimer() override;
    VirtualPeriodicTimer(const VirtualPeriodicTimer&) = delete;
    VirtualPeriodicTimer& operator=(const VirtualPeriodicTimer&) = delete;

    void Start(int periodMs, std::function<void()> tick) override;
    void Stop() override;

    int64_t NextDueMs() const override { return running_ ? due_ : -1; }
    void Fire(int64_t nowMs) override;

private:
    VirtualStudio& studio_;
    bool running_ = false;
    int periodMs_ = 0;
    int64_t due_ = 0;
    std::function<void()> tick_;
};

// Hands out virtual periodic timers of one studio.
class VirtualPeriodicTimerFactory final : public PeriodicTimerFactory {
public:
    explicit VirtualPeriodicTimerFactory(VirtualStudio& studio) : studio_(studio) {}
    std::unique_ptr<PeriodicTimer> CreatePeriodicTimer() override {
        return std::make_unique<VirtualPeriodicTimer>(studio_);
    }

private:
    VirtualStudio& studio_;
};

} // namespace corvane
