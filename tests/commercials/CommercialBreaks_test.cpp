#include "CommercialListFiles.h"
#include "commercials/CommercialBreaks.h"
#include "playout/PlayoutFixture.h"

#include <algorithm>

namespace corvane::testing {
namespace {

// A spot follows the one before in the mixing pass after the one that found
// its deck dry: under two buffers of the mix between them.
constexpr int64_t NoGapMs = 50;

// Playout on the virtual studio with the commercial breaks over it, the
// program folder's "ads" folder as the list folder, and the trip button's
// caption and the countdown's break time as the window would show them.
class Breaks : public PlayoutFixture {
protected:
    std::unique_ptr<CommercialBreaks> breaks;
    std::vector<bool> captions;
    std::string shownBreakTime = "unset";

    void SetUp() override {
        PlayoutFixture::SetUp();
        std::filesystem::create_directories(folder / "ads");
        // The console starts with no list loaded.
        data.cdsVantorAdList.Close();
        breaks = MakeBreaks(seams.studio.clock());
    }
    void TearDown() override {
        breaks.reset();
        PlayoutFixture::TearDown();
    }
    void SetBreakActive(bool active) override {
        if (breaks)
            breaks->SetBreakActive(active);
    }
    void CommercialPortClosed(int port) override {
        if (breaks)
            breaks->CommercialPortClosed(port);
    }
    std::unique_ptr<CommercialBreaks> MakeBreaks(const Clock& clock) {
        CommercialsView view;
        view.ShowBreakActive = [this](bool active) { captions.push_back(active); };
        view.ShowNextBreakTime = [this](const std::string& time) { shownBreakTime = time; };
        auto made = std::make_unique<CommercialBreaks>(*console, data, settings, clock, view);
        made->SetListFolder(folder / "ads");
        return made;
    }
    // Writes a commercial list into the list folder; returns its path.
    std::string WriteList(const std::string& name, const std::vector<Spot>& spots) {
        const std::string path = (folder / "ads" / name).string();
        WriteCommercialList(path, spots);
        return path;
    }
    Table& List() { return data.cdsVantorAdList; }

    // The tones heard one after another in [fromMs, toMs): the strongest of
    // `tones` in each 100 ms window, repeats collapsed; 0 for silence.
    std::vector<double> TonesHeard(int64_t fromMs, int64_t toMs, const std::vector<double>& tones) {
        std::vector<double> sequence;
        for (int64_t t = fromMs; t + 100 <= toMs; t += 100) {
            double best = 0, bestLevel = 0.05;
            for (double hz : tones) {
                const double level = Tone(t, t + 100, hz);
                if (level > bestLevel) {
                    best = hz;
                    bestLevel = level;
                }
            }
            if (sequence.empty() || sequence.back() != best)
                sequence.push_back(best);
        }
        return sequence;
    }
    // Runs until the commercial deck holds `path` (at most `limitMs`).
    void RunUntilSpot(const std::string& path, int limitMs = 20000) {
        for (int waited = 0; console->Deck(3).FileName() != path && waited < limitMs; waited += 50)
            Run(50);
        ASSERT_EQ(console->Deck(3).FileName(), path);
    }
    int64_t PlayedMs() { return Heard().FrameToMs(Heard().Frames()); }
    bool Logged(const std::string& path) {
        for (const std::string& line : ArchiveLines())
            if (line.find(path + " MM Audio Error - Possibly Corrupt File Header") != std::string::npos)
                return true;
        return false;
    }
};

// Music a (1 kHz) then b (3 kHz), 20 s each; spots of 2 s at 400, 500, 600 Hz.
class BreakOnAir : public Breaks {
protected:
    int a = 0, b = 0;
    std::string s1, s2, s3;
    const std::vector<double> tones{1000, 3000, 400, 500, 600};

