#pragma once

#include "platform/Seams.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane {

// Anything that acts at moments of virtual time: the studio's timers, and the
// virtual wave device that "plays" queued buffers. The studio asks each source
// when it next wants to act and calls Fire at exactly that virtual moment.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    // Virtual ms of the next action, or a negative number for none.
    virtual int64_t NextDueMs() const = 0;
    // Called with the studio's clock at NextDueMs().
    virtual void Fire(int64_t nowMs) = 0;
    // Whether the source acts by itself, as a sound card plays on while the
    // main thread is busy; a timer tick needs the main thread.
    virtual bool ActsWhileMainThreadBusy() const { return false; }
};

class VirtualStudio;

// The studio's clock: wall time = start date + virtual ms.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(const VirtualStudio& studio) : studio_(studio) {}
    TDateTime Now() const override;
    int64_t MonotonicMs() const override;

private:
    const VirtualStudio& studio_;
};

// A deterministic stand-in for the main thread, its timers and its clock, so
// that a test can run hours of timer-driven behaviour in milliseconds.
// Everything runs on the calling thread inside Run; Post alone may also be
// called from other threads.
class VirtualStudio final : public TimerFactory, public Dispatcher {
public:
    explicit VirtualStudio(TDateTime start = EncodeDateTime({2026, 1, 5, 9, 0, 0, 0}));
    ~VirtualStudio() override;
    VirtualStudio(const VirtualStudio&) = delete;
    VirtualStudio& operator=(const VirtualStudio&) = delete;

    // Advances virtual time by `ms`, running posted work and firing every time
    // source that falls due, in order of due time (ties: the source added
    // first). Posted work always runs before time moves on.
    void Run(int64_t ms);
    // Runs posted work until none is left, without advancing time.
    void RunPending();
    // Advances until `done` is true (checked after every action) or `limitMs`
    // has passed; returns whether `done` became true.
    bool RunUntil(const std::function<bool()>& done, int64_t limitMs);

    // Whether posted work and timer ticks take as long in virtual time as they
    // take in real time (off: they take no time). While such work runs, the
    // main thread is busy: the sources that act by themselves (the wave
    // device) go on, and posted work and timers wait. Work that lets the
    // studio run in between (a loop that pumps) is busy only until it does.
    // This shows whether long main-thread work starves the output.
    void SetWorkTakesRealTime(bool on) { workTakesRealTime_ = on; }
    // What tells the time that work takes: the monotonic clock, or a test's
    // own clock that its work moves on instead of sleeping.
    using WorkClock = std::function<std::chrono::steady_clock::time_point()>;
    void SetWorkClock(WorkClock clock) { workClock_ = std::move(clock); }
    // The main thread is busy for `ms`: time moves on, only the sources that
    // act by themselves act; posted work and due timers wait for the next Run.
    void Stall(int64_t ms);

    int64_t NowMs() const { return nowMs_; }
    TDateTime Now() const;
    // Moves the wall clock (not the monotonic count), as when the operator
    // changes the computer's time.
    void SetWallClock(TDateTime now);

    Clock& clock() { return clock_; }

    std::unique_ptr<Timer> CreateTimer(const char* name, int intervalMs) override;
    void Post(std::function<void()> work) override;

    // Sources stay registered until removed; a source must remove itself
    // before it is destroyed.
    void AddTimeSource(TimeSource* source);
    void RemoveTimeSource(TimeSource* source);

private:
    bool RunOneDue(int64_t untilMs);
    // Runs main-thread work that takes real time, timing it.
    void RunWork(const std::function<void()>& work);
    // Stalls for the real time the work under way has taken since it began
    // or was last charged.
    void ChargeBusyTime();

    VirtualClock clock_;
    TDateTime startWall_;
    int64_t nowMs_ = 0;
    std::vector<TimeSource*> sources_;
    bool workTakesRealTime_ = false;
    int workDepth_ = 0;
    WorkClock workClock_ = [] { return std::chrono::steady_clock::now(); };
    std::chrono::steady_clock::time_point busySince_;
    int64_t busyMicros_ = 0; // charged but not yet a whole ms
    std::mutex postMutex_;
    std::deque<std::function<void()>> posted_;
};

} // namespace corvane
