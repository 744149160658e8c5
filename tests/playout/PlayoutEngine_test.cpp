#include "PlayoutFixture.h"

#include <sys/stat.h>

namespace corvane::testing {
namespace {

using Call = VirtualWaveDevice::Call;

class Sequencing : public PlayoutFixture {};

TEST_F(Sequencing, SkipsBadRowsAndLeavesTheOutputOnAndSilentAtTheEnd) {
    const int a = AddRow(Tone("a.wav", 2, 1000));
    AddRow(Tone("b.wav", 2, 2000), "BAD");
    AddRow(Tone("c.wav", 2, 2000), "BAD");
    const int d = AddRow(Tone("d.wav", 2, 3000));
    Cursor(a);
    console->StartBroadcast();
    EXPECT_TRUE(console->OnAir());
    EXPECT_EQ(console->CurrentItem(), a);
    Run(8000);

    EXPECT_NEAR(Tone(200, 1800, 1000), 0.5, 0.01);
    EXPECT_NEAR(Tone(2200, 3800, 3000), 0.5, 0.01);
    EXPECT_LT(Tone(2200, 3800, 2000), 0.01);
    // Back to back: no gap between the items, silence after the last. The
    // next item fills the rest of the buffer in which the deck ran dry (it
    // used to start a buffer or two later: 23 to 46 ms of silence).
    EXPECT_TRUE(Gaps(1, 0, 3990).empty());
    EXPECT_LT(Level(4100, 8000), 1e-4);
    EXPECT_TRUE(console->OnAir());
    EXPECT_TRUE(console->OutputPlaying());
    EXPECT_TRUE(console->ScheduleEnded());
    EXPECT_EQ(console->CurrentItem(), d);
    EXPECT_EQ(ArchiveLines().size(), 2u);

    console->StopBroadcast();
    EXPECT_FALSE(console->OnAir());
    EXPECT_FALSE(console->mmAudioOut().State().open);
    EXPECT_EQ(console->CurrentItem(), 0);
    EXPECT_EQ(console->Memo1.Last(), "Current Playing: 0");
}

TEST_F(Sequencing, AnMp3ItemBetweenWaveItemsPlaysWholeAndWithoutGaps) {
    const int a = AddRow(Tone("a.wav", 2, 3000));
    AddRow(test::Fixture("tone-cbr.mp3")); // 0.7 s, 1000 Hz at -6 dB on the left
    AddRow(Tone("c.wav", 2, 3000));
    Cursor(a);
    console->StartItem();
    Run(6000);
    EXPECT_NEAR(Tone(2050, 2650, 1000), 0.48, 0.04);
    EXPECT_LT(Tone(2050, 2650, 3000), 0.01);
    EXPECT_NEAR(Tone(2800, 4600, 3000), 0.5, 0.01);
    EXPECT_TRUE(Gaps(1, 0, 4600).empty());
    EXPECT_EQ(ArchiveLines().size(), 3u);
}

TEST_F(Sequencing, AnItemShorterThanTheOutputQueueStillAdvances) {
    // Started from silence, the whole item and some silence go into the
    // output's first queue while the start is still under way; the next item
    // follows that queue (about 1.5 s) instead of never.
    const int a = AddRow(Tone("a.wav", 0.5, 1000));
    const int b = AddRow(Tone("b.wav", 2, 2000));
    Cursor(a);
    console->StartItem();
    Run(4000);
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_NEAR(Tone(50, 450, 1000), 0.5, 0.01);
    EXPECT_NEAR(Tone(1600, 3400, 2000), 0.5, 0.01);
    const auto gaps = Gaps(50, 0, 3400);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_LT(gaps[0].endMs, 1550);
}

TEST_F(Sequencing, LoopingWrapsToTheFirstRowEvenWhenItIsBad) {
    settings.LoopScheduleContinuously = true;
    const int a = AddRow(Tone("a.wav", 2, 1000), "BAD");
    const int b = AddRow(Tone("b.wav", 2, 2000));
    Cursor(b);
    console->StartItem();
    EXPECT_EQ(console->NextItem(), 0);
    Run(2000);
    EXPECT_EQ(console->CurrentItem(), a);
    Run(3000);
    EXPECT_NEAR(Tone(100, 1900, 2000), 0.5, 0.01);
    EXPECT_NEAR(Tone(2100, 3900, 1000), 0.5, 0.01);
}

TEST_F(Sequencing, DelayedPauseStopsAfterTheItemAndStartPlaysTheNextRow) {
    const int a = AddRow(Tone("a.wav", 2, 1000));
    const int b = AddRow(Tone("b.wav", 2, 2000));
    console->DelayPauseBroadcast();
    EXPECT_FALSE(console->DelayedPause()) << "off air it does nothing";
    Cursor(a);
    console->StartItem();
    console->DelayPauseBroadcast();
    EXPECT_TRUE(console->DelayedPause());
    Run(4000);
    EXPECT_FALSE(console->DelayedPause());
    EXPECT_TRUE(console->OnAir());
    EXPECT_LT(Level(2100, 4000), 1e-4);
    EXPECT_EQ(data.cdsSchedule.FieldByName("ItemPlayOrder").AsInteger(), b);
    console->ScheduleCursorMoved();
    console->PlaySelected();
    EXPECT_EQ(console->CurrentItem(), b);
}

TEST_F(Sequencing, PlaySelectedCutsTheItemOnAirAndAdvancesOnlyOnce) {
    const int a = AddRow(Tone("a.wav", 10, 1000));
    AddRow(Tone("b.wav", 1, 2000));
    const int c = AddRow(Tone("c.wav", 1, 3000));
    Cursor(a);
    console->StartItem();
    Run(3000);
    console->ScheduleCursorMoved();
    EXPECT_FALSE(console->Commands().Start) << "not on the row on air";
    Cursor(c);
    console->ScheduleCursorMoved();
    console->PlaySelected();
    EXPECT_EQ(console->CurrentItem(), c);
    Run(5000);
    EXPECT_EQ(console->CurrentItem(), c);
    EXPECT_TRUE(console->ScheduleEnded());
    // What was queued of a is heard first, then c at once; b never.
    EXPECT_NEAR(Tone(3000, 4400, 1000), 0.5, 0.01);
    EXPECT_NEAR(Tone(4600, 5400, 3000), 0.5, 0.01);
    EXPECT_LT(Tone(4000, 8000, 2000), 0.01);
    EXPECT_EQ(ArchiveLines().size(), 2u);
}

TEST_F(Sequencing, PlaySelectedWhilePausedResumesTheRowOrLoadsAnother) {
    const int a = AddRow(Tone("a.wav", 10, 1000));
    const int b = AddRow(Tone("b.wav", 10, 2000));
    Cursor(a);
    console->StartItem();
    Run(2000);
    console->PauseBroadcast();
    EXPECT_FALSE(console->OnAir());
    Run(1000);
    console->StartItem();
    EXPECT_TRUE(console->OnAir());
    EXPECT_NE(ArchiveLines().back().find("a.wav Restart Playout Event"), std::string::npos);

    console->PauseBroadcast();
    Cursor(b);
    console->StartItem();
    EXPECT_TRUE(console->OutputPaused()) << "loaded but still paused";
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_NE(ArchiveLines().back().find("b.wav Start Playout Event"), std::string::npos);
    console->StartBroadcast();
    EXPECT_TRUE(console->OnAir());
    EXPECT_EQ(ArchiveLines().size(), 3u) << "a resume by \"&Start\" logs nothing";
}

TEST_F(Sequencing, TheEndOfAJingleDoesNotAdvanceTheSchedule) {
    const int a = AddRow(Tone("a.wav", 5, 1000));
    AddRow(Tone("b.wav", 5, 2000));
    Cursor(a);
    console->StartItem();
    Run(1000);
    console->Deck(1).SetFileName(Tone("jingle.wav", 0.5, 3000));
    console->WaveMixer().HoldPort(1, false);
    Run(2500);
    EXPECT_EQ(console->CurrentItem(), a);
    EXPECT_NEAR(Tone(3000, 4800, 1000), 0.5, 0.01);
    EXPECT_NE(std::find(console->Memo1.Lines().begin(), console->Memo1.Lines().end(),
                        "Close Port : DirectJinglePlayout=False"),
              console->Memo1.Lines().end());
}

TEST_F(Sequencing, TheTwoHourRefreshGivesAOneSecondGapAndHonoursTheChosenRow) {
    const int a = AddRow(Tone("a.wav", 4, 1000));
    const int b = AddRow(Tone("b.wav", 4, 2000));
    const int c = AddRow(Tone("c.wav", 4, 3000));
    const int d = AddRow(Tone("d.wav", 4, 500));
    Cursor(a);
    console->StartItem();
    Run(500);
    // Two hours later on the wall clock: the next item change refreshes. The
    // deck runs dry about 2.5 s in (its last 1.5 s are queued in the output).
    seams.studio.SetWallClock(seams.studio.Now() + 2.01 / 24);
    Run(2600);
    EXPECT_TRUE(console->DeviceRefresh());
    EXPECT_FALSE(device.IsOpen());
    Run(1000);
    EXPECT_FALSE(console->DeviceRefresh());
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_NE(std::find(status.begin(), status.end(), "Refreshing Audio Device Driver"), status.end());
    ASSERT_EQ(device.Streams().size(), 2u);
    const int64_t stopped = device.Streams()[0].FrameToMs(device.Streams()[0].Frames());
    EXPECT_NEAR(static_cast<double>(device.Streams()[1].OriginMs() - stopped), 1000, 50);

    // An operator's choice that falls on a refresh plays after it.
    seams.studio.SetWallClock(seams.studio.Now() + 2.01 / 24);
    Cursor(d);
    console->ScheduleCursorMoved();
    console->PlaySelected();
    Run(1100);
    EXPECT_EQ(console->CurrentItem(), d);
    EXPECT_NE(console->CurrentItem(), c);
}

TEST_F(Sequencing, AnOutputErrorMarksTheRowBadAndResumesWithTheNextOne) {
    const int a = AddRow(Tone("a.wav", 10, 1000));
    const int b = AddRow(Tone("b.wav", 10, 2000));
    Cursor(a);
    console->StartItem();
    Run(1000);
    // An error of the output that is not the device's, as a file that
    // cannot be decoded raises.
    EXPECT_THROW(console->mmAudioOut().Error("Error reading wave file"), EMMWaveOutError);
    Run(200);
    EXPECT_FALSE(console->OnAir());
    EXPECT_EQ(RowType(a), "BAD");
    EXPECT_NE(ArchiveLines().back().find("a.wav MM Audio Error - Possibly Corrupt File Header"),
              std::string::npos);
    Run(1200);
    EXPECT_TRUE(console->OnAir());
    EXPECT_EQ(console->CurrentItem(), b);

    // With resuming off the console just stops, also on a device fault.
    settings.AttemptResumeOnAudioError = false;
    device.FailNext(Call::Write, "device gone");
    Run(3000);
    EXPECT_FALSE(console->OnAir());
    EXPECT_EQ(RowType(b), "WAV");
}

TEST_F(Sequencing, RefreshingTheCommandsLeavesTheDeviceRefreshTimeAlone) {
    const int a = AddRow(Tone("a.wav", 3, 1000));
    Cursor(a);
    console->StartItem();
    Run(500);
    const TDateTime changed = console->LastStateChange();
    seams.studio.SetWallClock(seams.studio.Now() + 1.0 / 24);
    console->RefreshCommands();
    EXPECT_EQ(console->LastStateChange(), changed);
    EXPECT_TRUE(console->Commands().Stop);
}

TEST_F(Sequencing, StatisticsStampTheLibraryAndTheRowOnlyWhenOn) {
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        settings.StatisticsTracking = on;
        data.cdsAudioLibrary.Append();
        data.cdsAudioLibrary.FieldByName("LocalPathToFile").SetAsString("x");
        data.cdsAudioLibrary.Post();
        data.cdsAudioLibrary.Last();
        const int title = data.cdsAudioLibrary.FieldByName("TitleID").AsInteger();
        const int row = AddRow(Tone("s.wav", 1, 1000), "", title);
        Cursor(row);
        console->StopBroadcast();
        console->StartItem();
        const int expected = on ? 1 : 0;
        EXPECT_EQ(data.cdsSchedule.FieldByName("TimesPlayed").AsInteger(), expected);
        ASSERT_TRUE(data.cdsAudioLibrary.Locate("TitleID", int64_t{title}));
        EXPECT_EQ(data.cdsAudioLibrary.FieldByName("TimesPlayed").AsInteger(), expected);
    }
}

TEST_F(Sequencing, AMissingOrCorruptFileIsMarkedBadAndTheNextRowPlaysAtOnce) {
    WriteText(folder / "corrupt.wav", "this is no audio");
    const int missing = AddRow((folder / "gone.wav").string());
    const int corrupt = AddRow((folder / "corrupt.wav").string());
    const int good = AddRow(Tone("good.wav", 2, 1000));
    Cursor(missing);
    console->StartItem();
    EXPECT_EQ(console->CurrentItem(), good);
    EXPECT_EQ(RowType(missing), "BAD");
    EXPECT_EQ(RowType(corrupt), "BAD");
    Run(1000);
    EXPECT_NEAR(Tone(0, 900, 1000), 0.5, 0.01);
    const auto lines = ArchiveLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("gone.wav MM Audio Error - Possibly Corrupt File Header"), std::string::npos);
    EXPECT_NE(lines[1].find("corrupt.wav MM Audio Error"), std::string::npos);
    EXPECT_NE(lines[2].find("good.wav Start Playout Event"), std::string::npos);
}

