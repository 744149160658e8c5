#include "MeterSignals.h"
#include "audio/meters/ConsoleMeterSettings.h"
#include "audio/meters/TMMSpectrum.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(TMMSpectrum, ConsoleSettingsGiveSixteenBarsWithTheirScales) {
    TMMSpectrum s;
    ApplyConsoleSpectrumSettings(s);
    ASSERT_EQ(s.Bars().size(), 16u);
    EXPECT_EQ(s.ScaleShift(), 22);
    for (int i = 0; i < 16; ++i) {
        const auto& bar = s.Bars()[i];
        EXPECT_EQ(bar.firstColumn, 8 * i);
        EXPECT_EQ(bar.nextColumn, 8 * i + 8);
        EXPECT_EQ(bar.firstBin, i);
        EXPECT_EQ(bar.endBin, i + 1);
    }
    EXPECT_EQ(s.Bars().front().scale, 831u);
    EXPECT_EQ(s.Bars().back().scale, 3321u);
    EXPECT_TRUE(std::is_sorted(s.Bars().begin(), s.Bars().end(),
                               [](const auto& a, const auto& b) { return a.scale < b.scale; }));
    EXPECT_EQ(s.RequiredBytes(), 64 * 4);
}

TEST(TMMSpectrum, LengthAndFrequencyScaleRoundDownToPowersOfTwo) {
    TMMSpectrum s;
    s.FFTLength = 100;
    s.FrequencyScale = 3;
    s.Configure();
    EXPECT_EQ(s.EffectiveFFTLength(), 64);
    EXPECT_EQ(s.EffectiveFrequencyScale(), 2);
    s.FFTLength = 3;
    s.FrequencyScale = 40;
    s.Configure();
    EXPECT_EQ(s.EffectiveFFTLength(), 8);
    EXPECT_EQ(s.EffectiveFrequencyScale(), 16);
}

TEST(TMMSpectrum, OddBarValuesRoundUpToEvenSpots) {
    TMMSpectrum s;
    ApplyConsoleSpectrumSettings(s);
    EXPECT_EQ(s.SpotsForValue(3), 4);
    EXPECT_EQ(s.SpotsForValue(4), 4);
    EXPECT_EQ(s.SpotsForValue(0), 0);
    EXPECT_EQ(s.SpotsForValue(1000), 25);
    s.DrawsBarsItself = true; // spots of 1 pixel + 1 space: 13 of them in 25 pixels
    EXPECT_EQ(s.SpotsForValue(25), 13);
}

TEST(TMMSpectrum, ASineLightsTheBarOfItsBin) {
    TMMSpectrum s;
    ApplyConsoleSpectrumSettings(s);
    int changes = 0;
    s.OnChange = [&] { ++changes; };
    // Bin 5 of 64 points at 44.1 kHz is centred on 3445 Hz.
    const auto block = test::StereoSine(64, 5 * 44100.0 / 64, 44100, 8000, 8000);
    s.RefreshPcmData(block.data());
    EXPECT_EQ(changes, 1);
    const auto& bars = s.Bars();
    const auto loudest =
        std::max_element(bars.begin(), bars.end(), [](auto& a, auto& b) { return a.value < b.value; });
    EXPECT_EQ(loudest - bars.begin(), 5);
    EXPECT_GT(loudest->spots, 0);
    EXPECT_EQ(loudest->peak.Peak(), loudest->spots);
    for (int i : {0, 1, 10, 15})
        EXPECT_LT(bars[i].value, loudest->value / 4) << "bar " << i;

    // Silence: dmStepUp lets the bin fall by 0.86596 per block, never jump.
    const auto silence = test::StereoSine(64, 0, 44100, 0, 0);
    const int before = s.BinValues()[5];
    s.RefreshPcmData(silence.data());
    EXPECT_EQ(s.BinValues()[5], static_cast<int>(before * MeterDecayFactor(6)));
}

TEST(TMMSpectrum, FullScaleFiresPcmOverflowAndLoudBarsGainOverflow) {
    TMMSpectrum s;
    ApplyConsoleSpectrumSettings(s);
    s.Channel = TMMChannel::chLeft;
    bool pcm = false, gain = false;
    s.OnPcmOverflow = [&] { pcm = true; };
    s.OnGainOverflow = [&] { gain = true; };
    const auto block = test::StereoSine(64, 16 * 44100.0 / 64 / 2, 44100, 32767, 0);
    s.RefreshPcmData(block.data());
    EXPECT_TRUE(pcm);
    EXPECT_TRUE(gain);
    EXPECT_THROW(s.SetPcmFormat(PcmWaveFormat(16, 2, 2000)), EMMSpectrumError);
}

} // namespace
} // namespace corvane
