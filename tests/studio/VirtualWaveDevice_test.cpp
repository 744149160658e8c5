#include "studio/VirtualWaveDevice.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

// Each buffer holds a constant value (buffer i: (i + 1) / 128 of full scale)
// so that where it landed in the recording is plain to see.
struct Fixture {
    VirtualStudio studio;
    VirtualWaveDevice device{studio};
    WaveDeviceFormat format{1, 2, 8000, 16}; // 8 frames per ms
    std::vector<int> done;
    std::vector<std::vector<uint8_t>> data;
    std::vector<WaveDeviceBuffer> buffers;
    std::unique_ptr<WaveDeviceStream> stream;

    explicit Fixture(int count, uint32_t framesEach = 80) : data(count), buffers(count) {
        for (int i = 0; i < count; ++i) {
            data[i].resize(framesEach * 4);
            for (size_t b = 0; b < data[i].size(); b += 2) {
                data[i][b] = 0;
                data[i][b + 1] = static_cast<uint8_t>(i + 1);
            }
            buffers[i] = {data[i].data(), static_cast<uint32_t>(data[i].size())};
        }
        stream = device.Open(WaveMapperId, format, [this](WaveDeviceBuffer& b) {
            done.push_back(static_cast<int>(&b - buffers.data()));
        });
    }
    void WriteAll() {
        for (auto& b : buffers)
            stream->Write(b);
    }
};

