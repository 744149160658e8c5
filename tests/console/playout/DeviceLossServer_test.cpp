// Playout through a real sound server that dies and comes back: a private
// PulseAudio server on a socket of its own (so no other test hears it, and
// killing it touches nobody else), the console's playout engine on
// PortAudio and the Qt event loop, and recordings of the server's null sink.
#include "../../audio/decks/DeckFixtures.h"
#include "../../audio/device/PrivateSoundServer.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/device/SoundServerRecorder.h"
#include "station/Station.h"
#include "support/QtSeams.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace corvane::testing {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Runs the Qt event loop (the console's main thread) for `ms`.
void Pump(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double Since(SteadyClock::time_point start) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

TEST(DeviceLossOnARealServer, PlayoutComesBackWithinThreeSecondsOfEachOfFiveServerRestarts) {
    TempFolder folder;
    PrivateSoundServer server;
    ASSERT_TRUE(server.Start()) << "PulseAudio (package pulseaudio) must be installed for this test";
    server.UseForThisProcess();

    int argc = 1;
    char name[] = "playout_server_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    testing::QtSeams qt;
    PortAudioWaveDevice device(qt.dispatcher);
    ASSERT_GT(device.DeviceCount(), 0);
    Station station(qt.seams(), {device, {}}, {folder.Path(), "corvane", {}});
    TdmQelData& data = station.Data();
    data.OpenTables();
    CorvaneSettings& settings = station.Core().MutableSettings();
    settings.LoopScheduleContinuously = true;
    settings.AutoCrossFade = false;

    // Three rows of a 1 kHz tone, looping: whatever row is on air, a tone
    // is heard while playout runs.
    constexpr int Rate = 44100;
    std::vector<int16_t> samples(static_cast<size_t>(Rate) * 12 * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i)
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(
            std::lround(16000 * std::sin(2 * 3.141592653589793 * 1000 * static_cast<double>(i) / Rate)));
    Table& schedule = data.cdsSchedule;
    for (const char* file : {"a.wav", "b.wav", "c.wav"}) {
        test::WriteWave16((folder / file).string(), Rate, 2, samples);
        schedule.Append();
        schedule.FieldByName("LocalPathToFile").SetAsString((folder / file).string());
        schedule.Post();
    }
    schedule.First();

    TPlayoutConsole& console = station.Playout();
    console.StartItem();

    for (int round = 1; round <= 5; ++round) {
        {
            SoundServerRecorder playing(PrivateSoundServer::MonitorName);
            ASSERT_TRUE(playing.WaitForFrames(Rate / 20)) << "round " << round;
            Pump(1200);
            const ToneSpan tone = FindTone(playing.Stop());
            EXPECT_TRUE(tone.found) << "nothing heard before the server was killed, round " << round;
        }
        server.Kill();
        Pump(1500);
        EXPECT_TRUE(console.WaitingForDevice()) << "round " << round;
        ASSERT_TRUE(server.Start()) << "round " << round;
        const SteadyClock::time_point back = SteadyClock::now();
        SoundServerRecorder recorder(PrivateSoundServer::MonitorName);
        ASSERT_TRUE(recorder.WaitForFrames(Rate / 20)) << "round " << round;
        // The recording holds the sink's own silence from its first frame,
        // so a sample's index is its time from when the recording began.
        const double recordingBegan = Since(back) - 50;
        Pump(3600 - static_cast<int>(Since(back)));
        const std::vector<double> heard = recorder.Stop();
        const ToneSpan tone = FindTone(heard);
        ASSERT_TRUE(tone.found) << "no audio within 3.6 s of the server's return, round " << round;
        const double resumedMs = recordingBegan + 1000.0 * static_cast<double>(tone.first) / Rate;
        EXPECT_LE(resumedMs, 3000) << "round " << round;
        std::cout << "round " << round << ": audio again " << std::lround(resumedMs)
                  << " ms after the server's return\n";
        EXPECT_FALSE(console.WaitingForDevice()) << "round " << round;
    }
    EXPECT_TRUE(console.OnAir());
    for (schedule.First(); !schedule.Eof(); schedule.Next())
        EXPECT_NE(schedule.FieldByName("ObjectType").AsString(), "BAD");
    console.StopBroadcast();
    server.Kill();
}

} // namespace
} // namespace corvane::testing
