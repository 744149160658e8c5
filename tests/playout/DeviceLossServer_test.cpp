// Playout through a real sound server that dies and comes back: a private
// PulseAudio server on a socket of its own (so no other test hears it, and
// killing it touches nobody else), the console's playout engine on
// PortAudio and the Qt event loop, and recordings of the server's null sink.
#include "audio/decks/DeckFixtures.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/device/PortAudioWaveStream.h"
#include "audio/device/PrivateSoundServer.h"
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
#include <memory>
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

constexpr int Rate = 44100;

// A tone of `hz` for `seconds`, as 16-bit stereo.
std::vector<int16_t> Tone(double hz, double seconds) {
    std::vector<int16_t> samples(static_cast<size_t>(Rate * seconds) * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i)
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(
            std::lround(16000 * std::sin(2 * 3.141592653589793 * hz * static_cast<double>(i) / Rate)));
    return samples;
}

// The console's playout on a private server of its own, with a looping
// schedule whose rows the test writes.
class DeviceLossOnARealServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start()) << "PulseAudio (package pulseaudio) must be installed for this test";
        server.UseForThisProcess();
        app = std::make_unique<QCoreApplication>(argc, argv);
        device = std::make_unique<PortAudioWaveDevice>(qt.dispatcher);
        ASSERT_GT(device->DeviceCount(), 0);
        station = std::make_unique<Station>(qt.seams(), StationDevices{*device, {}},
                                            StationSetup{folder.Path(), "corvane", {}});
        station->Data().OpenTables();
        CorvaneSettings& settings = station->Core().MutableSettings();
        settings.LoopScheduleContinuously = true;
        settings.AutoCrossFade = false;
    }
    void TearDown() override {
        if (station)
            station->Playout().StopBroadcast();
        station.reset();
        device.reset();
        app.reset();
        server.Kill();
    }

    void AddRow(const char* file, const std::vector<int16_t>& samples) {
        test::WriteWave16((folder / file).string(), Rate, 2, samples);
        Table& schedule = station->Data().cdsSchedule;
        schedule.Append();
        schedule.FieldByName("LocalPathToFile").SetAsString((folder / file).string());
        schedule.Post();
    }
    PlayoutEngine& Console() { return station->Playout(); }
    // Message-list lines holding `text`.
    int LinesWith(const std::string& text) {
        int count = 0;
        for (const std::string& line : Console().Memo1.Lines())
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

    TempFolder folder;
    PrivateSoundServer server;
    int argc = 1;
    char name[32] = "playout_server_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    testing::QtSeams qt;
    std::unique_ptr<PortAudioWaveDevice> device;
    std::unique_ptr<Station> station;
};

TEST_F(DeviceLossOnARealServer, PlayoutComesBackWithinThreeSecondsOfEachOfFiveServerRestarts) {
    // Three rows of a 1 kHz tone, looping: whatever row is on air, a tone
    // is heard while playout runs.
    for (const char* file : {"a.wav", "b.wav", "c.wav"})
        AddRow(file, Tone(1000, 12));
    Table& schedule = station->Data().cdsSchedule;
    schedule.First();

    PlayoutEngine& console = Console();
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
}

// An overloaded machine: the server stops taking audio for longer than the
// stall second but is still there. The stream is kept and waited for, the
// operator is told once, and what is lost is at most the time it stood still.
TEST_F(DeviceLossOnARealServer, AServerThatStandsStillIsWaitedForNotRestarted) {
    for (const char* file : {"a.wav", "b.wav"})
        AddRow(file, Tone(1000, 12));
    station->Data().cdsSchedule.First();
    PlayoutEngine& console = Console();
    console.StartItem();

    SoundServerRecorder recorder(PrivateSoundServer::MonitorName);
    ASSERT_TRUE(recorder.WaitForFrames(Rate / 20));
    Pump(1500);
    bool waited = false;
    // Pumps the console's loop for `ms`, noting any wait for the device.
    auto watch = [&](int ms) {
        const SteadyClock::time_point from = SteadyClock::now();
        while (Since(from) < ms) {
            Pump(20);
            waited = waited || console.WaitingForDevice();
        }
    };
    const SteadyClock::time_point stopped = SteadyClock::now();
    server.Stop();
    watch(1500);
    server.Continue();
    const double stoodStillMs = Since(stopped);
    watch(2500);
    const std::vector<double> heard = recorder.Stop();

    EXPECT_FALSE(waited) << "the stream was given up for lost";
    EXPECT_TRUE(console.OnAir());
    EXPECT_EQ(LinesWith("Waiting for the audio device"), 0);
    EXPECT_EQ(LinesWith(PortAudioWaveStream::SlowServerText), 1);
    const ToneSpan tone = FindTone(heard);
    ASSERT_TRUE(tone.found);
    size_t longest = 0;
    for (const auto& [from, to] : FindDropouts(heard, tone.first, tone.last, Rate / 1000))
        longest = std::max(longest, to - from);
    const double longestMs = 1000.0 * static_cast<double>(longest) / Rate;
    std::cout << "server stood still " << std::lround(stoodStillMs) << " ms; longest silence heard "
              << std::lround(longestMs) << " ms\n";
    EXPECT_LE(longestMs, stoodStillMs);
}