    void SetUp() override {
        Breaks::SetUp();
        a = AddRow(Tone("a.wav", 20, 1000));
        b = AddRow(Tone("b.wav", 20, 3000));
        s1 = Tone("s1.wav", 2, 400);
        s2 = Tone("s2.wav", 2, 500);
        s3 = Tone("s3.wav", 2, 600);
    }
    void StartMusic() {
        Cursor(a);
        console->StartItem();
        Run(3000);
    }
};

TEST_F(BreakOnAir, ThreeSpotsPlayInOrderWithoutGapsAndTheScheduleResumes) {
    WriteList("today.ads", {{"09:00", s1}, {"09:00", s2}, {"09:00", s3}, {"10:00", s1}});
    // The break is tripped late in its own minute, so it ends in the next one.
    Run(54000);
    breaks->SelectList("today.ads");
    EXPECT_EQ(breaks->NextBreakTime(), "09:00");
    StartMusic();
    breaks->StartCommercialBreak(settings.FadeOutCommercial);
    EXPECT_TRUE(console->CommercialBreak());
    EXPECT_EQ(captions.back(), true);
    EXPECT_EQ(breaks->ResumeItem(), a);
    EXPECT_EQ(List().RecordCount(), 3) << "the break's rows only while it plays";

    Run(12000);
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_EQ(captions.back(), false);
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_EQ(TonesHeard(54000, 65000, tones), (std::vector<double>{1000, 400, 500, 600, 3000}));
    EXPECT_TRUE(Gaps(NoGapMs, 54000, 65000).empty());
    // The music is gone within the commercial fade of the trip.
    EXPECT_LT(Tone(57000 + 1500 + settings.FadeOutCommercial + 100, 60000, 1000), 0.005);
    // The list shows every break again, on the following one.
    EXPECT_FALSE(List().Filtered());
    EXPECT_EQ(List().RecordCount(), 4);
    EXPECT_EQ(breaks->NextBreakTime(), "10:00");
    EXPECT_EQ(shownBreakTime, "10:00");
    EXPECT_EQ(List().FieldByName("BOOK_TIME").AsString(), "10:00");
}

TEST_F(BreakOnAir, StoppingOnTheSecondSpotFadesItAndSkipsTheThird) {
    WriteList("today.ads", {{"09:00", s1}, {"09:00", s2}, {"09:00", s3}});
    breaks->SelectList("today.ads");
    StartMusic();
    breaks->TripCommercial();
    RunUntilSpot(s2);
    Run(300);
    breaks->TripCommercial(); // F8 again: stop the break and resume
    EXPECT_TRUE(console->CommercialBreak()) << "until the spot has faded";
    Run(8000);
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_EQ(TonesHeard(0, PlayedMs(), tones), (std::vector<double>{1000, 400, 500, 3000}));
    EXPECT_LT(Tone(0, PlayedMs(), 600), 0.002) << "the third spot is never heard";
    EXPECT_TRUE(Gaps(NoGapMs, 0, PlayedMs()).empty());
}

TEST_F(BreakOnAir, MissingAndUndecodableSpotsAreSkippedAndLogged) {
    const std::string missing = (folder / "missing.wav").string();
    const std::string garbage = (folder / "garbage.wav").string();
    WriteText(garbage, "not a sound file at all");
    WriteList("today.ads", {{"09:00", s1}, {"09:00", missing}, {"09:00", garbage}, {"09:00", s3}});
    breaks->SelectList("today.ads");
    StartMusic();
    breaks->TripCommercial();
    Run(10000);
    EXPECT_EQ(TonesHeard(0, PlayedMs(), tones), (std::vector<double>{1000, 400, 600, 3000}));
    EXPECT_TRUE(Gaps(NoGapMs, 0, PlayedMs()).empty());
    EXPECT_TRUE(Logged(missing));
    EXPECT_TRUE(Logged(garbage));
    EXPECT_EQ(console->CurrentItem(), b);
}

// The archive log names every spot that aired, once, as it names music; a
// spot skipped has its error line instead.
TEST_F(BreakOnAir, EachSpotThatAiredHasOneStartLine) {
    const std::string missing = (folder / "missing.wav").string();
    WriteList("today.ads", {{"09:00", s1}, {"09:00", missing}, {"09:00", s3}});
    breaks->SelectList("today.ads");
    StartMusic();
    breaks->TripCommercial();
    Run(10000);
    const auto starts = [&](const std::string& path) {
        const std::vector<std::string> lines = ArchiveLines();
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(path + " Start Playout Event") != std::string::npos;
        });
    };
    EXPECT_EQ(starts(s1), 1);
    EXPECT_EQ(starts(missing), 0);
    EXPECT_EQ(starts(s3), 1);
    EXPECT_EQ(starts((folder / "b.wav").string()), 1);
}

