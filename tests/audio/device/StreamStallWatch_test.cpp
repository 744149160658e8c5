#include "audio/device/StreamStallWatch.h"

#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

// Each scenario starts a stream with room for 1000 frames at 0 ms; a step
// writes frames, then looks at the room the stream reports at a moment.
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
            EXPECT_EQ(watch.Look(step.available, start + std::chrono::milliseconds(step.atMs)), step.alive)
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
    EXPECT_TRUE(watch.Look(100, start + std::chrono::milliseconds(100)));
    watch.Started(1000, start + std::chrono::milliseconds(200));
    watch.Wrote(1000);
    EXPECT_TRUE(watch.Look(0, start + std::chrono::milliseconds(3200)));
    EXPECT_FALSE(watch.Look(0, start + std::chrono::milliseconds(3201)));
}

} // namespace
} // namespace corvane
