#include "LibraryFixture.h"
#include "library/AutoScan.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

class AutoScanTest : public ::testing::Test, protected testing::LibraryFixture {
protected:
    AutoScan::View View() {
        return {[this](const std::string& p) { listed.push_back(p); },
                [this](int, int files) { progress.push_back(files); },
                [this](ScanOutcome o) { outcome = o; }};
    }
    // Runs a scan to its end: the walk on its worker, then the main thread's portions.
    void RunScan(AutoScan& scan, const std::string& folder) {
        scan.ImportAllAudio(folder);
        scan.WaitForWalk();
        s.studio.Run(10);
    }

    std::vector<std::string> listed;
    std::vector<int> progress;
    std::optional<ScanOutcome> outcome;
};

TEST_F(AutoScanTest, RecordsNewFilesListsEveryFoundFileAndWritesTheScanList) {
    const std::string known = Wave("music/known.wav");
    AddTitle(known);
    Put("music/a.mp3", "x");
    Put("music/c.txt", "x");
    Put("music/sub/d.Mp3", "x");
    AutoScan scan(data, facts, s.studio, View());
    RunScan(scan, folder.File("music"));
    ASSERT_EQ(outcome, ScanOutcome::Complete);
    EXPECT_FALSE(scan.Running());
    EXPECT_EQ(listed.size(), 3u);
    const auto paths = ScanPaths();
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()),
              (std::set<std::string>{folder.File("music/a.mp3"), folder.File("music/sub/d.Mp3")}));
    Table reread("check", data.cdsFileScan.FieldDefinitions());
    reread.SetFileName(folder.File(TdmQelData::FileScanFile));
    reread.Open();
    EXPECT_EQ(reread.RecordCount(), 2);

    // The same folder again adds nothing.
    outcome.reset();
    RunScan(scan, folder.File("music"));
    EXPECT_EQ(outcome, ScanOutcome::Complete);
    EXPECT_EQ(ScanPaths().size(), 2u);
}

TEST_F(AutoScanTest, RecordingManyPathsAtOnceIgnoresCaseAsRecordingOneDoes) {
    AddTitle("/Music/Known.mp3");
    facts.AddPathToScanList("/music/waiting.WAV");
    EXPECT_EQ(
        facts.AddPathsToScanList({"/MUSIC/known.mp3", "/Music/Waiting.wav", "/music/new.mp3",
                                  "/MUSIC/NEW.MP3", "/music/caf\xC3\xA9.mp3", "/music/CAF\xC3\x89.mp3"}),
        3); // only ASCII letters fold, as the tables compare
    EXPECT_EQ(ScanPaths(), (std::vector<std::string>{"/music/waiting.WAV", "/music/new.mp3",
                                                     "/music/caf\xC3\xA9.mp3", "/music/CAF\xC3\x89.mp3"}));
}

TEST_F(AutoScanTest, ManyFilesAreRecordedInPortionsBetweenOtherMainThreadWork) {
    const int files = AutoScan::PortionSize * 2 + 5;
    for (int i = 0; i < files; ++i)
        Put("many/f" + std::to_string(i) + ".wav", "");
    AutoScan scan(data, facts, s.studio, View());
    scan.ImportAllAudio(folder.File("many"));
    scan.WaitForWalk();
    s.studio.RunPending();
    EXPECT_EQ(progress, (std::vector<int>{AutoScan::PortionSize, AutoScan::PortionSize * 2, files}));
    EXPECT_EQ(static_cast<int>(ScanPaths().size()), files);
    EXPECT_EQ(outcome, ScanOutcome::Complete);
}

TEST_F(AutoScanTest, CancelDuringRecordingKeepsWhatWasRecordedAndWritesIt) {
    for (int i = 0; i < AutoScan::PortionSize + 10; ++i)
        Put("many/f" + std::to_string(i) + ".wav", "");
    AutoScan::View view = View();
    AutoScan* running = nullptr;
    view.ShowProgress = [&](int, int) { running->Cancel(); }; // after the first portion
    AutoScan scan(data, facts, s.studio, view);
    running = &scan;
    scan.ImportAllAudio(folder.File("many"));
    scan.WaitForWalk();
    s.studio.RunPending();
    EXPECT_EQ(outcome, ScanOutcome::Cancelled);
    EXPECT_FALSE(scan.Running());
    EXPECT_EQ(static_cast<int>(ScanPaths().size()), AutoScan::PortionSize);
    Table reread("check", data.cdsFileScan.FieldDefinitions());
    reread.SetFileName(folder.File(TdmQelData::FileScanFile));
    reread.Open();
    EXPECT_EQ(reread.RecordCount(), AutoScan::PortionSize);
}

TEST_F(AutoScanTest, DestroyedWhileWalkingLeavesNothingBehind) {
    for (int i = 0; i < 50; ++i)
        Put("d" + std::to_string(i % 5) + "/f" + std::to_string(i) + ".mp3", "");
    {
        AutoScan scan(data, facts, s.studio, View());
        scan.ImportAllAudio(folder.Path());
    }
    s.studio.RunPending();
    EXPECT_FALSE(outcome.has_value());
    EXPECT_TRUE(ScanPaths().empty());
}

} // namespace
} // namespace corvane
