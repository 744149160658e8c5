#include "MeterSignals.h"
#include "audio/meters/ConsoleMeterSettings.h"
#include "audio/meters/TMMLevel.h"

#include <cmath>
#include <gtest/gtest.h>

namespace corvane {
namespace {

// The console's left or right meter.
void MakeConsoleMeter(TMMLevel& m, TMMChannel channel) {
    ApplyConsoleLevelSettings(m, channel);
    m.SetPcmFormat(PcmWaveFormat(16, 2, 44100));
    m.SetTotalSpots(40);
}

TEST(TMMLevel, DecayFactorsOfTheConsole) {
    EXPECT_NEAR(MeterDecayFactor(7), 0.93057, 5e-6);
    EXPECT_NEAR(MeterDecayFactor(6), 0.86596, 5e-6);
}

TEST(TMMLevel, FullScaleLeftOnlySineLightsTheLeftMeterOnly) {
    TMMLevel left, right;
    MakeConsoleMeter(left, TMMChannel::chLeft);
    MakeConsoleMeter(right, TMMChannel::chRight);
    int overflows = 0;
    left.OnPcmOverflow = [&] { ++overflows; };
    EXPECT_EQ(left.RequiredBytes(), 1000);
    // 250 frames of 441 Hz at 44.1 kHz hold two and a half periods, so the peak is reached.
    const auto chunk = test::StereoSine(250, 441, 44100, 32767, 0);
    left.RefreshPcmData(chunk.data());
    right.RefreshPcmData(chunk.data());
    EXPECT_EQ(left.Spots(), 40);
    EXPECT_EQ(left.PeakSpot(), 40);
    EXPECT_EQ(overflows, 1);
    EXPECT_EQ(right.Spots(), 0);
    EXPECT_EQ(right.PeakSpot(), 0);
}

TEST(TMMLevel, SpotsAtTheEndsOfTheLogScaleAndTheGaugeValue) {
    TMMLevel m;
    m.SetTotalSpots(100);
    const int minus35dB = static_cast<int>(std::lround(32767 * std::pow(10.0, -35 / 20.0)));
    EXPECT_EQ(m.LevelToSpots(minus35dB), 0);
    EXPECT_EQ(m.LevelToSpots(32767), 100);
    EXPECT_EQ(m.LevelToSpots(100), 0); // below the scale stays at 0

    TMMLevel gauge; // the console's progress gauge: linear, no smoothing, no peaks
    gauge.LogAmp = false;
    gauge.SetPeaks(0, 0, 0);
    gauge.SetTotalSpots(120);
    gauge.SetValue(50);
    EXPECT_EQ(gauge.Spots(), std::lround((16384 - 582.69) * 120 / (32767 - 582.69)));
    EXPECT_EQ(gauge.PeakSpot(), 0);
    gauge.SetValue(250); // limited to 100
    EXPECT_EQ(gauge.Spots(), 120);
    EXPECT_EQ(gauge.Value(), 100);
}

TEST(TMMLevel, SilenceAfterLoudFallsByTheDecayFactorPerChunk) {
    TMMLevel m;
    MakeConsoleMeter(m, TMMChannel::chLeft);
    m.SetTotalSpots(1000);
    const auto loud = test::StereoSine(250, 441, 44100, 16384, 16384);
    const auto quiet = test::StereoSine(250, 441, 44100, 0, 0);
    m.RefreshPcmData(loud.data());
    const int loudSpots = m.Spots();
    for (int i = 0; i < 10; ++i)
        m.RefreshPcmData(quiet.data());
    // Ten chunks at 0.93057 each: about 6.25 dB down, on a 35 dB scale of 1000 spots.
    EXPECT_NEAR(loudSpots - m.Spots(), 6.25 / 35 * 1000, 2);
}

TEST(TMMLevel, PeakHoldsAboutOneSecondThenFallsOneSpotPerTick) {
    TMMLevel m;
    MakeConsoleMeter(m, TMMChannel::chLeft);
    const auto loud = test::StereoSine(250, 441, 44100, 32767, 0);
    m.RefreshPcmData(loud.data());
    ASSERT_EQ(m.PeakSpot(), 40);
    for (int i = 0; i < 40; ++i)
        m.Tick();
    EXPECT_EQ(m.PeakSpot(), 40);
    m.Tick();
    EXPECT_EQ(m.PeakSpot(), 39);
    m.Tick();
    EXPECT_EQ(m.PeakSpot(), 38);
}

TEST(TMMLevel, RejectsFormatsThatAreNotPlainPcm) {
    TMMLevel m;
    WaveFormat adpcm = PcmWaveFormat(4, 1, 22050);
    adpcm.formatTag = 0x11;
    for (const WaveFormat& bad :
         {adpcm, PcmWaveFormat(24, 2, 44100), PcmWaveFormat(16, 6, 44100), PcmWaveFormat(16, 2, 200000)})
        EXPECT_THROW(m.SetPcmFormat(bad), EMMLevelError);
    m.SetPcmFormat(PcmWaveFormat(8, 1, 8000));
    EXPECT_EQ(m.RequiredBytes(), 50);
}

} // namespace
} // namespace corvane
