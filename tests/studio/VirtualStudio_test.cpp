#include "platform/ExceptionGuard.h"
#include "studio/VirtualStudio.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane {
namespace {

struct Event {
    std::string what;
    int64_t atMs;
    friend bool operator==(const Event&, const Event&) = default;
};

TEST(VirtualStudio, TimersFireInOrderAtTheirVirtualMoments) {
    VirtualStudio studio;
    std::vector<Event> events;
    auto hi = studio.CreateTimer("HiTimer", 30);
    auto clock = studio.CreateTimer("tmrClock", 1000);
    auto off = studio.CreateTimer("tmrHardwareDelay", 1000);
    hi->SetOnTimer([&] { events.push_back({"hi", studio.NowMs()}); });
    clock->SetOnTimer([&] { events.push_back({"clock", studio.NowMs()}); });
    off->SetOnTimer([&] { events.push_back({"off", studio.NowMs()}); });
    clock->SetEnabled(true);
    studio.Run(20);
    hi->SetEnabled(true); // counts from now: 50, 80, …
    studio.Run(1000);

    std::vector<Event> expected;
    for (int64_t t = 50; t <= 1020; t += 30) {
        if (t > 1000 && expected.back().what != "clock")
            expected.push_back({"clock", 1000});
        expected.push_back({"hi", t});
    }
    EXPECT_EQ(events, expected);
    EXPECT_EQ(studio.NowMs(), 1020);
}

TEST(VirtualStudio, ChangingTheIntervalRestartsTheCountAndZeroNeverFires) {
    VirtualStudio studio;
    std::vector<int64_t> ticks;
    auto t = studio.CreateTimer("tmrFadeStop", 0);
    t->SetOnTimer([&] {
        ticks.push_back(studio.NowMs());
        t->SetEnabled(false); // one shot, as the console uses it
    });
    t->SetEnabled(true);
    studio.Run(5000);
    EXPECT_TRUE(ticks.empty());
    t->SetInterval(700);
    studio.Run(5000);
    EXPECT_EQ(ticks, (std::vector<int64_t>{5700}));
}

TEST(VirtualStudio, HoursOfTicksRunInstantly) {
    VirtualStudio studio;
    int64_t ticks = 0;
    auto hi = studio.CreateTimer("HiTimer", 30);
    hi->SetOnTimer([&] { ++ticks; });
    hi->SetEnabled(true);
    studio.Run(24LL * 3600 * 1000);
    EXPECT_EQ(ticks, 24LL * 3600 * 1000 / 30);
    EXPECT_DOUBLE_EQ(studio.Now() - EncodeDateTime({2026, 1, 5, 9, 0, 0, 0}), 1.0);
}

TEST(VirtualStudio, PostedWorkRunsInOrderBeforeTimeMovesOn) {
    VirtualStudio studio;
    std::vector<std::string> log;
    auto timer = studio.CreateTimer("t", 10);
    timer->SetOnTimer([&] {
        log.push_back("tick@" + std::to_string(studio.NowMs()));
        studio.Post([&] { log.push_back("after tick@" + std::to_string(studio.NowMs())); });
    });
    timer->SetEnabled(true);
    studio.Post([&] {
        log.push_back("a");
        studio.Post([&] { log.push_back("c"); });
    });
    studio.Post([&] { log.push_back("b"); });
    EXPECT_TRUE(log.empty()); // never inside Post
    studio.Run(10);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "tick@10", "after tick@10"}));
}

TEST(VirtualStudio, AnErrorInATickOrPostedWorkReachesTheHandlerAndTheLoopGoesOn) {
    std::vector<std::string> handled;
    const auto previous = SetExceptionHandler([&](std::string_view sender, std::exception_ptr e) {
        handled.push_back(std::string(sender) + ": " + ExceptionMessage(e));
    });
    VirtualStudio studio;
    int ticks = 0;
    auto timer = studio.CreateTimer("EventTimer", 1000);
    timer->SetOnTimer([&] {
        if (++ticks == 1)
            throw std::runtime_error("bad event row");
    });
    timer->SetEnabled(true);
    studio.Post([] { throw std::runtime_error("bad posted work"); });
    bool laterRan = false;
    studio.Post([&] { laterRan = true; });
    studio.Run(3000);
    SetExceptionHandler(previous);

    EXPECT_TRUE(laterRan);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(handled,
              (std::vector<std::string>{"Dispatcher: bad posted work", "EventTimer: bad event row"}));
}

TEST(VirtualStudio, RunUntilStopsAtTheMomentTheConditionHolds) {
    VirtualStudio studio;
    int ticks = 0;
    auto t = studio.CreateTimer("t", 30);
    t->SetOnTimer([&] { ++ticks; });
    t->SetEnabled(true);
    EXPECT_TRUE(studio.RunUntil([&] { return ticks == 4; }, 10'000));
    EXPECT_EQ(studio.NowMs(), 120);
    EXPECT_FALSE(studio.RunUntil([&] { return ticks == 0; }, 100));
    EXPECT_EQ(studio.NowMs(), 220);
}

} // namespace
} // namespace corvane