// Paths that are there to the schedule but not to the deck: a name longer than
// the system takes (255 bytes), a path far beyond PATH_MAX, a FIFO (opening it
// would wait for a writer forever) and a folder. Each row is marked BAD with
// its own line in the archive and the next row plays at once, as for a
// missing file, also when cross-fading.
TEST_F(Sequencing, RowsWhoseFileTheSystemCannotOpenAreMarkedBadAndTheNextRowPlays) {
    ASSERT_EQ(::mkfifo((folder / "fifo.wav").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "folder.wav");
    const std::string unopenable[] = {
        (folder / (std::string(300, 'n') + ".wav")).string(),
        "/" + std::string(1 << 20, 'p') + ".wav",
        (folder / "fifo.wav").string(),
        (folder / "folder.wav").string(),
    };
    for (const bool crossFade : {false, true}) {
        SCOPED_TRACE(crossFade ? "cross-fading" : "back to back");
        settings.AutoCrossFade = crossFade;
        data.cdsSchedule.EmptyDataSet();
        std::filesystem::remove(folder / "archive.log");
        const int first = AddRow(Tone("first.wav", 1, 1000));
        std::vector<int> bad;
        for (const std::string& path : unopenable)
            bad.push_back(AddRow(path));
        const int last = AddRow(Tone("last.wav", 2, 2000));
        Cursor(first);
        console->StartItem();
        Run(1500);
        EXPECT_EQ(console->CurrentItem(), last);
        for (size_t i = 0; i < bad.size(); ++i)
            EXPECT_EQ(RowType(bad[i]), "BAD") << i;
        const auto lines = ArchiveLines();
        ASSERT_EQ(lines.size(), 2 + bad.size());
        EXPECT_NE(lines[0].find("first.wav Start Playout Event"), std::string::npos);
        for (size_t i = 0; i < bad.size(); ++i)
            EXPECT_NE(lines[1 + i].find(unopenable[i].substr(0, 200)), std::string::npos) << i;
        EXPECT_NE(lines.back().find("last.wav Start Playout Event"), std::string::npos);
        console->StopBroadcast();
    }
}

// A stored schedule can hold two rows of one ItemPlayOrder (hand edits, other
// tools): each plays once, in the schedule's order, and the show moves on.
TEST_F(Sequencing, RowsSharingAPlayOrderEachPlayOnceInTurn) {
    for (const bool crossFade : {false, true}) {
        SCOPED_TRACE(crossFade ? "cross-fading" : "back to back");
        settings.AutoCrossFade = crossFade;
        settings.FadeOutDefault = 500; // a fade over each item's last two seconds or less
        data.cdsSchedule.EmptyDataSet();
        std::filesystem::remove(folder / "archive.log");
        const int a = AddRow(Tone("a.wav", 3, 1000));
        const int b = AddRow(Tone("b.wav", 3, 2000));
        AddRow(Tone("c.wav", 3, 3000));
        Table& s = data.cdsSchedule;
        s.Edit();
        s.FieldByName("ItemPlayOrder").SetAsInteger(a); // c's row now shares a's play order
        s.Post();
        const int d = AddRow(Tone("d.wav", 3, 1500));
        console->Memo1.Add("Current Playing: 0");
        Cursor(a);
        console->StartItem();
        Run(14000);
        // What went on air, in turn.
        std::vector<int> played;
        for (const std::string& line : console->Memo1.Lines())
            if (line == "Current Playing: 0")
                played.clear(); // the earlier run ended here
            else if (line.starts_with("Current Playing: "))
                played.push_back(std::stoi(line.substr(17)));
        EXPECT_EQ(played, (std::vector<int>{a, b, a, d})) << "each row once, then the next";
        EXPECT_TRUE(console->ScheduleEnded());
        console->StopBroadcast();
    }
}

TEST_F(Sequencing, WithoutResumingAMissingFileIsStartedEmptyAsBefore) {
    settings.AttemptResumeOnAudioError = false;
    const int missing = AddRow((folder / "gone.wav").string());
    AddRow(Tone("good.wav", 2, 1000));
    Cursor(missing);
    console->StartItem();
    EXPECT_EQ(console->CurrentItem(), missing);
    EXPECT_EQ(console->ItemLength(), 0);
    EXPECT_NE(RowType(missing), "BAD");
    Run(2000);
    EXPECT_EQ(console->CurrentItem(), missing) << "an empty port never closes";
}

TEST_F(Sequencing, AFailedArchiveWriteGoesToTheExceptionLogAndPlayoutGoesOn) {
    std::filesystem::create_directory(folder / "archive.log");
    const int a = AddRow(Tone("a.wav", 2, 1000));
    const int b = AddRow(Tone("b.wav", 2, 2000));
    Cursor(a);
    console->StartItem();
    EXPECT_EQ(console->CurrentItem(), a);
    EXPECT_EQ(console->NextItem(), b) << "the steps after the line still ran";
    Run(2500);
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_NE(ReadText(folder / "zrexcept.log").find("archive.log"), std::string::npos);
}

TEST_F(Sequencing, AfterShutdownNothingStartsAgain) {
    const int a = AddRow(Tone("a.wav", 3, 1000));
    AddRow(Tone("b.wav", 3, 2000));
    Cursor(a);
    console->StartItem();
    Run(500);
    console->Shutdown();
    EXPECT_FALSE(console->OutputPlaying());
    Run(4000);
    console->StartItem();
    EXPECT_FALSE(console->OutputPlaying());
    EXPECT_EQ(ArchiveLines().size(), 1u);
}

TEST_F(Sequencing, TheCommandTableFollowsTheOnAirState) {
    EXPECT_EQ(console->Commands(), PlayoutCommands{});
    console->SetOnAir(false);
    EXPECT_TRUE(console->Commands().Properties.value_or(false)) << "empty schedule";
    EXPECT_EQ(console->Commands().Mode, OperatingMode::Design);
    AddRow(Tone("a.wav", 1, 1000));
    console->SetOnAir(true);
    const PlayoutCommands& c = console->Commands();
    EXPECT_TRUE(c.FadeToNext && c.Stop && c.Pause && c.SaveScheduleFile && c.MoveUp);
    EXPECT_FALSE(c.Start || c.Wizard || c.SystemMenu || c.LoadScheduleFile || c.ClearSchedule);
    EXPECT_EQ(c.Mode, OperatingMode::Automatic);
    console->SetDirectJinglePlayout(true);
    console->SetOnAir(true);
    EXPECT_FALSE(console->Commands().FadeToNext);
}

} // namespace
} // namespace corvane::testing
