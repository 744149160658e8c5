#include "TestSource.h"
#include "audio/chain/EMMError.h"
#include "audio/output/TMMRingBuffer.h"
#include "studio/VirtualStudio.h"

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane {
namespace {

const WaveFormat CD = PcmWaveFormat(16, 2, 44100);

// Pulls a stream to its end in buffers of `bytes`; every call's bytes and
// MoreBuffers answer, in order.
struct Pulled {
    std::vector<uint8_t> bytes;
    std::vector<std::pair<uint32_t, bool>> calls;
    friend bool operator==(const Pulled&, const Pulled&) = default;
};

Pulled PullAll(TMMDSPComponent& from, uint32_t bytes, const std::function<void()>& beforeEach = {}) {
    Pulled p;
    std::vector<uint8_t> buffer(bytes);
    for (bool more = true; more && p.calls.size() < 1000;) {
        if (beforeEach)
            beforeEach();
        BufferHeader h;
        h.data = buffer.data();
        h.bufferLength = bytes;
        more = false;
        from.BufferLoad(&h, more);
        p.bytes.insert(p.bytes.end(), buffer.begin(), buffer.begin() + h.bytesFilled);
        p.calls.emplace_back(h.bytesFilled, more);
    }
    return p;
}

// A consumer that records what is pushed to it.
class Sink final : public TMMDSPComponent {
public:
    Sink() : TMMDSPComponent("Sink", PublishedLinks::Input) {}
    ~Sink() override { Unlink(); }
    void BufferReady(BufferHeader* h) override {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return open; });
        headers.push_back(h);
        received.insert(received.end(), h->data, h->data + h->bytesFilled);
    }
    void Block() {
        std::lock_guard lock(mutex);
        open = false;
    }
    void Release() {
        std::lock_guard lock(mutex);
        open = true;
        released.notify_all();
    }
    std::mutex mutex;
    std::condition_variable released;
    bool open = true;
    std::vector<BufferHeader*> headers;
    std::vector<uint8_t> received;
};

TEST(TMMRingBuffer, WithoutAQueueModeIsExactlyADirectLink) {
    VirtualStudio studio;
    TestSource direct(CD, 3000, 0.7, 440);
    const Pulled expected = PullAll(direct, 4096);

    TestSource source(CD, 3000, 0.7, 440);
    TMMRingBuffer ring(studio);
    Sink sink;
    ring.SetInput(&source);
    ring.SetOutput(&sink);
    EXPECT_EQ(*sink.GetWaveFormat(), CD);
    ring.SetBufferSize(4096);
    ring.Opened();
    ring.Started();
    EXPECT_EQ(PullAll(ring, 4096), expected);

    BufferHeader played;
    std::vector<uint8_t> data(64, 7);
    played.data = data.data();
    played.bytesFilled = played.bufferLength = 64;
    ring.BufferReady(&played);
    ASSERT_EQ(sink.headers.size(), 1u);
    EXPECT_EQ(sink.headers[0], &played);
    ring.Stopped();
    ring.Closed();
}

TEST(TMMRingBuffer, ReadModeDeliversTheInputInOrderAndEnds) {
    VirtualStudio studio;
    TestSource direct(CD, 20000, 0.5, 1000);
    const Pulled expected = PullAll(direct, 2048);

    TestSource source(CD, 20000, 0.5, 1000);
    TMMRingBuffer ring(studio);
    ring.SetInput(&source);
    ring.SetQueueMode(TMMQueueMode::qmRead);
    ring.SetNumBuffers(8);
    ring.SetBufferSize(2048);
    ring.Opened();
    ring.Started();
    // Give the worker time to keep ahead, so that no pull finds the ring
    // empty (which would deliver silence, as designed). The first pull
    // starts the worker and waits for its first fill itself.
    const Pulled got = PullAll(ring, 2048, [&] {
        while (ring.IsEmpty() && source.Delivered() > 0 &&
               !(source.Delivered() == 20000 && ring.WorkerIdle()))
            std::this_thread::yield();
    });
    EXPECT_EQ(got.bytes, expected.bytes);
    EXPECT_FALSE(got.calls.back().second);
    ring.Stopped();
    ring.Closed();
}

TEST(TMMRingBuffer, ReadModeFromASourceWithoutDataGivesNothing) {
    VirtualStudio studio;
    TestSource empty(CD, 0);
    TMMRingBuffer ring(studio);
    ring.SetInput(&empty);
    ring.SetQueueMode(TMMQueueMode::qmRead);
    ring.SetTimeOut(50);
    ring.Opened();
    ring.Started();
    std::vector<uint8_t> buffer(2048, 9);
    uint32_t flags = 0, user = 0;
    EXPECT_EQ(ring.Get(buffer.data(), 2048, flags, user), 0u);
    ring.Stopped();
    ring.Closed();
}

TEST(TMMRingBuffer, WriteModePassesBuffersOnAndDropsWhatAFullRingCannotTake) {
    VirtualStudio studio;
    TMMRingBuffer ring(studio);
    Sink sink;
    ring.SetOutput(&sink);
    ring.SetQueueMode(TMMQueueMode::qmWrite);
    ring.SetNumBuffers(4);
    ring.SetBufferSize(64);
    int overflows = 0;
    ring.OnOverlow = [&](TMMComponent*) { ++overflows; };
    ring.Opened();
    ring.Started();
    sink.Block(); // the worker's first hand-over waits, so the ring fills
    std::vector<uint8_t> data(64);
    BufferHeader h;
    h.data = data.data();
    h.bufferLength = h.bytesFilled = 64;
    for (uint8_t i = 0; i < 12; ++i) {
        std::fill(data.begin(), data.end(), i);
        ring.BufferReady(&h);
    }
    EXPECT_GT(overflows, 0);
    sink.Release();
    ring.Stopped();
    // What was kept arrived in order, each buffer whole.
    ASSERT_FALSE(sink.received.empty());
    EXPECT_EQ(sink.received.size() % 64, 0u);
    for (size_t i = 64; i < sink.received.size(); i += 64)
        EXPECT_LT(sink.received[i - 64], sink.received[i]);
    EXPECT_EQ(sink.received.size() / 64 + static_cast<size_t>(overflows), 12u);
    ring.Closed();
}

TEST(TMMRingBuffer, KeepsItsLayoutWhileOpened) {
    VirtualStudio studio;
    TMMRingBuffer ring(studio);
    ring.SetNumBuffers(1);
    EXPECT_EQ(ring.NumBuffers(), 20);
    ring.Opened();
    EXPECT_THROW(ring.SetNumBuffers(8), EMMBufferError);
    EXPECT_THROW(ring.SetQueueMode(TMMQueueMode::qmRead), EMMBufferError);
    EXPECT_THROW(ring.SetBufferSize(4096), EMMBufferError);
    ring.Closed();
}

} // namespace
} // namespace corvane
