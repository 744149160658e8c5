#include "LibraryFixture.h"
#include "library/AudioVerification.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace corvane {
namespace {

class Verification : public ::testing::Test, protected testing::LibraryFixture {
protected:
    AudioVerification::View View() {
        return {[this](const std::string& line) { lines.push_back(line); },
                [this](const std::string& caption) { captions.push_back(caption); }, [this] { ++finished; }};
    }
    void RunToEnd(AudioVerification& report) {
        report.RunVerificationReport(data.cdsAudioLibrary);
        report.WaitForChecks();
        s.studio.RunPending();
    }

    std::vector<std::string> lines;
    std::vector<std::string> captions;
    int finished = 0;
};

TEST_F(Verification, ReportsMissingAndProblemFilesAndChangesNoTitle) {
    AddTitle(Wave("good.wav"));
    AddTitle(folder.File("gone.wav"));
    const std::string empty = Wave("empty.wav", 0);
    AddTitle(empty);
    Put("junk.mp3", "not audio");
    AddTitle(folder.File("junk.mp3"));
    data.cdsAudioLibrary.First();
    data.cdsAudioLibrary.Next();
    const Bookmark current = data.cdsAudioLibrary.GetBookmark();
    AudioVerification report(s.studio, View());
    RunToEnd(report);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"Checking 4 files...", "Missing File: " + folder.File("gone.wav"),
                                        "Problem File: " + empty, "Problem File: " + folder.File("junk.mp3"),
                                        "Check Complete."}));
    EXPECT_EQ(captions.front(), "Audio File Verification Report : 0/4");
    EXPECT_EQ(captions.back(), "Audio File Verification Report : 4/4");
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(data.cdsAudioLibrary.GetBookmark(), current);
    EXPECT_FALSE(data.cdsAudioLibrary.ChangesPending() && data.cdsAudioLibrary.State() != TableState::Browse);
}

TEST_F(Verification, AnEmptyLibraryCompletesAtOnce) {
    AudioVerification report(s.studio, View());
    RunToEnd(report);
    EXPECT_EQ(lines, (std::vector<std::string>{"Checking 0 files...", "Check Complete."}));
    EXPECT_EQ(captions.back(), "Audio File Verification Report : 0/0");
}

TEST_F(Verification, CancelStopsBetweenFilesAndSaysSo) {
    // Each check scans a twelve-minute MP3 for its exact length, so the cancel
    // lands while most files are still to do however busy the machine is
    // (200 missing files could all be checked before it).
    std::ifstream in(test::Fixture("tone-cbr.mp3"), std::ios::binary);
    const std::string frames((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string longTone;
    for (int i = 0; i < 1000; ++i)
        longTone += frames;
    const std::string path = Put("long.mp3", longTone);
    for (int i = 0; i < 200; ++i)
        AddTitle(path);
    AudioVerification report(s.studio, View());
    report.RunVerificationReport(data.cdsAudioLibrary);
    report.Cancel();
    report.WaitForChecks();
    s.studio.RunPending();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Check Cancelled.");
    EXPECT_LT(lines.size(), 202u);
    EXPECT_FALSE(report.Running());
}

} // namespace
} // namespace corvane
