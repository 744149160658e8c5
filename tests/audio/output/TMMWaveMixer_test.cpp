#include "TestSource.h"
#include "audio/chain/EMMError.h"
#include "audio/output/TMMVolume.h"
#include "audio/output/TMMWaveMixer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace corvane {
namespace {

const WaveFormat CD = PcmWaveFormat(16, 2, 44100);

// A mixer opened and started as its driver would, with a pull helper.
struct MixerFixture {
    TMMWaveMixer mixer{"WaveMixer"};
    std::vector<std::string> events;
    std::vector<int16_t> out;

    MixerFixture() {
        mixer.OnOpenPort = [this](TMMDSPComponent*, int i) { events.push_back("open" + std::to_string(i)); };
        mixer.OnClosePort = [this](TMMDSPComponent*, int i) {
            events.push_back("close" + std::to_string(i));
        };
        mixer.SetBufferSize(4096);
        mixer.Opened();
        mixer.Started();
    }
    ~MixerFixture() {
        mixer.Stopped();
        mixer.Closed();
    }
    bool Pull(uint32_t frames = 1024) {
        out.assign(frames * 2, 12345);
        BufferHeader h;
        h.data = reinterpret_cast<uint8_t*>(out.data());
        h.bufferLength = frames * 4;
        bool more = false;
        mixer.BufferLoad(&h, more);
        EXPECT_EQ(h.bytesFilled, frames * 4);
        return more;
    }
    int Peak() const {
        int peak = 0;
        for (int16_t s : out)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        return peak;
    }
};

TEST(TMMWaveMixer, DeliversFullBuffersOfSilenceWithNoPortActive) {
    MixerFixture f;
    EXPECT_TRUE(f.Pull());
    EXPECT_EQ(f.Peak(), 0);
    EXPECT_TRUE(f.events.empty());
}

TEST(TMMWaveMixer, PadsAShortSourceWithSilenceAndClosesItsPortOnce) {
    MixerFixture f;
    TestSource source(CD, 100, 0.5, 0);
    f.mixer.SetPortInput(0, &source);
    EXPECT_TRUE(f.Pull(1024));
    // Only the first call: the source delivered all it had with MoreBuffers
    // False, so the port opened (no OnOpenPort) and ended in the same pass.
    EXPECT_EQ(f.out[0], 16384);
    EXPECT_EQ(f.out[199], 16384);
    EXPECT_EQ(f.out[200], 0);
    EXPECT_EQ(f.out[2047], 0);
    EXPECT_TRUE(f.mixer.PortDone(0));
    EXPECT_TRUE(f.events.empty());

    // A source that reports more data in its first call fires both events.
    TestSource longer(CD, 1500, 0.5, 0);
    f.mixer.SetPortInput(1, &longer);
    f.Pull(1024);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open1"}));
    f.Pull(1024);
    EXPECT_EQ(f.out[2 * 475], 16384);
    EXPECT_EQ(f.out[2 * 476], 0);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open1", "close1"}));
    f.Pull(1024);
    EXPECT_EQ(f.events.size(), 2u);
    EXPECT_EQ(longer.Calls(), 2);
}

TEST(TMMWaveMixer, AnEmptySourceNeverOpensOrClosesItsPort) {
    MixerFixture f;
    TestSource empty(CD, 0);
    f.mixer.SetPortInput(2, &empty);
    f.Pull();
    f.Pull();
    EXPECT_TRUE(f.events.empty());
    EXPECT_TRUE(f.mixer.PortDone(2));
    EXPECT_EQ(empty.Calls(), 1);
    EXPECT_FALSE(empty.IsOpened());
}

TEST(TMMWaveMixer, HoldPortClosesInsideTheCallAndOnlyOnce) {
    MixerFixture f;
    TestSource source(CD, 1'000'000);
    f.mixer.SetPortInput(0, &source);
    f.Pull();
    ASSERT_TRUE(source.IsStarted());
    f.mixer.HoldPort(0, true);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open0", "close0"}));
    EXPECT_FALSE(source.IsOpened());
    f.mixer.HoldPort(0, true);
    f.Pull();
    EXPECT_EQ(f.events.size(), 2u);
    EXPECT_EQ(f.Peak(), 0);
    // Releasing lets it open again at the next mix.
    f.mixer.HoldPort(0, false);
    f.Pull();
    EXPECT_EQ(f.events.back(), "open0");
    EXPECT_GT(f.Peak(), 0);
}

TEST(TMMWaveMixer, IgnoresHoldAndDoneOutsideItsPorts) {
    MixerFixture f;
    f.mixer.HoldPort(5, true);
    f.mixer.HoldPort(1, true);
    EXPECT_TRUE(f.mixer.PortDone(5));
    EXPECT_TRUE(f.mixer.PortDone(-1));
    EXPECT_FALSE(f.mixer.PortDone(1));
    EXPECT_TRUE(f.events.empty());
}

TEST(TMMWaveMixer, SaturatesTheSumOnceAndSetsTheOverflowFlag) {
    MixerFixture f;
    TestSource a(CD, 100'000, 1.0, 0), b(CD, 100'000, 1.0, 0);
    f.mixer.SetPortInput(0, &a);
    f.mixer.SetPortInput(3, &b);
    f.Pull();
    EXPECT_EQ(f.out[0], 32767);
    EXPECT_TRUE(f.mixer.Overflow());
    // Half master volume brings the 32-bit sum back into range unclipped.
    TestSource c(CD, 100'000, -0.5, 0), d(CD, 100'000, -0.5, 0);
    MixerFixture g;
    g.mixer.SetVolume(8192);
    g.mixer.SetPortInput(0, &c);
    g.mixer.SetPortInput(1, &d);
    g.Pull();
    EXPECT_EQ(g.out[0], -16384);
    EXPECT_FALSE(g.mixer.Overflow());
}

TEST(TMMWaveMixer, ConvertsA22kMonoPortToItsOwnFormat) {
    MixerFixture f;
    TestSource source(PcmWaveFormat(16, 1, 22050), 22050, 0.5, 1000);
    f.mixer.SetPortInput(0, &source);
    std::vector<int16_t> all;
    for (int i = 0; i < 43; ++i) { // 1 s at 44.1 kHz
        f.Pull();
        all.insert(all.end(), f.out.begin(), f.out.end());
    }
    EXPECT_EQ(source.GetWaveFormat()->samplesPerSec, 22050u); // the deck's own format stays
    // Both channels carry the tone at the source's level; count its zero
    // crossings over the middle half second.
    int crossings = 0;
    double sum = 0;
    for (size_t i = 2 * 11025; i < 2 * 33075; i += 2) {
        EXPECT_EQ(all[i], all[i + 1]);
        sum += static_cast<double>(all[i]) * all[i];
        if ((all[i] < 0) != (all[i + 2] < 0))
            ++crossings;
    }
    EXPECT_NEAR(crossings, 1000, 4);
    EXPECT_NEAR(std::sqrt(sum / 22050) / 32768, 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_EQ(f.events.front(), "open0");
}

TEST(TMMWaveMixer, RefusesPortInputsThatBreakTheChain) {
    TMMWaveMixer mixer;
    TMMVolume master;
    mixer.SetOutput(&master);
    TestSource a(CD, 10), b(CD, 10);
    mixer.SetPortInput(0, &mixer);
    mixer.SetPortInput(0, &master); // downstream
    EXPECT_EQ(mixer.PortInput(0), nullptr);
    mixer.SetPortInput(0, &a);
    mixer.SetPortInput(1, &a); // already feeds port 0
    EXPECT_EQ(mixer.PortInput(1), nullptr);
    EXPECT_EQ(a.Output(), &mixer);
    EXPECT_EQ(a.OutputPartnerProperty(), "Input1");
    // Linking the port's input elsewhere empties the port.
    TMMVolume other;
    other.SetInput(&a);
    EXPECT_EQ(mixer.PortInput(0), nullptr);
    EXPECT_EQ(other.Input(), &a);
    // Replacing a port input unlinks the old one.
    mixer.SetPortInput(2, &b);
    mixer.SetPortInput(2, nullptr);
    EXPECT_EQ(b.Output(), nullptr);
}

TEST(TMMWaveMixer, RejectsAFormatThatIsNotValidPcm) {
    TMMWaveMixer mixer;
    const WaveFormat bad = PcmWaveFormat(24, 2, 44100);
    EXPECT_THROW(mixer.SetWaveFormat(&bad), EMMWaveMixerError);
    const WaveFormat rate = PcmWaveFormat(16, 1, 48000);
    mixer.SetWaveFormat(&rate);
    EXPECT_EQ(mixer.SampleRate(), 48000);
    EXPECT_EQ(*mixer.GetWaveFormat(), PcmWaveFormat(16, 2, 48000));
}

// Volume and balance: the gains and what they do to full-scale samples.
TEST(TMMVolume, ScalesByVolumeAndBalance) {
    struct Case {
        int32_t volume, panning;
        int16_t left, right;
    };
    const Case cases[] = {
        {16384, 0, 16000, -16000},    {8192, 0, 8000, -8000},    {8192, 16384, 0, -8000},
        {16384, -8192, 16000, -8000}, {32768, 0, 32000, -32000}, {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        TMMVolume volume;
        volume.SetVolume(c.volume);
        volume.SetPanning(c.panning);
        TestSource source(CD, 100, 0, 0);
        volume.SetInput(&source);
        volume.Opened();
        std::vector<int16_t> samples = {16000, -16000};
        BufferHeader h;
        h.data = reinterpret_cast<uint8_t*>(samples.data());
        h.bufferLength = 4;
        h.bytesFilled = 4;
        volume.BufferReady(&h);
        EXPECT_EQ(samples[0], c.left) << c.volume << "/" << c.panning;
        EXPECT_EQ(samples[1], c.right) << c.volume << "/" << c.panning;
    }
}

TEST(TMMVolume, ClipsWithTheOverflowFlagAndRejectsBadFormats) {
    TMMVolume volume;
    volume.SetVolume(32768);
    TestSource source(PcmWaveFormat(8, 1, 8000), 100, 0.9, 0);
    volume.SetInput(&source);
    volume.Opened();
    std::vector<uint8_t> data(4);
    BufferHeader h;
    h.data = data.data();
    h.bufferLength = 4;
    bool more = false;
    volume.BufferLoad(&h, more);
    EXPECT_EQ(data[0], 255);
    EXPECT_TRUE(volume.Overflow());
    const WaveFormat bad = PcmWaveFormat(16, 3, 44100);
    EXPECT_THROW(volume.SetWaveFormat(&bad), EMMVolumeError);
}

} // namespace
} // namespace corvane