TEST_F(BreakOnAir, ABreakWithNothingPlayableEndsAtOnceAndResumes) {
    const std::string missing = (folder / "missing.wav").string();
    WriteList("today.ads", {{"09:00", missing}, {"09:00", missing}});
    breaks->SelectList("today.ads");
    StartMusic();
    breaks->TripCommercial();
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_EQ(console->CurrentItem(), b);
    Run(5000);
    // No silence longer than the output's queue (64 buffers of 4096 bytes).
    EXPECT_TRUE(Gaps(1486, 1000, 8000).empty());
    EXPECT_NEAR(Tone(6000, 7000, 3000), 0.5, 0.01);
    EXPECT_TRUE(Logged(missing));
}

TEST_F(BreakOnAir, NoBreakLeftInTheListLeavesTheMusicAlone) {
    WriteList("today.ads", {{"08:00", s1}, {"  :  ", s2}});
    breaks->SelectList("today.ads");
    EXPECT_EQ(breaks->NextBreakTime(), "");
    StartMusic();
    breaks->TripCommercial();
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_TRUE(captions.empty() || !captions.back());
    Run(5000);
    EXPECT_EQ(console->CurrentItem(), a);
    EXPECT_NEAR(Tone(6000, 7000, 1000), 0.5, 0.01);
    EXPECT_EQ(List().RecordCount(), 2) << "the list is shown as before";
}

TEST_F(BreakOnAir, AutomaticCrossFadeWaitsForTheEndOfTheBreak) {
    // Tripped in the item's last seconds, where the automatic cross-fade
    // would otherwise bring the next item in over the spots.
    settings.AutoCrossFade = true;
    WriteList("today.ads", {{"09:00", s1}, {"09:00", s2}, {"09:00", s3}});
    breaks->SelectList("today.ads");
    StartMusic();
    while (console->Remaining() > 6300)
        Run(30);
    ASSERT_EQ(console->CurrentItem(), a);
    breaks->TripCommercial();
    Run(10000);
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_EQ(TonesHeard(0, PlayedMs(), tones), (std::vector<double>{1000, 400, 500, 600, 3000}));
}

TEST_F(BreakOnAir, TrippedOffAirTheFirstSpotPlaysAlone) {
    WriteList("today.ads", {{"09:00", s1}, {"09:00", s2}});
    breaks->SelectList("today.ads");
    breaks->TripCommercial();
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_TRUE(console->DirectCommercialPlayout());
    EXPECT_TRUE(console->OutputPlaying());
    Run(6000);
    EXPECT_EQ(TonesHeard(0, 6000, tones), (std::vector<double>{400, 0}));
    EXPECT_EQ(console->CurrentItem(), 0);
    // Starting the schedule ends the direct playout.
    Cursor(a);
    console->StartItem();
    EXPECT_FALSE(console->DirectCommercialPlayout());
}

TEST_F(BreakOnAir, TheConsoleStopEndsABreak) {
    WriteList("today.ads", {{"09:00", s1}, {"09:00", s2}});
    breaks->SelectList("today.ads");
    StartMusic();
    breaks->TripCommercial();
    Run(500);
    console->StopBroadcast();
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_EQ(captions.back(), false);
    Run(5000);
    EXPECT_FALSE(console->OutputPlaying());
}

