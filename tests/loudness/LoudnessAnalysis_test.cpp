#include "loudness/AnalyseAudioFile.h"
#include "loudness/LoudnessGain.h"
#include "support/Mp3Files.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"
#include "support/WaveFiles.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::TempFolder;
using testing::ToneStretch;
using testing::WriteToneFile;

// A 1 kHz sine reads at the level the standard's own test signals give:
// peaks at -23 dBFS on both channels of a stereo file are -23.0 LUFS, and a
// mono file needs 3 dB more for the same loudness.
struct KnownLoudness {
    const char* name;
    int rate;
    int channels;
    double peakDbfs;
    bool mp3;
    double expectedLufs;
};

class KnownLoudnessTest : public ::testing::TestWithParam<KnownLoudness> {};

TEST_P(KnownLoudnessTest, ASineReadsItsKnownLoudnessAndTruePeak) {
    const KnownLoudness& c = GetParam();
    TempFolder folder;
    std::filesystem::path file = folder.Path() / "tone.wav";
    WriteToneFile(file, c.rate, c.channels, {{1000, c.peakDbfs, 20000}});
    if (c.mp3) {
        file = testing::MakeMp3(file, "-b 192");
        ASSERT_FALSE(file.empty()) << "lame is needed to make the MP3 files";
    }
    const AnalysisResult r = AnalyseAudioFile(file, {});
    ASSERT_TRUE(r.Analysed()) << r.reason;
    // The encoder leaves the tone about 0.25 dB lower (ffmpeg's meter reads
    // the MP3 file at -13.3 LUFS too).
    EXPECT_NEAR(r.analysis->integratedLufs, c.expectedLufs, c.mp3 ? 0.35 : 0.05);
    EXPECT_NEAR(r.analysis->truePeakDbtp, c.peakDbfs, c.mp3 ? 0.35 : 0.1);
    EXPECT_NEAR(r.analysis->rangeLu, 0.0, 0.1);
    EXPECT_NEAR(r.analysis->durationMs, 20000, c.mp3 ? 60 : 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, KnownLoudnessTest,
                         ::testing::Values(KnownLoudness{"Stereo48k", 48000, 2, -23, false, -23.0},
                                           KnownLoudness{"Stereo44k", 44100, 2, -23, false, -23.0},
                                           KnownLoudness{"Mono48k", 48000, 1, -20, false, -23.0},
                                           KnownLoudness{"LoudStereo", 44100, 2, -3, false, -3.0},
                                           KnownLoudness{"Mp3Stereo", 44100, 2, -13, true, -13.0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Cue-in where the audio first rises above -40 dBFS, cue-out where it last
// falls below; quieter audio counts as silence.
struct CueCase {
    const char* name;
    std::vector<ToneStretch> title;
    int cueInMs;
    int cueOutMs;
};

class CuePointTest : public ::testing::TestWithParam<CueCase> {};

TEST_P(CuePointTest, CueInAndCueOutAreWhereTheAudioCrossesTheLevel) {
    TempFolder folder;
    const auto file = folder.Path() / "title.wav";
    WriteToneFile(file, 44100, 2, GetParam().title);
    const AnalysisResult r = AnalyseAudioFile(file, {});
    ASSERT_TRUE(r.Analysed()) << r.reason;
    // Within a period of the 100 Hz tones: a sine crosses the level twice per cycle.
    EXPECT_NEAR(r.analysis->cueInMs, GetParam().cueInMs, 6);
    EXPECT_NEAR(r.analysis->cueOutMs, GetParam().cueOutMs, 6);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CuePointTest,
    ::testing::Values(
        CueCase{"NoSilence", {{100, -10, 4000}}, 0, 4000},
        CueCase{"SilentEnds", {{0, 0, 2500}, {100, -10, 4000}, {0, 0, 3000}}, 2500, 6500},
        CueCase{
            "QuietEndsCountAsSilence", {{100, -50, 2000}, {100, -10, 4000}, {100, -45, 2000}}, 2000, 6000},
        CueCase{
            "AudioJustAboveTheLevelCounts", {{100, -35, 1000}, {100, -10, 4000}, {100, -38, 1500}}, 0, 6500},
        // Quiet throughout is not silent: the whole title plays.
        CueCase{"QuieterThanTheLevelThroughout", {{0, 0, 1000}, {100, -45, 3000}}, 0, 4000},
        CueCase{"SilenceInsideStaysInside",
                {{0, 0, 500}, {100, -10, 2000}, {0, 0, 3000}, {100, -10, 2000}},
                500,
                7500}),
    [](const auto& info) { return std::string(info.param.name); });

// The segue point: where the ending falls 15 LU below the title's loudness
// for the rest of it, never before half the title; none when it stays loud.
struct SegueCase {
    const char* name;
    std::vector<ToneStretch> title;
    std::optional<int> segueMs;
};

class SegueTest : public ::testing::TestWithParam<SegueCase> {};

TEST_P(SegueTest, TheSegueIsWhereTheEndingStaysBelowTheLevel) {
    TempFolder folder;
    const auto file = folder.Path() / "title.wav";
    WriteToneFile(file, 48000, 2, GetParam().title);
    const AnalysisResult r = AnalyseAudioFile(file, {});
    ASSERT_TRUE(r.Analysed()) << r.reason;
    ASSERT_EQ(r.analysis->segueMs.has_value(), GetParam().segueMs.has_value());
    if (GetParam().segueMs)
        EXPECT_NEAR(*r.analysis->segueMs, *GetParam().segueMs, 150);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SegueTest,
    ::testing::Values(SegueCase{"LoudToTheEnd", {{1000, -10, 12000}}, std::nullopt},
                      SegueCase{"QuietTail", {{1000, -10, 10000}, {1000, -35, 5000}}, 10000},
                      // A tail only 10 LU down is still part of the title.
                      SegueCase{"TailAboveTheLevel", {{1000, -10, 10000}, {1000, -20, 5000}}, std::nullopt},
                      SegueCase{"NeverBeforeHalf", {{1000, -10, 3000}, {1000, -35, 9000}}, 6000},
                      // Silence at the end counts as below the level.
                      SegueCase{"SilentTail", {{1000, -10, 10000}, {0, 0, 3000}}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// A title that cannot be measured is "not analysed" with a reason, never a
// crash and never a made-up measurement.
TEST(LoudnessAnalysis, FilesThatCannotBeMeasuredAreNotAnalysedWithAReason) {
    TempFolder folder;
    const auto silent = folder.Path() / "silent.wav";
    WriteToneFile(silent, 44100, 2, {{0, 0, 3000}});
    const auto empty = folder.Path() / "empty.wav";
    WriteToneFile(empty, 44100, 2, {});
    const auto garbage = folder.Path() / "garbage.mp3";
    std::ofstream(garbage) << std::string(5000, 'x');
    const auto cut = folder.Path() / "cut.wav";
    WriteToneFile(cut, 44100, 2, {{1000, -10, 1000}});
    std::filesystem::resize_file(cut, 30);
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {silent, "silent"},
        {empty, "no audio"},
        {garbage, "not a valid Audiofile"},
        {cut, "not a valid"},
        {folder.Path() / "gone.wav", "does not exist"},
        {folder.Path(), "folder"}};
    for (const auto& [path, reason] : cases) {
        const AnalysisResult r = AnalyseAudioFile(path, {});
        EXPECT_FALSE(r.Analysed()) << path;
        EXPECT_NE(r.reason.find(reason), std::string::npos) << path << ": " << r.reason;
    }
}

// The gain brings the title to the target unless its true peak would then
// pass the ceiling; the ceiling wins.
TEST(LoudnessGain, TheGainMeetsTheTargetUnlessTheTruePeakWouldPassTheCeiling) {
    struct Case {
        double lufs, truePeak, target, ceiling, gain;
    };
    const Case cases[] = {{-8, -0.5, -23, -1, -15},
                          {-30, -12, -23, -1, 7},
                          {-30, -3, -23, -1, 2},
                          {-23, -1, -23, -1, 0},
                          {-18, 0.5, -16, -1, -1.5}};
    for (const Case& c : cases) {
        LoudnessAnalysis a;
        a.integratedLufs = c.lufs;
        a.truePeakDbtp = c.truePeak;
        EXPECT_DOUBLE_EQ(NormalisingGainDb(a, c.target, c.ceiling), c.gain) << c.lufs << " " << c.truePeak;
    }
    EXPECT_EQ(VolumeForGainDb(0), 16384);
    EXPECT_EQ(VolumeForGainDb(-6.0206), 8192);
    EXPECT_EQ(VolumeForGainDb(6.0206), 32768);
}

// Whatever the figures say, the gain stays within ±20 dB and the true peak
// within the ceiling: a store gone wrong cannot blast the air.
TEST(LoudnessGain, TheGainIsBoundedAndTheCeilingAlwaysHolds) {
    struct Case {
        double lufs, truePeak, gain;
    };
    const Case cases[] = {{-1e308, -1e308, 20}, {-60, -50, 20}, {-60, -15, 14}, {30, 31, -32},
                          {1e308, -1e308, -20}, {-45, -40, 20}, {5, -2, -20}};
    for (const Case& c : cases) {
        LoudnessAnalysis a;
        a.integratedLufs = c.lufs;
        a.truePeakDbtp = c.truePeak;
        EXPECT_DOUBLE_EQ(NormalisingGainDb(a, -23, -1), c.gain) << c.lufs << " " << c.truePeak;
    }
}

// A file of DC offset (half of full scale, with a faint tone on it) reads
// quiet to the meter, whose weighting removes DC, but raising it would raise
// the offset toward full scale: it earns no gain.
TEST(LoudnessGain, ATitleOfDcOffsetEarnsNoGain) {
    TempFolder folder;
    const int rate = 44100;
    std::vector<int16_t> samples(static_cast<size_t>(rate) * 6 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] =
            static_cast<int16_t>(16384 + std::lround(300 * std::sin(2 * M_PI * 440 * double(i / 2) / rate)));
    const std::string path = folder.File("dc.wav");
    testing::WriteWave16(path, rate, 2, samples);
    const AnalysisResult r = AnalyseAudioFile(path, {});
    ASSERT_TRUE(r.Analysed()) << r.reason;
    EXPECT_LE(NormalisingGainDb(*r.analysis, -23, -1), 0.0) << r.analysis->integratedLufs;
}

} // namespace
} // namespace corvane