// Whether the 10 ms from `at` sound a tone of about `hz`.
bool Sounds(const std::vector<double>& samples, size_t at, double hz) {
    constexpr size_t Step = Rate / 100;
    return MeasureRms(samples, at, at + Step) > 0.1 &&
           std::abs(MeasureFrequency(samples, at, at + Step) - hz) < 60;
}

// Where in `samples` (from `from`, in 10 ms steps) a tone of about `hz`
// starts (`sounding`) or ends; samples.size() when it never does.
size_t ToneChange(const std::vector<double>& samples, size_t from, double hz, bool sounding) {
    constexpr size_t Step = Rate / 100;
    for (size_t at = from; at + Step <= samples.size(); at += Step)
        if (Sounds(samples, at, hz) == sounding)
            return at;
    return samples.size();
}

// The server dies while the output still plays the end of one item and the
// deck already serves the next: once it is back, the rest of that item is
// heard first, then the next from its start.
TEST_F(DeviceLossOnARealServer, ARestartResumesTheItemHeardAtItsPosition) {
    AddRow("a.wav", Tone(1000, 3));
    AddRow("b.wav", Tone(1500, 10));
    Table& schedule = station->Data().cdsSchedule;
    schedule.First();
    const int a = schedule.FieldByName("ItemPlayOrder").AsInteger();
    PlayoutEngine& console = Console();
    SoundServerRecorder before(PrivateSoundServer::MonitorName);
    ASSERT_TRUE(before.WaitForFrames(Rate / 20));
    console.StartItem();
    // Until 2.3 s of a are heard: the queue (about 1.5 s) holds b's start.
    for (int i = 0; i < 500 && !(console.OnAirPlace().first == a && console.OnAirPlace().second >= 2300); ++i)
        Pump(10);
    ASSERT_EQ(console.OnAirPlace().first, a);
    ASSERT_NE(console.CurrentItem(), a) << "the deck should already serve the next item";
    server.Kill();
    const ToneSpan heardBefore = FindTone(before.Stop());
    ASSERT_TRUE(heardBefore.found);
    const double heardOfAMs = 1000.0 * static_cast<double>(heardBefore.last - heardBefore.first) / Rate;
    Pump(1500);
    ASSERT_TRUE(console.WaitingForDevice());
    ASSERT_TRUE(server.Start());
    SoundServerRecorder after(PrivateSoundServer::MonitorName);
    ASSERT_TRUE(after.WaitForFrames(Rate / 20));
    Pump(3500);
    const std::vector<double> heard = after.Stop();
    const ToneSpan tone = FindTone(heard);
    ASSERT_TRUE(tone.found) << "nothing heard after the server's return";
    ASSERT_TRUE(Sounds(heard, tone.first + Rate / 100, 1000)) << "the item heard did not come first";
    const size_t endOfA = ToneChange(heard, tone.first, 1000, false);
    EXPECT_LT(ToneChange(heard, endOfA, 1500, true), heard.size()) << "the next item did not follow";
    const double restMs = 1000.0 * static_cast<double>(endOfA - tone.first) / Rate;
    std::cout << "heard " << std::lround(heardOfAMs) << " ms of a before the kill, " << std::lround(restMs)
              << " ms after the return\n";
    // What the server held but never played is lost with it: a few hundred ms at most.
    EXPECT_NEAR(heardOfAMs + restMs, 3000, 300);
}

} // namespace
} // namespace corvane::testing
