#include "audio/chain/EMMError.h"
#include "audio/device/MainThreadQueue.h"
#include "audio/device/ThreadPeriodicTimer.h"
#include "audio/output/TMMHiTimer.h"
#include "platform/ExceptionGuard.h"
#include "studio/VirtualPeriodicTimer.h"

#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane {
namespace {

// A periodic timer the test ticks by hand, standing in for the timer's
// thread; with a main thread that runs posted work only when told, the two
// show what happens while the main thread is busy.
class ManualTimer final : public PeriodicTimer {
public:
    void Start(int, std::function<void()> tick) override { tick_ = std::move(tick); }
    void Stop() override { tick_ = nullptr; }
    void Tick() {
        if (tick_)
            tick_();
    }

private:
    std::function<void()> tick_;
};

struct ManualTimers final : public PeriodicTimerFactory {
    std::unique_ptr<PeriodicTimer> CreatePeriodicTimer() override {
        auto timer = std::make_unique<ManualTimer>();
        last = timer.get();
        ++created;
        return timer;
    }
    ManualTimer* last = nullptr;
    int created = 0;
};

TEST(TMMHiTimer, HoldsNoTimerWithoutIntervalEnabledAndHandler) {
    ManualTimers timers;
    MainThreadQueue main;
    TMMHiTimer timer(timers, main);
    EXPECT_FALSE(timer.Running()); // no OnTimer yet
    timer.SetOnTimer([](TMMComponent*) {});
    EXPECT_TRUE(timer.Running());
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Running());
    timer.SetInterval(30);
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Running());
}

TEST(TMMHiTimer, WindowModeQueuesAtMostTenTicksForABusyMainThread) {
    ManualTimers timers;
    MainThreadQueue main;
    TMMHiTimer timer(timers, main);
    int fired = 0;
    timer.SetInterval(30);
    timer.SetOnTimer([&](TMMComponent*) { ++fired; });
    for (int i = 0; i < 33; ++i) // a second of 30 ms ticks while the main thread is blocked
        timers.last->Tick();
    main.RunPending();
    EXPECT_EQ(fired, 10);
    // Once the backlog is handled, ticks queue again.
    timers.last->Tick();
    main.RunPending();
    EXPECT_EQ(fired, 11);
}

TEST(TMMHiTimer, ThreadModeCollapsesTicksThatComeWhileOnTimerWaits) {
    ManualTimers timers;
    MainThreadQueue main;
    TMMHiTimer timer(timers, main);
    timer.SetCallBackMode(TMMCBMode::cmThread);
    int fired = 0;
    timer.SetInterval(30);
    timer.SetOnTimer([&](TMMComponent*) { ++fired; });
    for (int i = 0; i < 5; ++i)
        timers.last->Tick();
    main.RunPending();
    EXPECT_EQ(fired, 2); // the waiting one, then one for all that came meanwhile
}

TEST(TMMHiTimer, TicksAtItsIntervalInVirtualTimeAndRestartsWhenReEnabled) {
    VirtualStudio studio;
    VirtualPeriodicTimerFactory timers(studio);
    TMMHiTimer timer(timers, studio, "HiTimer");
    timer.SetCallBackMode(TMMCBMode::cmThread);
    std::vector<int64_t> at;
    timer.SetInterval(30);
    timer.SetOnTimer([&](TMMComponent*) { at.push_back(studio.NowMs()); });
    studio.Run(100);
    EXPECT_EQ(at, (std::vector<int64_t>{30, 60, 90}));
    studio.Run(5);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    studio.Run(40);
    EXPECT_EQ(at.back(), 135);
}

TEST(TMMHiTimer, AnErrorInOnTimerIsReportedAndTheTimerGoesOn) {
    VirtualStudio studio;
    VirtualPeriodicTimerFactory timers(studio);
    TMMHiTimer timer(timers, studio, "HiTimer");
    std::vector<std::string> handled;
    const auto previous = SetExceptionHandler([&](std::string_view sender, std::exception_ptr e) {
        handled.push_back(std::string(sender) + ": " + ExceptionMessage(e));
    });
    int fired = 0;
    timer.SetInterval(30);
    timer.SetOnTimer([&](TMMComponent*) {
        if (++fired == 1)
            throw EMMAudioError("broken");
    });
    studio.Run(90);
    SetExceptionHandler(previous);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(handled, (std::vector<std::string>{"HiTimer: broken"}));
}

TEST(TMMHiTimer, ThreadModeDeliversOnTheMainThread) {
    ThreadPeriodicTimerFactory timers;
    MainThreadQueue main;
    TMMHiTimer timer(timers, main);
    timer.SetCallBackMode(TMMCBMode::cmThread);
    std::vector<std::thread::id> threads;
    timer.SetInterval(1);
    timer.SetOnTimer([&](TMMComponent*) { threads.push_back(std::this_thread::get_id()); });
    ASSERT_TRUE(main.RunUntil([&] { return threads.size() >= 3; }, std::chrono::seconds(10)));
    timer.SetEnabled(false);
    for (const auto& id : threads)
        EXPECT_EQ(id, std::this_thread::get_id());
}

} // namespace
} // namespace corvane
