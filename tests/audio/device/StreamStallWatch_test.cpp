#include "audio/device/StreamStallWatch.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

using Verdict = StreamStallWatch::Verdict;

// Each scenario starts a stream with room for 1000 frames at 0 ms; a step
// writes frames, then looks at the room the stream reports at a moment. No
// server is known, so a stall past its limit is a loss.
TEST(StreamStallWatch, NewStreamsGetTheStartGraceThenOneSecond) {
    struct Step {
        long wrote;
        long available;
        int atMs;
        bool alive;
    };
    struct Scenario {
        const char* name;
        std::vector<Step> steps;
    };
    const std::vector<Scenario> scenarios = {
        {"NeverTakesAnyAudio",
         {{1000, 0, 100, true}, {0, 0, 2999, true}, {0, 0, 3000, true}, {0, 0, 3001, false}}},
        {"StopsOnceItHasPlayed",
         {{1000, 0, 100, true},
          {0, 300, 400, true},
          {300, 0, 500, true},
          {0, 0, 1400, true},
          {0, 0, 1401, false}}},
        // Slow but steady: every bit of room gained restarts the count.
        {"PlaysSlowly",
         {{1000, 0, 0, true},
          {0, 10, 900, true},
          {10, 0, 1000, true},
          {0, 10, 1800, true},
          {10, 0, 1900, true},
          {0, 0, 2700, true}}},
        // A stream with nothing in it has nothing to play.
        {"Empty", {{0, 1000, 5000, true}, {0, 1000, 20000, true}}},
        {"DrainedAfterPlaying", {{500, 500, 100, true}, {0, 1000, 200, true}, {0, 1000, 9000, true}}},
    };
    const StreamStallWatch::TimePoint start{};
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        StreamStallWatch watch;
        watch.Started(1000, start);
        for (const Step& step : scenario.steps) {
            watch.Wrote(step.wrote);
            const Verdict expected = step.alive ? Verdict::Playing : Verdict::Lost;
            EXPECT_EQ(watch.Look(step.available, start + std::chrono::milliseconds(step.atMs)), expected)
                << "at " << step.atMs << " ms";
        }
    }
}

// A restarted stream (after a reset) gets the start grace again.
TEST(StreamStallWatch, ARestartGivesTheGraceAgain) {
    const StreamStallWatch::TimePoint start{};
    StreamStallWatch watch;
    watch.Started(1000, start);
    watch.Wrote(1000);
    EXPECT_EQ(watch.Look(100, start + std::chrono::milliseconds(100)), Verdict::Playing);
    watch.Started(1000, start + std::chrono::milliseconds(200));
    watch.Wrote(1000);
    EXPECT_EQ(watch.Look(0, start + std::chrono::milliseconds(3200)), Verdict::Playing);
    EXPECT_EQ(watch.Look(0, start + std::chrono::milliseconds(3201)), Verdict::Lost);
}

// A stream that has played and then stalls, looked at every 100 ms, with a
// server that answers until `answersUntilMs` (from the stall's start).
struct ServerCase {
    const char* name;
    int answersUntilMs;
    int progressAtMs; // the stream takes audio again from here on (0: never)
    int lostAtMs;     // the first look that says Lost (0: never)
    int firstSlowAtMs;
};

class StreamStallWatchServer : public ::testing::TestWithParam<ServerCase> {};

TEST_P(StreamStallWatchServer, AStallIsALossOnlyWithoutAnAnsweringServer) {
    const ServerCase& c = GetParam();
    const StreamStallWatch::TimePoint start{};
    int nowMs = 0;
    int asked = 0;
    StreamStallWatch watch([&] {
        ++asked;
        return nowMs <= c.answersUntilMs;
    });
    watch.Started(1000, start);
    watch.Wrote(1000);
    ASSERT_EQ(watch.Look(500, start), Verdict::Playing); // it has played: the one-second rule
    int lostAt = 0;
    int firstSlow = 0;
    long room = 500;
    for (nowMs = 100; nowMs <= 12000 && lostAt == 0; nowMs += 100) {
        const bool goesOn = c.progressAtMs != 0 && nowMs >= c.progressAtMs;
        if (goesOn)
            room = std::min(room + 50, 1000L);
        const Verdict verdict = watch.Look(room, start + std::chrono::milliseconds(nowMs));
        if (verdict == Verdict::Lost)
            lostAt = nowMs;
        if (verdict == Verdict::Slow && firstSlow == 0)
            firstSlow = nowMs;
        if (goesOn)
            EXPECT_EQ(verdict, Verdict::Playing) << "at " << nowMs << " ms, after the stream went on";
    }
    EXPECT_EQ(lostAt, c.lostAtMs);
    EXPECT_EQ(firstSlow, c.firstSlowAtMs);
    // Asked once a second at most, not at every look.
    EXPECT_LE(asked, 11);
}

INSTANTIATE_TEST_SUITE_P(Stalls, StreamStallWatchServer,
                         ::testing::Values(
                             // The stopped server of a loaded machine: waited for, never lost.
                             ServerCase{"StoppedThenGoesOn", 100000, 1500, 0, 1100},
                             // A server killed before the stall's second is up: lost at once.
                             ServerCase{"Killed", 0, 0, 1100, 0},
                             // Answering at first, then gone: lost at the next question.
                             ServerCase{"DiesWhileWaitedFor", 3000, 0, 3100, 1100},
                             // Answering but never taking audio again: lost after the slow limit.
                             ServerCase{"HungForGood", 100000, 0, 10100, 1100}),
                         [](const ::testing::TestParamInfo<ServerCase>& info) { return info.param.name; });

} // namespace
} // namespace corvane
