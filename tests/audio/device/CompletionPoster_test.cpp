#include "audio/device/CompletionPoster.h"
#include "audio/device/MainThreadQueue.h"

#include <gtest/gtest.h>
#include <string>
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

// A stream's own failure reaches the main thread once, and never after the
// stream was closed.
TEST(CompletionPoster, DeliversAFaultOnceAndNotAfterDetach) {
    MainThreadQueue dispatcher;
    std::vector<std::string> faults;
    CompletionPoster poster(dispatcher, {});
    poster.SetOnFault(
        [&](const std::string& call, const std::string& text) { faults.push_back(call + ": " + text); });
    poster.PostFault("WaveOutWrite", "Connection refused");
    poster.PostFault("WaveOutWrite", "again");
    dispatcher.RunPending();
    EXPECT_EQ(faults, (std::vector<std::string>{"WaveOutWrite: Connection refused"}));

    CompletionPoster closed(dispatcher, {});
    closed.SetOnFault([&](const std::string&, const std::string&) { faults.push_back("after close"); });
    closed.PostFault("WaveOutWrite", "late");
    closed.Detach();
    dispatcher.RunPending();
    EXPECT_EQ(faults.size(), 1u);
}

} // namespace
} // namespace corvane