TEST_F(Breaks, NextBreakTimeFollowsTheClockAsPlainText) {
    const std::string list = WriteList(
        "x.ads", {{"12:30", "c.wav"}, {"08:00", "a.wav"}, {"  :  ", "dropped.wav"}, {"08:00", "b.wav"}});
    const struct {
        CivilDateTime at;
        const char* next;
        const char* cursorFile;
    } cases[] = {
        {{2001, 3, 8, 7, 59, 59, 0}, "08:00", "a.wav"},
        {{2001, 3, 8, 8, 0, 40, 0}, "08:00", "a.wav"}, // the current minute is still the next break
        {{2001, 3, 8, 8, 1, 0, 0}, "12:30", "c.wav"},
        {{2001, 3, 8, 12, 30, 59, 0}, "12:30", "c.wav"},
        {{2001, 3, 8, 12, 31, 0, 0}, "", ""},
    };
    for (const auto& c : cases) {
        VirtualStudio at(EncodeDateTime(c.at));
        breaks = MakeBreaks(at.clock());
        breaks->LoadCommercialList(list, ListRows::AllBreaks);
        EXPECT_EQ(breaks->NextBreakTime(), c.next) << c.at.hour << ":" << c.at.minute;
        EXPECT_EQ(shownBreakTime, c.next);
        EXPECT_EQ(List().RecordCount(), 4);
        EXPECT_EQ(List().Eof() ? "" : List().FieldByName("NetworkPathToFile").AsString(), c.cursorFile);

        breaks->LoadCommercialList(list, ListRows::NextBreakOnly);
        const int expectedRows = std::string(c.next) == "08:00" ? 2 : *c.next ? 1 : 0;
        EXPECT_EQ(List().RecordCount(), expectedRows) << c.next;
    }

    // Times are compared as text: "9:30" sorts after "10:00" and stays the
    // next break long after half past nine.
    const std::string unpadded = WriteList("y.ads", {{"9:30", "late.wav"}, {"10:00", "c.wav"}});
    for (const auto& [at, next] : {std::pair{CivilDateTime{2001, 3, 8, 9, 45}, "10:00"},
                                   std::pair{CivilDateTime{2001, 3, 8, 22, 0}, "9:30"}}) {
        VirtualStudio studio(EncodeDateTime(at));
        breaks = MakeBreaks(studio.clock());
        breaks->LoadCommercialList(unpadded, ListRows::AllBreaks);
        EXPECT_EQ(breaks->NextBreakTime(), next);
    }
    breaks.reset();
}

TEST_F(Breaks, TodaysListIsPickedFromTheFolderAndLoadedAtStartUp) {
    // Monday 5 January 2026: no list of the date, one of the day.
    WriteList("20260104.ads", {{"09:30", "a.wav"}});
    WriteList("Monday.ads", {{"10:00", "b.wav"}});
    WriteList("zz.ads", {{"11:00", "c.wav"}});
    WriteText(folder / "ads" / "notes.txt", "not a list");
    EXPECT_EQ(breaks->ListEntries(), (std::vector<std::string>{"20260104.ads", "Monday.ads", "zz.ads"}));
    breaks->SelectAndLoadTodaysList();
    EXPECT_EQ(breaks->CurrentList(), (folder / "ads" / "Monday.ads").string());
    EXPECT_EQ(breaks->NextBreakTime(), "10:00");

    // Without a list of the day the last entry is taken.
    std::filesystem::remove(folder / "ads" / "Monday.ads");
    EXPECT_TRUE(breaks->SelectTodaysCommercialList());
    EXPECT_EQ(breaks->CurrentList(), (folder / "ads" / "zz.ads").string());

    // Not picked automatically when the operator switched it off.
    settings.AutoGetCommercials = false;
    EXPECT_FALSE(breaks->SelectTodaysCommercialList());
}

TEST_F(Breaks, ViewNextCommercialOnlyReloadsTheCurrentList) {
    WriteList("today.ads", {{"09:00", "a.wav"}, {"09:00", "b.wav"}, {"10:00", "c.wav"}});
    breaks->SelectList("today.ads");
    EXPECT_EQ(List().RecordCount(), 3);
    breaks->ToggleNextOnly();
    EXPECT_TRUE(breaks->NextOnly());
    EXPECT_EQ(List().RecordCount(), 2);
    // A list deleted meanwhile is not reloaded.
    std::filesystem::remove(folder / "ads" / "today.ads");
    breaks->ToggleNextOnly();
    EXPECT_EQ(List().RecordCount(), 2);
}

TEST_F(Breaks, TrippingWithNoListAnywhereDoesNothing) {
    const int a = AddRow(Tone("a.wav", 5, 1000));
    Cursor(a);
    console->StartItem();
    breaks->TripCommercial();
    EXPECT_FALSE(console->CommercialBreak());
    EXPECT_FALSE(List().Active());
    EXPECT_EQ(std::count(captions.begin(), captions.end(), true), 0);
    Run(2000);
    EXPECT_NEAR(Tone(1000, 2000, 1000), 0.5, 0.01);
}

} // namespace
} // namespace corvane::testing
