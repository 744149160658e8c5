#include "PlayoutFixture.h"

namespace corvane::testing {
namespace {

class Fades : public PlayoutFixture {
protected:
    // Rows of `seconds` each, tones of 1, 2, 3 … kHz; returns their items.
    std::vector<int> Rows(int count, double seconds) {
        std::vector<int> items;
        for (int i = 0; i < count; ++i)
            items.push_back(AddRow(Tone("t" + std::to_string(i) + ".wav", seconds, 1000.0 * (i + 1))));
        return items;
    }
};

TEST_F(Fades, AutomaticCrossFadeWithTheDefaultFades) {
    settings.AutoCrossFade = true;
    const auto items = Rows(2, 20);
    Cursor(items[0]);
    console->StartItem();
    Run(30000);
    EXPECT_EQ(console->CurrentItem(), items[1]);
    EXPECT_EQ(console->CurrentPort(), 2);

    // The outgoing item is whole until the fade, then falls to silence about
    // one second before its file's end; the incoming one rises over 5 s.
    EXPECT_NEAR(Tone(12000, 13000, 1000), 0.5, 0.01);
    const double outMid = Tone(16000, 16500, 1000);
    EXPECT_GT(outMid, 0.1);
    EXPECT_LT(outMid, 0.4);
    EXPECT_LT(Tone(19100, 19900, 1000), 0.005);
    EXPECT_LT(Tone(13000, 13500, 2000), 0.01);
    const double inEarly = Tone(14500, 15000, 2000);
    const double inLate = Tone(17500, 18000, 2000);
    EXPECT_GT(inEarly, 0.01);
    EXPECT_LT(inEarly, inLate);
    EXPECT_NEAR(Tone(19500, 20500, 2000), 0.5, 0.01);
    // No gap anywhere in the transition, and each item's start is logged.
    EXPECT_TRUE(Gaps(20, 0, 30000).empty());
    EXPECT_EQ(ArchiveLines().size(), 2u);
}

TEST_F(Fades, FadingToNextTwiceWithinTheFadeCutsTheFirstFadeOut) {
    const auto items = Rows(3, 20);
    Cursor(items[0]);
    console->StartItem();
    Run(3000);
    console->actFadeToNext();
    EXPECT_EQ(console->CurrentItem(), items[1]);
    Run(1000);
    console->actFadeToNext();
    EXPECT_EQ(console->CurrentItem(), items[2]);
    EXPECT_EQ(console->CurrentPort(), 0);
    Run(10000);
    EXPECT_EQ(console->CurrentItem(), items[2]) << "no extra advance";
    // The first item's fade-out was cut when its port took the third item.
    EXPECT_LT(Tone(7000, 8000, 1000), 0.005);
    EXPECT_NEAR(Tone(12000, 13000, 3000), 0.5, 0.01);
    EXPECT_LT(Tone(12000, 13000, 2000), 0.005);
}

TEST_F(Fades, CrossFadingToABadRowPlaysItAndAnUnplayableOneIsSkipped) {
    const int a = AddRow(Tone("a.wav", 20, 1000));
    const int bad = AddRow(Tone("bad.wav", 20, 2000), "BAD");
    Cursor(a);
    console->StartItem();
    Run(2000);
    console->actFadeToNext();
    EXPECT_EQ(console->CurrentItem(), bad) << "only advancing skips BAD rows";

    const int gone = AddRow((folder / "gone.wav").string());
    const int c = AddRow(Tone("c.wav", 20, 3000));
    console->actFadeToNext();
    EXPECT_EQ(console->CurrentItem(), c);
    EXPECT_EQ(RowType(gone), "BAD");
    const std::vector<std::string> lines = ArchiveLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[lines.size() - 2].find("gone.wav MM Audio Error"), std::string::npos);
    EXPECT_NE(lines.back().find("c.wav Start Playout Event"), std::string::npos);
}

TEST_F(Fades, WithFadeOutZeroTheOutgoingItemIsCutAtOnce) {
    settings.AutoCrossFade = true;
    settings.FadeOutDefault = 0;
    settings.FadeInDefault = 0;
    const auto items = Rows(2, 5);
    Cursor(items[0]);
    console->StartItem();
    Run(8000);
    EXPECT_EQ(console->CurrentItem(), items[1]);
    // Fired with under a second left: the first item is heard to about 4 s.
    EXPECT_NEAR(Tone(3000, 3900, 1000), 0.5, 0.01);
    EXPECT_LT(Tone(4100, 4900, 1000), 0.005);
    EXPECT_NEAR(Tone(4100, 4900, 2000), 0.5, 0.01);
}

TEST_F(Fades, FadeToStopStopsTheOutputTwoSecondsAfterTheFade) {
    const auto items = Rows(2, 30);
    Cursor(items[0]);
    console->StartItem();
    Run(2000);
    console->actFadeToStop();
    EXPECT_TRUE(console->FadingToStop());
    Run(6900);
    EXPECT_TRUE(console->OnAir()) << "silent, not yet stopped";
    EXPECT_EQ(console->CurrentItem(), items[0]) << "the fade's end starts nothing";
    Run(200);
    EXPECT_FALSE(console->OnAir());
    EXPECT_FALSE(console->FadingToStop());
    EXPECT_FALSE(device.IsOpen());
    // The fade runs from what was handed on (1.5 s ahead) over 5 s.
    EXPECT_NEAR(Tone(2500, 3400, 1000), 0.5, 0.01);
    EXPECT_LT(Tone(8600, 9000, 1000), 0.005);
}

TEST_F(Fades, NothingToFadeToLetsTheLastItemPlayOutSilently) {
    settings.AutoCrossFade = true;
    const auto items = Rows(1, 10);
    Cursor(items[0]);
    console->StartItem();
    Run(12000);
    EXPECT_NEAR(Tone(8000, 9900, 1000), 0.5, 0.01);
    EXPECT_TRUE(console->OnAir());
    EXPECT_TRUE(console->ScheduleEnded());
}

TEST_F(Fades, APlainStartAfterACrossFadeUsesTheNewPort) {
    const auto items = Rows(3, 20);
    Cursor(items[0]);
    console->StartItem();
    Run(1000);
    console->actFadeToNext();
    EXPECT_EQ(console->CurrentPort(), 2);
    Cursor(items[2]);
    console->ScheduleCursorMoved();
    console->PlaySelected();
    EXPECT_EQ(console->CurrentPort(), 2);
    EXPECT_EQ(console->Deck(2).FileName(), (folder / "t2.wav").string());
}

class Transport : public Fades {};

TEST_F(Transport, SkipRestartAndSeekMoveThePositionAlsoWhilePaused) {
    const auto items = Rows(2, 20);
    Cursor(items[0]);
    console->StartItem();
    Run(2000);
    const int before = console->Deck(0).Position();
    console->actSkipRight();
    EXPECT_NEAR(console->Deck(0).Position(), before + 5000, 50);
    EXPECT_TRUE(console->OnAir());
    console->actSkipLeft();
    EXPECT_NEAR(console->Deck(0).Position(), before, 50);

    console->PauseBroadcast();
    EXPECT_FALSE(console->OnAir());
    console->actRestart();
    EXPECT_TRUE(console->OnAir()) << "a paused item resumes";
    EXPECT_LT(console->Deck(0).Position(), 100);

    console->GaugeClick(50, 101);
    EXPECT_NEAR(console->Deck(0).Position(), 10000, 50);
    Run(3000);
    EXPECT_EQ(console->CurrentItem(), items[0]) << "no port event advanced meanwhile";

    // Within the last five seconds ">>" does nothing.
    console->GaugeClick(85, 101);
    const int late = console->Deck(0).Position();
    console->actSkipRight();
    EXPECT_EQ(console->Deck(0).Position(), late);

    // The far right end stops; "&Start" works again afterwards.
    console->GaugeClick(100, 101);
    EXPECT_FALSE(console->OnAir());
    EXPECT_FALSE(console->OutputPlaying());
    Cursor(items[1]);
    console->StartBroadcast();
    EXPECT_TRUE(console->OnAir());
    Run(1000);
    EXPECT_GT(console->Remaining(), 15000);
}

TEST_F(Transport, SkipsDoNothingWhenTheOutputIsNotPlaying) {
    Rows(1, 20);
    console->actSkipRight();
    console->actSkipLeft();
    console->actRestart();
    console->GaugeClick(10, 101);
    EXPECT_FALSE(console->OnAir());
    EXPECT_FALSE(device.IsOpen());
}

} // namespace
} // namespace corvane::testing