TEST(VirtualWaveDevice, PlaysBuffersInQueueOrderAtTheirPlayTime) {
    Fixture f(3); // 10 ms each
    f.WriteAll();
    f.studio.Run(9);
    EXPECT_TRUE(f.done.empty());
    EXPECT_EQ(f.stream->PositionSamples(), 72u);
    f.studio.Run(1);
    EXPECT_EQ(f.done, (std::vector<int>{0}));
    f.studio.Run(25);
    EXPECT_EQ(f.done, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(f.stream->PositionSamples(), 240u);
    // Every frame as written, then silence once the queue ran dry.
    const PlayedAudio& played = f.device.Played();
    EXPECT_EQ(played.Sample(0, 0) * 128, 1);
    EXPECT_EQ(played.Sample(80, 1) * 128, 2);
    EXPECT_EQ(played.Sample(239, 0) * 128, 3);
    EXPECT_EQ(played.Sample(240, 0), 0);
    EXPECT_EQ(played.Frames(), 35u * 8);
}

TEST(VirtualWaveDevice, PauseHoldsThePositionAndResumeGoesOn) {
    Fixture f(2);
    f.WriteAll();
    f.studio.Run(5);
    f.stream->Pause();
    f.studio.Run(100);
    EXPECT_TRUE(f.done.empty());
    EXPECT_EQ(f.stream->PositionSamples(), 40u);
    f.stream->Resume();
    f.studio.Run(5);
    EXPECT_EQ(f.done, (std::vector<int>{0}));
    // The pause is silence in the recording, not an underrun.
    EXPECT_EQ(f.device.Played().FindSilences(50), (std::vector<TimeSpan>{{5, 105}}));
    EXPECT_TRUE(f.device.Played().Underruns().empty());
}

TEST(VirtualWaveDevice, ResetReturnsEveryQueuedBufferWithoutCompletions) {
    Fixture f(3);
    f.WriteAll();
    f.studio.Run(15);
    auto returned = f.stream->Reset();
    ASSERT_EQ(returned.size(), 2u);
    EXPECT_EQ(returned[0], &f.buffers[1]);
    EXPECT_EQ(returned[1], &f.buffers[2]);
    EXPECT_EQ(f.stream->PositionSamples(), 0u);
    f.studio.Run(100);
    EXPECT_EQ(f.done, (std::vector<int>{0}));
}

TEST(VirtualWaveDevice, CloseDropsTheQueueWithoutCompletions) {
    Fixture f(2);
    f.WriteAll();
    f.studio.Run(5);
    f.stream->Close();
    f.studio.Run(100);
    EXPECT_TRUE(f.done.empty());
    EXPECT_FALSE(f.device.IsOpen());
    // The device can be opened again, and the new stream is recorded apart.
    f.stream = f.device.Open(0, f.format, {});
    EXPECT_EQ(f.device.Streams().size(), 2u);
    EXPECT_EQ(f.device.Played().OriginMs(), 105);
}

TEST(VirtualWaveDevice, AQueueThatRunsDryIsAnUnderrun) {
    Fixture f(2);
    f.stream->Write(f.buffers[0]);
    f.studio.Run(30);
    f.stream->Write(f.buffers[1]);
    f.studio.Run(10);
    EXPECT_EQ(f.device.Played().Underruns(), (std::vector<TimeSpan>{{10, 30}}));
    EXPECT_EQ(f.done, (std::vector<int>{0, 1}));
}

TEST(VirtualWaveDevice, MainThreadWorkThatOutlastsTheQueueStarvesItPumpedWorkDoesNot) {
    using namespace std::chrono_literals;
    VirtualStudio studio;
    studio.SetWorkTakesRealTime(true);
    // The work below moves this clock on as if it took that long.
    std::chrono::steady_clock::time_point workNow{};
    studio.SetWorkClock([&] { return workNow; });
    VirtualWaveDevice device(studio);
    // Two buffers of 100 ms, each queued again as soon as it comes back, as
    // the output does.
    std::vector<uint8_t> bytes(800 * 4, 1);
    std::vector<WaveDeviceBuffer> buffers(2, {bytes.data(), static_cast<uint32_t>(bytes.size())});
    std::unique_ptr<WaveDeviceStream> stream;
    stream = device.Open(0, {1, 2, 8000, 16}, [&](WaveDeviceBuffer& b) { stream->Write(b); });
    for (auto& b : buffers)
        stream->Write(b);

    // 300 ms of work that lets the studio run every 10 ms.
    studio.Post([&] {
        for (int i = 0; i < 30; ++i) {
            workNow += 10ms;
            studio.Run(0);
        }
    });
    studio.Run(100);
    EXPECT_TRUE(device.Played().Underruns().empty());
    EXPECT_GE(studio.NowMs(), 300); // the time the work took

    // 400 ms in one go: the 200 ms queue runs dry for the rest.
    studio.Post([&] { workNow += 400ms; });
    studio.Run(100);
    ASSERT_EQ(device.Played().Underruns().size(), 1u);
    EXPECT_GE(device.Played().Underruns()[0].LengthMs(), 200);
}

TEST(VirtualWaveDevice, FailsTheCallItIsToldTo) {
    using Call = VirtualWaveDevice::Call;
    struct Case {
        Call call;
        std::function<void(Fixture&)> act;
    };
    const std::vector<Case> cases = {
        {Call::Write, [](Fixture& f) { f.stream->Write(f.buffers[0]); }},
        {Call::Pause, [](Fixture& f) { f.stream->Pause(); }},
        {Call::Resume, [](Fixture& f) { f.stream->Resume(); }},
        {Call::Reset, [](Fixture& f) { f.stream->Reset(); }},
        {Call::Position, [](Fixture& f) { f.stream->PositionSamples(); }},
        {Call::Close, [](Fixture& f) { f.stream->Close(); }},
        {Call::Open, [](Fixture& f) { f.device.Open(0, f.format, {}); }},
    };
    for (const Case& c : cases) {
        Fixture f(1);
        if (c.call == Call::Open)
            f.stream->Close();
        f.device.FailNext(c.call, "device broke");
        EXPECT_THROW(
            try { c.act(f); } catch (const WaveDeviceError& e) {
                EXPECT_STREQ(e.what(), "device broke");
                throw;
            },
            WaveDeviceError);
        EXPECT_NO_THROW(c.act(f)) << "only the next call fails";
    }
    Fixture f(1);
    f.device.FailNext(Call::CanPlay, "");
    EXPECT_FALSE(f.device.CanPlay(0, f.format));
    EXPECT_TRUE(f.device.CanPlay(0, f.format));
}

TEST(VirtualWaveDevice, PresentsNoDeviceOrAnUnknownId) {
    VirtualStudio studio;
    VirtualWaveDevice device(studio);
    EXPECT_EQ(device.ProductName(WaveMapperId), "Virtual Wave Device 1");
    EXPECT_THROW(device.ProductName(1), WaveDeviceError);
    device.SetDeviceCount(0);
    EXPECT_EQ(device.DeviceCount(), 0);
    EXPECT_THROW(device.Open(WaveMapperId, {}, {}), WaveDeviceError);
}

TEST(VirtualWaveDevice, MeasuresLevelAndFindsSilences) {
    VirtualStudio studio;
    VirtualWaveDevice device(studio);
    const WaveDeviceFormat mono{1, 1, 8000, 16};
    // 100 ms of a full-scale square wave, 50 ms of silence, 100 ms at half.
    std::vector<uint8_t> bytes;
    auto add = [&](int ms, int16_t amplitude) {
        for (int i = 0; i < ms * 8; ++i) {
            const int16_t v = static_cast<int16_t>(i % 2 ? amplitude : -amplitude);
            bytes.push_back(static_cast<uint8_t>(v & 0xff));
            bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
        }
    };
    add(100, 32767);
    add(50, 0);
    add(100, 16384);
    WaveDeviceBuffer buffer{bytes.data(), static_cast<uint32_t>(bytes.size())};
    auto stream = device.Open(0, mono, {});
    stream->Write(buffer);
    studio.Run(300);
    const PlayedAudio& played = device.Played();
    EXPECT_NEAR(played.RmsLevel({0, 100}), 1.0, 1e-3);
    EXPECT_NEAR(played.RmsLevel({150, 250}), 0.5, 1e-3);
    EXPECT_NEAR(played.PeakLevel({0, 250}), 1.0, 1e-3);
    EXPECT_EQ(played.FindSilences(20), (std::vector<TimeSpan>{{100, 150}, {250, 300}}));
}

} // namespace
} // namespace corvane
