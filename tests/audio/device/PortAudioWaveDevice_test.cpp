#include "../output/TestSource.h"
#include "SoundServerRecorder.h"
#include "audio/device/MainThreadQueue.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/output/TMMWaveOut.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <numbers>
#include <thread>

namespace corvane {
namespace {

using namespace std::chrono_literals;

const WaveFormat CD = PcmWaveFormat(16, 2, 44100);
constexpr double Amplitude = 0.5;
// The sink's monitor itself loses up to about 20 ms where a stream begins or
// ends (a 2 s tone played with pacat comes back 18 ms short), so lengths
// are checked to 25 ms; anything lost by the output would show as a
// dropout or a click instead.
constexpr double MonitorTolerance = 44100 * 0.025;
// The largest step between samples of a full 1 kHz sine at this amplitude.
const double MaxSineStep = Amplitude * 2 * std::numbers::pi * 1000 / 44100;

struct DeviceFixture : ::testing::Test {
    MainThreadQueue main;
    PortAudioWaveDevice device{main};
    TMMWaveOut out{device, main, "mmAudioOut"};
    std::vector<std::string> events;

    void SetUp() override {
        ASSERT_GT(device.DeviceCount(), 0)
            << "the sound server must be running (scripts/start-sound-server.sh)";
        out.SetDeviceID(WaveMapperId);
        out.SetBufferSize(4096);
        out.SetNumBuffers(64);
        out.SetTimeFormat(TMMTimeFormats::tfMillisecond);
        for (auto [event, name] : {std::pair{&out.OnOpen, "open"},
                                   {&out.OnStart, "start"},
                                   {&out.OnPause, "pause"},
                                   {&out.OnRestart, "restart"},
                                   {&out.OnStop, "stop"},
                                   {&out.OnClose, "close"},
                                   {&out.OnError, "error"}})
            *event = [this, name = std::string(name)](TMMComponent*) { events.push_back(name); };
    }
    bool Stopped() const { return !events.empty() && events.back() == "stop"; }
};

TEST_F(DeviceFixture, PlaysAToneThatComesBackWhole) {
    SoundServerRecorder recorder;
    ASSERT_TRUE(recorder.Started()) << "parec (pulseaudio-utils) is needed";
    ASSERT_TRUE(recorder.WaitForFrames(4410));
    TestSource source(CD, 44100 * 2, Amplitude, 1000);
    out.SetInput(&source);
    out.Start();
    ASSERT_TRUE(main.RunUntil([&] { return Stopped(); }, 10s));
    main.RunFor(300ms);
    out.Close();
    const auto samples = recorder.Stop();

    EXPECT_EQ(events, (std::vector<std::string>{"open", "start", "stop", "close"}));
    const ToneSpan tone = FindTone(samples);
    ASSERT_TRUE(tone.found);
    EXPECT_NEAR(static_cast<double>(tone.last - tone.first), 44100 * 2, MonitorTolerance);
    EXPECT_NEAR(MeasureFrequency(samples, tone.first, tone.last), 1000, 5);
    EXPECT_NEAR(MeasureRms(samples, tone.first, tone.last), Amplitude / std::sqrt(2.0), 0.01);
    EXPECT_TRUE(FindDropouts(samples, tone.first, tone.last, 44).empty());
    EXPECT_TRUE(FindClicks(samples, tone.first, tone.last, MaxSineStep * 1.2).empty());
}

TEST_F(DeviceFixture, PausesAndResumesWithoutAGlitch) {
    SoundServerRecorder recorder;
    ASSERT_TRUE(recorder.Started());
    ASSERT_TRUE(recorder.WaitForFrames(4410));
    TestSource source(CD, 44100 * 2, Amplitude, 1000);
    out.SetInput(&source);
    out.Start();
    main.RunFor(700ms);
    out.Pause();
    main.RunFor(500ms);
    out.Restart();
    ASSERT_TRUE(main.RunUntil([&] { return Stopped(); }, 10s));
    main.RunFor(300ms);
    out.Close();
    const auto samples = recorder.Stop();

    EXPECT_EQ(events, (std::vector<std::string>{"open", "start", "pause", "restart", "stop", "close"}));
    const ToneSpan tone = FindTone(samples);
    ASSERT_TRUE(tone.found);
    // One silence, the pause; the tone itself is all there, and the only
    // steps a sine cannot make are where the pause cuts in and out.
    const auto dropouts = FindDropouts(samples, tone.first, tone.last, 44);
    ASSERT_EQ(dropouts.size(), 1u);
    const size_t pause = dropouts[0].second - dropouts[0].first;
    EXPECT_NEAR(static_cast<double>(tone.last - tone.first - pause), 44100 * 2, MonitorTolerance);
    for (size_t at : FindClicks(samples, tone.first, tone.last, MaxSineStep * 1.2))
        EXPECT_TRUE(at <= dropouts[0].first + 1 || at >= dropouts[0].second - 1) << "click at " << at;
    EXPECT_NEAR(MeasureFrequency(samples, tone.first, dropouts[0].first), 1000, 10);
    EXPECT_NEAR(MeasureFrequency(samples, dropouts[0].second, tone.last), 1000, 10);
}

TEST_F(DeviceFixture, PositionGrowsWhilePlaying) {
    TestSource source(CD, 44100 * 10, Amplitude, 1000);
    out.SetInput(&source);
    out.Start();
    // The sound server may take a moment to begin consuming a new stream.
    ASSERT_TRUE(main.RunUntil([&] { return out.Position() > 0; }, 5s));
    std::vector<int64_t> positions;
    for (int i = 0; i < 4; ++i) {
        main.RunFor(200ms);
        positions.push_back(out.Position());
    }
    out.Stop();
    EXPECT_EQ(out.Position(), 0);
    out.Close();
    for (size_t i = 1; i < positions.size(); ++i)
        EXPECT_GT(positions[i], positions[i - 1]);
    EXPECT_GT(positions.back() - positions.front(), 300);
    EXPECT_EQ(events, (std::vector<std::string>{"open", "start", "stop", "close"}));
}

TEST_F(DeviceFixture, ListsItsDevicesAndRefusesUnknownOnes) {
    EXPECT_FALSE(device.ProductName(WaveMapperId).empty());
    for (int id = 0; id < device.DeviceCount(); ++id)
        EXPECT_FALSE(device.ProductName(id).empty());
    EXPECT_THROW(device.ProductName(device.DeviceCount()), WaveDeviceError);
    EXPECT_FALSE(device.CanPlay(WaveMapperId, {1, 2, 44100, 24}));
    EXPECT_TRUE(device.CanPlay(WaveMapperId, {1, 2, 44100, 16}));
}

} // namespace
} // namespace corvane
