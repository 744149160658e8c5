#include "TestSource.h"
#include "audio/chain/EMMError.h"
#include "audio/output/TMMWaveMixer.h"
#include "audio/output/TMMWaveOut.h"
#include "platform/ExceptionGuard.h"
#include "studio/VirtualWaveDevice.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane {
namespace {

const WaveFormat CD = PcmWaveFormat(16, 2, 44100);
using Call = VirtualWaveDevice::Call;

// The console's output (64 × 4096 bytes, about 1.49 s queued) on the
// virtual device, with every event written down in order.
struct OutputFixture {
    VirtualStudio studio;
    VirtualWaveDevice device{studio};
    TMMWaveOut out{device, studio, "mmAudioOut"};
    std::vector<std::string> events;

    OutputFixture() {
        out.SetBufferSize(4096);
        out.SetNumBuffers(64);
        out.SetDeviceID(WaveMapperId);
        out.SetTimeFormat(TMMTimeFormats::tfMillisecond);
        auto note = [this](const char* name) {
            return [this, name](TMMComponent*) { events.push_back(name); };
        };
        out.OnOpen = note("open");
        out.OnStart = note("start");
        out.OnPause = note("pause");
        out.OnRestart = note("restart");
        out.OnStop = note("stop");
        out.OnClose = note("close");
        out.OnError = note("error");
    }
};

// The message of the EMMWaveOutError that `act` throws.
std::string ErrorOf(const std::function<void()>& act) {
    try {
        act();
    } catch (const EMMWaveOutError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(TMMWaveOut, PlaysTheSourceThroughAndStopsByItselfOnce) {
    OutputFixture f;
    TestSource source(CD, 44100 * 3, 0.5, 1000); // 3 s of 1 kHz
    f.out.SetInput(&source);
    f.out.Start();
    EXPECT_EQ(f.events, (std::vector<std::string>{"open", "start"}));
    f.studio.Run(1000);
    EXPECT_NEAR(static_cast<double>(f.out.Position()), 1000, 1);
    f.studio.Run(4000);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open", "start", "stop"}));
    EXPECT_TRUE(f.out.State().open);
    EXPECT_FALSE(f.out.State().started);

    const PlayedAudio& played = f.device.Played();
    EXPECT_TRUE(played.Underruns().empty());
    EXPECT_NEAR(played.RmsLevel({0, 3000}), 0.5 / std::sqrt(2.0), 0.001);
    // Every frame exactly once and in order: the tone is continuous.
    for (uint64_t i = 0; i < 44100 * 3; i += 997) {
        const double expected = 0.5 * std::sin(2 * 3.141592653589793 * 1000 * static_cast<double>(i) / 44100);
        ASSERT_NEAR(played.Sample(i, 0), expected, 1.0 / 16384) << "frame " << i;
    }
    EXPECT_EQ(played.FindSilences(100).front().startMs, 3000);
}

TEST(TMMWaveOut, TakesAnEmptyLastCallAsTheEndOfTheData) {
    OutputFixture f;
    TestSource source(CD, 44100, 0.5, 1000);
    source.EndWithAnEmptyCall();
    f.out.SetInput(&source);
    f.out.Start();
    f.studio.Run(3000);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open", "start", "stop"}));
    EXPECT_NEAR(f.device.Played().RmsLevel({0, 1000}), 0.5 / std::sqrt(2.0), 0.001);
}

TEST(TMMWaveOut, RaisesItsEventsInOrder) {
    struct Case {
        const char* name;
        std::function<void(OutputFixture&)> act;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {"pause, restart, stop",
         [](OutputFixture& f) {
             f.out.Start();
             f.out.Pause();
             f.out.Restart();
             f.out.Stop();
         },
         {"open", "start", "pause", "restart", "stop"}},
        {"pause then stop",
         [](OutputFixture& f) {
             f.out.Start();
             f.out.Pause();
             f.out.Stop();
         },
         {"open", "start", "pause", "stop"}},
        {"restart when not paused does nothing",
         [](OutputFixture& f) {
             f.out.Start();
             f.out.Restart();
             f.out.Close();
         },
         {"open", "start", "stop", "close"}},
        {"pause before start keeps the device paused",
         [](OutputFixture& f) {
             f.out.Pause();
             f.out.Start();
             f.studio.Run(500);
             EXPECT_TRUE(f.device.IsPaused());
             EXPECT_EQ(f.out.Position(), 0);
             f.out.Restart();
             f.studio.Run(500);
             EXPECT_GT(f.out.Position(), 400);
         },
         {"open", "pause", "start", "restart"}},
    };
    for (const Case& c : cases) {
        OutputFixture f;
        TestSource source(CD, 44100 * 10);
        f.out.SetInput(&source);
        c.act(f);
        EXPECT_EQ(f.events, c.events) << c.name;
    }
}

TEST(TMMWaveOut, PausedOutputHoldsItsPlaceWithoutAGap) {
    OutputFixture f;
    TestSource source(CD, 44100 * 4, 0.5, 1000);
    f.out.SetInput(&source);
    f.out.Start();
    f.studio.Run(1000);
    f.out.Pause();
    f.studio.Run(500);
    f.out.Restart();
    f.studio.Run(5000);
    const PlayedAudio& played = f.device.Played();
    // The pause is the only silence before the end, and it is a clean one.
    const auto silences = played.FindSilences(10);
    ASSERT_GE(silences.size(), 2u);
    EXPECT_EQ(silences[0], (TimeSpan{1000, 1500}));
    EXPECT_EQ(silences[1].startMs, 4500);
    EXPECT_TRUE(played.Underruns().empty());
}

TEST(TMMWaveOut, StopInsideOnClosePortWaitsUntilProcessingUnwinds) {
    OutputFixture f;
    TMMWaveMixer mixer;
    TestSource source(CD, 100'000); // ends after the first 64 buffers are queued
    mixer.SetPortInput(0, &source);
    f.out.SetInput(&mixer);
    mixer.OnClosePort = [&](TMMDSPComponent*, int) {
        f.out.Stop();
        f.events.push_back("stop returned");
    };
    f.out.Start();
    f.studio.Run(5000);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open", "start", "stop returned", "stop"}));
    EXPECT_FALSE(f.out.State().started);
}

TEST(TMMWaveOut, CannotStartOnAChainWithoutData) {
    OutputFixture f;
    TestSource empty(CD, 0);
    f.out.SetInput(&empty);
    EXPECT_EQ(ErrorOf([&] { f.out.Start(); }), "WaveOutStart:\n\rUnable to start device");
    EXPECT_EQ(f.events, (std::vector<std::string>{"open", "error", "close"}));
    EXPECT_TRUE(f.out.State().Closed());
    EXPECT_FALSE(f.device.IsOpen());
}

TEST(TMMWaveOut, WordsEveryDeviceFailureWithItsCall) {
    struct Case {
        Call call;
        const char* expected;
        std::function<void(OutputFixture&)> act;
    };
    const std::vector<Case> cases = {
        {Call::Open, "WaveOutOpen:\n\rbroken", [](OutputFixture& f) { f.out.Open(); }},
        {Call::CanPlay, "WaveOutOpen:\n\rThe actual device can't play this format",
         [](OutputFixture& f) { f.out.Open(); }},
        {Call::Write, "WaveOutWrite:\n\rbroken", [](OutputFixture& f) { f.out.Start(); }},
        {Call::Pause, "WaveOutPause:\n\rbroken", [](OutputFixture& f) { f.out.Start(); }},
        {Call::Reset, "WaveOutReset:\n\rbroken",
         [](OutputFixture& f) {
             f.device.FailNext(Call::Reset, "");
             f.out.Start();
             f.device.FailNext(Call::Reset, "broken");
             f.out.Stop();
         }},
        {Call::Position, "WaveOutGetPosition:\n\rbroken",
         [](OutputFixture& f) {
             f.device.FailNext(Call::Position, "");
             f.out.Start();
             f.device.FailNext(Call::Position, "broken");
             f.out.Position();
         }},
        {Call::Resume, "WaveOutRestart:\n\rbroken",
         [](OutputFixture& f) {
             f.out.Pause();
             f.device.FailNext(Call::Resume, "");
             f.out.Start();
             f.device.FailNext(Call::Resume, "broken");
             f.out.Restart();
         }},
    };
    for (const Case& c : cases) {
        OutputFixture f;
        TestSource source(CD, 44100 * 10);
        f.out.SetInput(&source);
        f.device.FailNext(c.call, "broken");
        EXPECT_EQ(ErrorOf([&] { c.act(f); }), c.expected);
        EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "error"), 1) << c.expected;
        if (c.call != Call::Position)
            EXPECT_TRUE(f.out.State().Closed()) << c.expected;
    }
}

TEST(TMMWaveOut, ChecksDeviceAndFormatBeforeOpening) {
    OutputFixture f;
    EXPECT_EQ(ErrorOf([&] { f.out.Open(); }), "WaveOutOpen:\n\rInvalid wave format");
    TestSource source(CD, 100);
    f.out.SetInput(&source);
    f.out.SetDeviceID(1);
    EXPECT_EQ(ErrorOf([&] { f.out.Open(); }), "Invalid DeviceID");
    EXPECT_EQ(f.out.ProductName(), "No wave audio playing device found");
    f.out.SetDeviceID(0);
    EXPECT_EQ(f.out.ProductName(), "Virtual Wave Device 1");
    f.device.SetDeviceCount(0);
    EXPECT_EQ(ErrorOf([&] { f.out.Open(); }), "No wave audio playing device found");
}

TEST(TMMWaveOut, KeepsItsPropertiesWhileOpen) {
    OutputFixture f;
    f.out.SetNumBuffers(1);
    EXPECT_EQ(f.out.NumBuffers(), 64);
    f.out.SetNumBuffers(1000);
    EXPECT_EQ(f.out.NumBuffers(), 500);
    TestSource source(CD, 100);
    f.out.SetInput(&source);
    f.out.Open();
    const std::string changed = "Change to property while device was open";
    EXPECT_EQ(ErrorOf([&] { f.out.SetBufferSize(8192); }), changed);
    EXPECT_EQ(ErrorOf([&] { f.out.SetNumBuffers(8); }), changed);
    EXPECT_EQ(ErrorOf([&] { f.out.SetDeviceID(0); }), changed);
    EXPECT_TRUE(f.out.State().open);
    EXPECT_EQ(f.out.GetBufferSize(), 4096);
}

TEST(TMMWaveOut, PositionStartsAgainAfterStop) {
    OutputFixture f;
    TestSource source(CD, 44100 * 60);
    f.out.SetInput(&source);
    f.out.Start();
    f.studio.Run(2000);
    EXPECT_NEAR(static_cast<double>(f.out.Position()), 2000, 1);
    f.out.Stop();
    EXPECT_EQ(f.out.Position(), 0);
    f.out.Start();
    f.studio.Run(500);
    EXPECT_NEAR(static_cast<double>(f.out.Position()), 500, 1);
    f.out.SetTimeFormat(TMMTimeFormats::tfSample);
    EXPECT_NEAR(static_cast<double>(f.out.Position()), 22050, 45);
    f.out.Close();
    EXPECT_EQ(f.out.Position(), 0);
}

TEST(TMMWaveOut, PositionKeepsGrowingAcrossAWrapOfTheDeviceCounter) {
    OutputFixture f;
    f.device.SetPositionWrap(1 << 20); // about 23.8 s at 44.1 kHz
    TestSource source(CD, 44100 * 80);
    f.out.SetInput(&source);
    f.out.Start();
    int64_t last = 0;
    for (int s = 1; s <= 60; ++s) {
        f.studio.Run(1000);
        const int64_t now = f.out.Position();
        EXPECT_GT(now, last) << "at " << s << " s";
        last = now;
    }
    EXPECT_NEAR(static_cast<double>(last), 60000, 2);
}

TEST(TMMWaveOut, ResetPlaybackRefillsFromWhereTheSourceNowIs) {
    OutputFixture f;
    TestSource source(CD, 44100 * 10, 0.5, 0);
    f.out.SetInput(&source);
    f.out.Start();
    f.studio.Run(1000);
    source.Rewind(); // the source was repositioned
    const int64_t delivered = source.Delivered();
    f.out.ResetPlayback();
    // The queue was dropped and filled again from the new place at once.
    EXPECT_EQ(source.Delivered(), delivered + 64 * 1024);
    EXPECT_EQ(f.out.Position(), 0);
    f.studio.Run(500);
    EXPECT_NEAR(static_cast<double>(f.out.Position()), 500, 1);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open", "start"}));
    EXPECT_TRUE(f.device.Played().Underruns().empty());
}

// A source that fails while streaming, as a deck that cannot decode.
class FailingSource final : public TMMDSPComponent {
public:
    explicit FailingSource(int goodCalls) : TMMDSPComponent("bad", PublishedLinks::Output), good_(goodCalls) {
        SetWaveFormat(&CD);
    }
    ~FailingSource() override { Unlink(); }
    void BufferLoad(BufferHeader* h, bool& more) override {
        if (good_-- <= 0)
            throw EMMAudioError("Error reading wave file");
        std::memset(h->data, 0, h->bufferLength);
        h->bytesFilled = h->bufferLength;
        more = true;
    }

private:
    int good_;
};

TEST(TMMWaveOut, AnErrorWhileStreamingClosesTheOutputAndReachesTheHandler) {
    OutputFixture f;
    FailingSource source(70);
    f.out.SetInput(&source);
    std::vector<std::string> handled;
    const auto previous = SetExceptionHandler([&](std::string_view sender, std::exception_ptr e) {
        handled.push_back(std::string(sender) + ": " + ExceptionMessage(e));
    });
    f.out.Start();
    f.studio.Run(1000);
    SetExceptionHandler(previous);
    EXPECT_EQ(handled, (std::vector<std::string>{"mmAudioOut: Error reading wave file"}));
    // OnError once per fault, from where it happened.
    EXPECT_EQ(f.events, (std::vector<std::string>{"open", "start", "error", "stop", "close"}));
    EXPECT_EQ(f.out.ErrorSource(), TMMWaveOutErrorSource::Chain);
    EXPECT_TRUE(f.out.State().Closed());
}

// The console's own reaction to OnError is to stop and close the output. On a
// device that has gone away every one of those calls fails again; that must
// end in a closed output after one OnError, not in an endless recursion.
TEST(TMMWaveOut, ErrorsOnADeadDeviceNeverRecurseThroughOnError) {
    struct Case {
        const char* name;
        std::function<void(OutputFixture&)> fault;
        const char* message;
        size_t reports; // raised to the caller or handed to the application's handler
    };
    const std::vector<Case> cases = {
        {"the operator stops", [](OutputFixture& f) { f.out.Stop(); }, "WaveOutReset:\n\rgone", 1},
        // Closing never fails its caller; OnError told.
        {"the operator closes", [](OutputFixture& f) { f.out.Close(); }, "WaveOutReset:\n\rgone", 0},
        {"a write fails while streaming",
         [](OutputFixture& f) {
             f.device.FailAlways(Call::Write, "gone");
             f.studio.Run(200);
         },
         "WaveOutWrite:\n\rgone", 1},
        {"the stream breaks by itself",
         [](OutputFixture& f) {
             f.device.BreakStream("WaveOutWrite", "server died");
             f.studio.Run(200);
         },
         "WaveOutWrite:\n\rserver died", 1},
    };
    for (const Case& c : cases) {
        OutputFixture f;
        TestSource source(CD, 44100 * 10);
        f.out.SetInput(&source);
        int handlerRuns = 0;
        f.out.OnError = [&](TMMComponent*) {
            f.events.push_back("error");
            ++handlerRuns;
            f.out.Stop();
            f.out.Close();
            f.out.Stop();
        };
        std::vector<std::string> handled;
        const auto previous = SetExceptionHandler(
            [&](std::string_view, std::exception_ptr e) { handled.push_back(ExceptionMessage(e)); });
        f.out.Start();
        f.studio.Run(500);
        for (const Call call : {Call::Reset, Call::Close, Call::Pause, Call::Resume})
            f.device.FailAlways(call, "gone");
        std::string raised;
        try {
            c.fault(f);
        } catch (const EMMWaveOutError& e) {
            raised = e.what();
        }
        SetExceptionHandler(previous);
        EXPECT_EQ(handlerRuns, 1) << c.name;
        EXPECT_TRUE(f.out.State().Closed()) << c.name;
        EXPECT_FALSE(f.device.IsOpen()) << c.name;
        EXPECT_EQ(f.out.ErrorSource(), TMMWaveOutErrorSource::Device) << c.name;
        EXPECT_EQ(f.out.ErrorMessage(), c.message) << c.name;
        // Raised to the caller, or handed to the application's handler when
        // the fault came between calls; never both, never twice.
        EXPECT_EQ((raised.empty() ? 0u : 1u) + handled.size(), c.reports) << c.name;
        EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "stop"), 1) << c.name;

        // The device back: the output plays again.
        f.device.Heal();
        f.out.Start();
        f.studio.Run(300);
        EXPECT_TRUE(f.out.State().started) << c.name;
        EXPECT_GT(f.out.Position(), 250) << c.name;
    }
}

TEST(TMMWaveOut, StartingClearsEveryHoldOfTheMixer) {
    OutputFixture f;
    TMMWaveMixer mixer;
    TestSource a(CD, 44100 * 10, 0.25, 0), b(CD, 44100 * 10, 0.25, 0);
    mixer.SetPortInput(0, &a);
    mixer.SetPortInput(2, &b);
    f.out.SetInput(&mixer);
    f.out.Start();
    f.studio.Run(100);
    EXPECT_NEAR(f.device.Played().PeakLevel({0, 100}), 0.5, 1e-3);
    // Held ports go quiet once the queue has played the buffers filled before.
    mixer.HoldPort(0, true);
    mixer.HoldPort(2, true);
    f.studio.Run(2000);
    EXPECT_EQ(f.device.Played().PeakLevel({1700, 2100}), 0);
    f.out.Stop();
    f.out.Start();
    f.studio.Run(100);
    EXPECT_NEAR(f.device.Played().PeakLevel({2100, 2200}), 0.5, 1e-3);
}

} // namespace
} // namespace corvane
