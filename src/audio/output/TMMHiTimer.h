#pragma once

#include "audio/chain/TMMComponent.h"
#include "audio/device/PeriodicTimer.h"
#include "audio/output/MMTypes.h"
#include "platform/Dispatcher.h"

#include <atomic>
#include <memory>

namespace corvane {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A periodic timer with millisecond resolution on a PeriodicTimer (its own
// thread, or virtual time in the studio). How OnTimer is delivered:
// - cmWindow: each tick is posted to the main thread; at most 10 ticks wait
//   there, further ones are dropped while the main thread is busy;
// - cmThread with Synchronize: OnTimer runs on the main thread; ticks that
//   fall due while it runs or waits collapse into one;
// - cmThread without Synchronize: OnTimer runs on the timer's thread.
// cmCallback (interrupt-time callbacks) is not offered and is refused.
// A timer exists only with an Interval above 0, Enabled and an OnTimer;
// every change of those (and of the mode) re-creates it, so the period runs
// from the moment of the change. Errors of OnTimer go to the application's
// exception handler and the timer keeps running. Properties are set on the
// main thread.
class TMMHiTimer : public TMMNonVisualComponent {
public:
    // Ticks that may wait for the main thread in cmWindow mode.
    static constexpr int MaxPendingTicks = 10;

    TMMHiTimer(PeriodicTimerFactory& timers, Dispatcher& dispatcher, std::string name = {});
    ~TMMHiTimer() override;

    void SetCallBackMode(TMMCBMode mode);
    TMMCBMode CallBackMode() const { return mode_; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(int ms);
    int Interval() const { return interval_; }
    void SetOnTimer(TMMNotifyEvent onTimer);
    // Stored for the form description; the timer's thread runs at the
    // process's own priority.
    void SetPriority(TThreadPriority priority) { priority_ = priority; }
    TThreadPriority Priority() const { return priority_; }
    void SetSynchronize(bool synchronize);
    bool Synchronize() const { return synchronize_; }
    // Stopping always waits for a tick in progress on the timer's thread;
    // kept for the form description.
    void SetWaitForTerminate(bool wait) { waitForTerminate_ = wait; }
    bool WaitForTerminate() const { return waitForTerminate_; }

    // Whether a periodic timer exists now.
    bool Running() const { return timer_ != nullptr; }

private:
    // What the timer's thread and the posted deliveries share; outlives the
    // component until the last posted delivery has run.
    struct Shared {
        std::atomic<uint64_t> generation{0};
        std::atomic<int> pending{0};
        // cmThread: 0 idle, 1 delivery under way, 2 and a tick waiting.
        std::atomic<int> delivery{0};
        TMMNotifyEvent onTimer; // replaced only while no timer runs
        std::string sender;
    };

    void Recreate();
    void TearDown();
    void Tick(const std::shared_ptr<Shared>& shared, uint64_t generation);
    void PostWindowTick(const std::shared_ptr<Shared>& shared, uint64_t generation);
    void PostSynchronized(const std::shared_ptr<Shared>& shared, uint64_t generation);

    PeriodicTimerFactory& timers_;
    Dispatcher& dispatcher_;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<PeriodicTimer> timer_;
    TMMCBMode mode_ = TMMCBMode::cmWindow;
    bool enabled_ = true;
    int interval_ = 1000;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    bool synchronize_ = true;
    bool waitForTerminate_ = false;
};

} // namespace corvane
