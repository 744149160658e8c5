#include "audio/device/CompletionPoster.h"
#include "audio/device/MainThreadQueue.h"

#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

TEST(CompletionPoster, DeliversOnlyCompletionsOfTheCurrentEpoch) {
    MainThreadQueue dispatcher;
    std::vector<WaveDeviceBuffer*> delivered;
    WaveDeviceBuffer a, b, c;
    auto poster = std::make_unique<CompletionPoster>(
        dispatcher, [&](WaveDeviceBuffer& buf) { delivered.push_back(&buf); });
    const uint64_t before = poster->Epoch();
    poster->Post(&a, before);
    poster->Invalidate();     // a reset took the buffers back
    poster->Post(&b, before); // the writer finished one more of the old ones
    poster->Post(&c, poster->Epoch());
    dispatcher.RunPending();
    EXPECT_EQ(delivered, (std::vector<WaveDeviceBuffer*>{&c}));

    // Posted work may outlive the stream that posted it.
    poster->Post(&a, poster->Epoch());
    poster.reset();
    dispatcher.RunPending();
    EXPECT_EQ(delivered.size(), 1u);
}

} // namespace
} // namespace corvane
