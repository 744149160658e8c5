#include "PlayoutFixture.h"
#include "loudness/AnalyseAudioFile.h"
#include "loudness/LoudnessStore.h"
#include "support/ToneFiles.h"

namespace corvane::testing {
namespace {

double Amplitude(double dbfs) {
    return std::pow(10.0, dbfs / 20.0);
}

// Playout over a store of measured titles, as the station wires it.
class LoudnessPlayout : public PlayoutFixture {
protected:
    LoudnessStore store{folder.Path() / LoudnessStoreFileName};

    void SetUp() override {
        PlayoutFixture::SetUp();
        console->UseLoudness(store);
    }
    enum class Measure { Yes, No };
    // A 44.1 kHz stereo title of the stretches, measured into the store unless told not to.
    std::string Title(const std::string& name, const std::vector<ToneStretch>& stretches,
                      Measure measure = Measure::Yes) {
        const std::string path = (folder / name).string();
        WriteToneFile(path, 44100, 2, stretches);
        if (measure == Measure::Yes) {
            const AnalysisResult result = AnalyseAudioFile(path, {});
            EXPECT_TRUE(result.Analysed()) << result.reason;
            store.Save(path, *CurrentFileVersion(path), result);
        }
        return path;
    }
};

// Each item is heard at the target loudness, unless its true peak would then
// pass the ceiling; titles not measured, or with normalising off, play as
// they are. A 1 kHz sine's loudness is its peak level, so the peak heard
// shows the gain.
struct LevelCase {
    const char* name;
    double peakDbfs;
    double target;
    bool measured;
    bool normalise;
    double heardDbfs;
};

class LoudnessLevels : public LoudnessPlayout, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LoudnessLevels, EachItemIsHeardAtTheTargetWithinTheCeiling) {
    const LevelCase& c = GetParam();
    settings.LoudnessNormalise = c.normalise;
    settings.LoudnessTarget = c.target;
    const int item =
        AddRow(Title("title.wav", {{1000, c.peakDbfs, 4000}}, c.measured ? Measure::Yes : Measure::No));
    Cursor(item);
    console->StartItem();
    Run(6000);
    EXPECT_NEAR(Tone(1000, 3000, 1000), Amplitude(c.heardDbfs), Amplitude(c.heardDbfs) * 0.12);
    EXPECT_NEAR(Heard().PeakLevel({1000, 3000}), Amplitude(c.heardDbfs), Amplitude(c.heardDbfs) * 0.12);
}

INSTANTIATE_TEST_SUITE_P(Items, LoudnessLevels,
                         ::testing::Values(LevelCase{"Loud", -8, -23, true, true, -23},
                                           LevelCase{"Quiet", -30, -23, true, true, -23},
                                           LevelCase{"LimitedByTheCeiling", -10, 0, true, true, -1},
                                           LevelCase{"NotMeasured", -15, -23, false, true, -15},
                                           LevelCase{"NormalisingOff", -8, -23, true, false, -8}),
                         [](const auto& info) { return std::string(info.param.name); });

// Commercials and carts play through their own ports and may have targets
// of their own; without one they follow the general target.
TEST_F(LoudnessPlayout, CommercialsAndCartsTakeTheirOwnTargets) {
    settings.LoudnessNormalise = true;
    const std::string spot = Title("spot.wav", {{1000, -10, 2000}});
    console->LoadPort(3, spot);
    console->LoadPort(1, spot);
    EXPECT_NEAR(console->PortGainDb(3), -13, 0.05);
    EXPECT_NEAR(console->PortGainDb(1), -13, 0.05);
    settings.CommercialLoudnessTarget = -20;
    settings.CartLoudnessTarget = -16;
    console->LoadPort(3, spot);
    console->LoadPort(1, spot);
    EXPECT_NEAR(console->PortGainDb(3), -10, 0.05);
    EXPECT_NEAR(console->PortGainDb(1), -6, 0.05);
}

// With cue points the silence a file carries at its ends is not aired: the
// next item follows the last sound of the one before without a gap, and the
// item's length (what the remaining time counts down) ends at cue-out.
class CuePointJoins : public LoudnessPlayout, public ::testing::WithParamInterface<bool> {};

TEST_P(CuePointJoins, CuePointsCloseTheSilenceAtTheJoins) {
    const bool useCuePoints = GetParam();
    settings.UseCuePoints = useCuePoints;
    const int first = AddRow(Title("a.wav", {{0, 0, 2500}, {1000, -10, 4000}, {0, 0, 3000}}));
    const int second = AddRow(Title("b.wav", {{0, 0, 2000}, {2000, -10, 4000}, {0, 0, 2500}}));
    Cursor(first);
    console->StartItem();
    EXPECT_EQ(console->ItemLength(), useCuePoints ? 6500 : 9500);
    Run(20000);
    EXPECT_EQ(console->CurrentItem(), second);
    if (useCuePoints) {
        // The first tone from the start, the second right after the first.
        EXPECT_NEAR(Tone(100, 3900, 1000), Amplitude(-10), 0.02);
        EXPECT_NEAR(Tone(4100, 7900, 2000), Amplitude(-10), 0.02);
        EXPECT_TRUE(Gaps(100, 0, 8000).empty());
    } else {
        EXPECT_LT(Tone(100, 2400, 1000), 0.001);
        const auto gaps = Gaps(100, 2600, 15000);
        ASSERT_FALSE(gaps.empty());
        EXPECT_GE(gaps.front().LengthMs(), 5000);
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, CuePointJoins, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "CuePoints" : "WholeFiles"; });

// The automatic cross-fade begins at the segue point, where the ending has
// fallen far below the title's loudness, not five seconds before the end.
TEST_F(LoudnessPlayout, TheAutomaticCrossFadeBeginsAtTheSeguePoint) {
    settings.AutoCrossFade = true;
    settings.UseCuePoints = true;
    const int first = AddRow(Title("a.wav", {{1000, -10, 10000}, {1000, -35, 10000}}));
    AddRow(Title("b.wav", {{2000, -10, 20000}}));
    Cursor(first);
    console->StartItem();
    Run(16000);
    EXPECT_LT(Tone(9000, 9900, 2000), 0.002) << "nothing of the next before the segue";
    EXPECT_GT(Tone(10500, 11500, 2000), 0.01) << "the next item rises from the segue";
    EXPECT_NEAR(Tone(15500, 16000, 2000), Amplitude(-10), 0.02);
}

// A measurement that does not fit the file as the deck opened it (another,
// longer file's, under the same size and time) is never applied: the title
// plays whole at unity, and the measurement is dropped so that the title is
// measured again.
TEST_F(LoudnessPlayout, AMeasurementThatDoesNotFitTheFilePlaysItWholeAndIsDropped) {
    settings.LoudnessNormalise = true;
    settings.UseCuePoints = true;
    const std::string song = Title("song.wav", {{0, 0, 1000}, {1000, -10, 3000}, {0, 0, 1000}});
    AnalysisResult longer = *store.Find(song);
    longer.analysis->durationMs = 60000;
    longer.analysis->cueInMs = 20000;
    longer.analysis->cueOutMs = 55000;
    store.Save(song, *CurrentFileVersion(song), longer);
    ASSERT_TRUE(store.FindAnalysis(song)) << "the store itself takes it as plausible";

    console->LoadPort(0, song);
    EXPECT_EQ(console->PortGainDb(0), 0.0);
    EXPECT_EQ(console->Deck(0).Duration(), console->Deck(0).LoadedLength()) << "played whole";
    EXPECT_EQ(console->Deck(0).Position(), 0);
    EXPECT_FALSE(store.Find(song)) << "dropped, so that it is measured again";
}

} // namespace
} // namespace corvane::testing
