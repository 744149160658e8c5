#include "../device/PrivateSoundServer.h"
#include "../device/SoundServerRecorder.h"
#include "../output/TestSource.h"
#include "RecordingFixture.h"
#include "audio/device/MainThreadQueue.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/device/PortAudioWaveInDevice.h"
#include "audio/output/TMMWaveOut.h"
#include "tools/AudioLogging.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace corvane {
namespace {

using namespace std::chrono_literals;

// The audio logging recorder records the sound server's null sink monitor,
// on a server of the test's own, while the console's output plays a tone
// into that sink: the file holds the tone.
TEST(WaveRecorderServer, RecordsWhatTheOutputPlays) {
    testing::PrivateSoundServer server;
    ASSERT_TRUE(server.Start() && server.MakeSinkTheDefault())
        << "pulseaudio and pactl (pulseaudio-utils) are needed";
    server.UseForThisProcess();
    testing::ScratchFolder folder;
    const std::string path = folder.File("snoop001.wav");
    MainThreadQueue main;
    ScriptedPrompter prompter;
    PortAudioWaveInDevice input;
    ASSERT_GT(input.DeviceCount(), 0);
    TMMWaveRecorder recorder(input, main, prompter, "WaveRecorder");
    // Set up as the console's audio logging records.
    ConfigureAudioLogging(recorder);
    recorder.SetRecordFileName(path);
    recorder.StartRecording();
    // The sound server's input takes a moment (over a second here) before
    // its first frames arrive; what plays before that is not heard.
    ASSERT_TRUE(main.RunUntil([&] { return recorder.GetRecordPosition() >= 300; }, 10s));
    const int64_t beforeTone = recorder.GetRecordPosition();

    PortAudioWaveDevice device(main);
    TMMWaveOut out(device, main, "mmAudioOut");
    out.SetDeviceID(WaveMapperId);
    out.SetBufferSize(4096);
    out.SetNumBuffers(64);
    bool stopped = false;
    out.OnStop = [&](TMMComponent*) { stopped = true; };
    const WaveFormat cd = PcmWaveFormat(16, 2, 44100);
    TestSource tone(cd, 44100 * 2, 0.5, 1000);
    out.SetInput(&tone);
    out.Start();
    ASSERT_TRUE(main.RunUntil([&] { return stopped; }, 15s));
    // The input's own latency: the tone's end is still on its way.
    main.RunFor(1500ms);
    out.Close();
    const int64_t recordedMs = recorder.GetRecordPosition();
    recorder.StopRecording();

    EXPECT_GE(recordedMs - beforeTone, 2400);
    const std::vector<uint8_t> data = testing::ReadWaveData(path);
    ASSERT_GE(data.size(), 44100u * 4 * 2);
    std::vector<double> left;
    for (size_t i = 0; i + 3 < data.size(); i += 4)
        left.push_back(static_cast<int16_t>(data[i] | (data[i + 1] << 8)) / 32768.0);
    const ToneSpan span = FindTone(left);
    ASSERT_TRUE(span.found);
    // Where the streams begin and end, this private server's monitor loses up
    // to about 100 ms of the tone's edges (measured: 1.90 s of 2 s, with no
    // gap and no click inside); inside, every frame must be there.
    EXPECT_GE(static_cast<double>(span.last - span.first), 44100 * 1.85);
    EXPECT_LE(static_cast<double>(span.last - span.first), 44100 * 2.02);
    EXPECT_NEAR(MeasureFrequency(left, span.first, span.last), 1000, 5);
    EXPECT_NEAR(MeasureRms(left, span.first, span.last), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_TRUE(FindDropouts(left, span.first, span.last, 44).empty());
    // A lost stretch of frames would show as a jump in the sine.
    EXPECT_TRUE(
        FindClicks(left, span.first, span.last, 0.5 * 2 * std::numbers::pi * 1000 / 44100 * 1.2).empty());
}

} // namespace
} // namespace corvane
