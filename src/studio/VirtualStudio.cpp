#include "studio/VirtualStudio.h"

#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace corvane {
namespace {

// Posted work that keeps posting more at the same virtual moment would never
// let time advance; past this many items in one instant the test is broken.
constexpr int MaxWorkPerInstant = 1'000'000;

class VirtualTimer final : public Timer, public TimeSource {
public:
    VirtualTimer(VirtualStudio& studio, const char* name, int intervalMs)
        : studio_(studio), name_(name ? name : ""), interval_(intervalMs) {
        studio_.AddTimeSource(this);
    }
    ~VirtualTimer() override { studio_.RemoveTimeSource(this); }

    void SetInterval(int ms) override {
        interval_ = ms;
        Restart();
    }
    int Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        Restart();
    }
    bool Enabled() const override { return enabled_; }
    void SetOnTimer(std::function<void()> onTimer) override { onTimer_ = std::move(onTimer); }

    int64_t NextDueMs() const override { return enabled_ && interval_ > 0 ? due_ : -1; }
    void Fire(int64_t nowMs) override {
        due_ = nowMs + interval_;
        if (onTimer_)
            Guarded(name_, onTimer_);
    }

private:
    void Restart() { due_ = studio_.NowMs() + interval_; }

    VirtualStudio& studio_;
    std::string name_;
    int interval_;
    bool enabled_ = false;
    int64_t due_ = 0;
    std::function<void()> onTimer_;
};

} // namespace

TDateTime VirtualClock::Now() const {
    return studio_.Now();
}
int64_t VirtualClock::MonotonicMs() const {
    return studio_.NowMs();
}

VirtualStudio::VirtualStudio(TDateTime start) : clock_(*this), startWall_(start) {}

VirtualStudio::~VirtualStudio() = default;

TDateTime VirtualStudio::Now() const {
    return startWall_ + static_cast<double>(nowMs_) / MsPerDay;
}

void VirtualStudio::SetWallClock(TDateTime now) {
    startWall_ = now - static_cast<double>(nowMs_) / MsPerDay;
}

std::unique_ptr<Timer> VirtualStudio::CreateTimer(const char* name, int intervalMs) {
    return std::make_unique<VirtualTimer>(*this, name, intervalMs);
}

void VirtualStudio::Post(std::function<void()> work) {
    std::lock_guard lock(postMutex_);
    posted_.push_back(std::move(work));
}

void VirtualStudio::AddTimeSource(TimeSource* source) {
    sources_.push_back(source);
}

void VirtualStudio::RemoveTimeSource(TimeSource* source) {
    // Null the slot instead of erasing, so that a source removed while the
    // studio walks the list (a tick that destroys a timer) leaves it valid.
    std::replace(sources_.begin(), sources_.end(), source, static_cast<TimeSource*>(nullptr));
}

void VirtualStudio::RunPending() {
    ChargeBusyTime();
    for (int count = 0;; ++count) {
        std::function<void()> work;
        {
            std::lock_guard lock(postMutex_);
            if (posted_.empty())
                return;
            work = std::move(posted_.front());
            posted_.pop_front();
        }
        if (count >= MaxWorkPerInstant)
            throw std::logic_error("VirtualStudio: posted work never settles at one virtual moment");
        if (workTakesRealTime_)
            RunWork([&] { Guarded("Dispatcher", work); });
        else
            Guarded("Dispatcher", work);
    }
}

void VirtualStudio::RunWork(const std::function<void()>& work) {
    if (workDepth_++ == 0)
        busySince_ = workClock_();
    struct Leave {
        VirtualStudio& studio;
        ~Leave() {
            studio.ChargeBusyTime();
            --studio.workDepth_;
        }
    } leave{*this};
    work();
}

void VirtualStudio::ChargeBusyTime() {
    if (!workTakesRealTime_ || workDepth_ == 0)
        return;
    const auto now = workClock_();
    busyMicros_ += std::chrono::duration_cast<std::chrono::microseconds>(now - busySince_).count();
    busySince_ = now;
    const int64_t ms = busyMicros_ / 1000;
    busyMicros_ %= 1000;
    if (ms > 0)
        Stall(ms);
}

void VirtualStudio::Stall(int64_t ms) {
    const int64_t until = nowMs_ + std::max<int64_t>(ms, 0);
    for (;;) {
        TimeSource* next = nullptr;
        int64_t nextDue = 0;
        for (TimeSource* s : sources_) {
            const int64_t due = s && s->ActsWhileMainThreadBusy() ? s->NextDueMs() : -1;
            if (due >= 0 && due <= until && (!next || due < nextDue)) {
                next = s;
                nextDue = due;
            }
        }
        if (!next)
            break;
        nowMs_ = std::max(nowMs_, nextDue);
        next->Fire(nowMs_);
    }
    nowMs_ = until;
}

bool VirtualStudio::RunOneDue(int64_t untilMs) {
    sources_.erase(std::remove(sources_.begin(), sources_.end(), nullptr), sources_.end());
    TimeSource* next = nullptr;
    int64_t nextDue = 0;
    for (TimeSource* s : sources_) {
        const int64_t due = s->NextDueMs();
        if (due >= 0 && due <= untilMs && (!next || due < nextDue)) {
            next = s;
            nextDue = due;
        }
    }
    if (!next)
        return false;
    nowMs_ = std::max(nowMs_, nextDue);
    if (workTakesRealTime_ && !next->ActsWhileMainThreadBusy())
        RunWork([&] { next->Fire(nowMs_); });
    else
        next->Fire(nowMs_);
    RunPending();
    return true;
}

void VirtualStudio::Run(int64_t ms) {
    ChargeBusyTime();
    const int64_t until = nowMs_ + std::max<int64_t>(ms, 0);
    RunPending();
    while (RunOneDue(until)) {
    }
    // Work that took real time may have carried the clock past `until`.
    nowMs_ = std::max(nowMs_, until);
    RunPending();
}

bool VirtualStudio::RunUntil(const std::function<bool()>& done, int64_t limitMs) {
    ChargeBusyTime();
    const int64_t until = nowMs_ + std::max<int64_t>(limitMs, 0);
    RunPending();
    if (done())
        return true;
    while (RunOneDue(until))
        if (done())
            return true;
    nowMs_ = std::max(nowMs_, until);
    RunPending();
    return done();
}

} // namespace corvane
