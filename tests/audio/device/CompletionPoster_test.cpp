#include "audio/device/CompletionPoster.h"

#include <deque>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

// A main thread that runs posted work only when the test says so, so that
// a reset can fall between a completion's posting and its delivery.
class HeldDispatcher final : public Dispatcher {
public:
    void Post(std::function<void()> work) override { work_.push_back(std::move(work)); }
    void RunAll() {
        while (!work_.empty()) {
            auto w = std::move(work_.front());
            work_.pop_front();
            w();
        }
    }

private:
    std::deque<std::function<void()>> work_;
};

TEST(CompletionPoster, DeliversOnlyCompletionsOfTheCurrentEpoch) {
    HeldDispatcher dispatcher;
    std::vector<WaveDeviceBuffer*> delivered;
    WaveDeviceBuffer a, b, c;
    auto poster = std::make_unique<CompletionPoster>(
        dispatcher, [&](WaveDeviceBuffer& buf) { delivered.push_back(&buf); });
    const uint64_t before = poster->Epoch();
    poster->Post(&a, before);
    poster->Invalidate();     // a reset took the buffers back
    poster->Post(&b, before); // the writer finished one more of the old ones
    poster->Post(&c, poster->Epoch());
    dispatcher.RunAll();
    EXPECT_EQ(delivered, (std::vector<WaveDeviceBuffer*>{&c}));

    // Posted work may outlive the stream that posted it.
    poster->Post(&a, poster->Epoch());
    poster.reset();
    dispatcher.RunAll();
    EXPECT_EQ(delivered.size(), 1u);
}

} // namespace
} // namespace corvane
