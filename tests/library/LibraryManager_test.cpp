#include "LibraryFixture.h"
#include "library/LibraryManager.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

class LibraryManagerTest : public ::testing::Test, protected testing::LibraryFixture {
protected:
    LibraryManager Manager() {
        return LibraryManager(data, facts, s.seams(),
                              {[this](const std::string& p) { previewed.push_back(p); },
                               [this] { return onAir; }, [this] { ++pumped; },
                               [this](const std::string& p) { imported.push_back(p); }});
    }
    std::vector<Bookmark> ScanRows(std::initializer_list<int> positions) {
        std::vector<Bookmark> rows;
        for (const int p : positions) {
            data.cdsFileScan.First();
            data.cdsFileScan.MoveBy(p);
            rows.push_back(data.cdsFileScan.GetBookmark());
        }
        return rows;
    }

    std::vector<std::string> previewed;
    bool onAir = false;
    int pumped = 0;
    // The files that became titles (and so are measured).
    std::vector<std::string> imported;
};

TEST_F(LibraryManagerTest, OpeningListsTheLibraryByTitleIgnoringCase) {
    for (const char* name : {"b.wav", "C.wav", "a.wav"})
        facts.AddFileToLibrary(Wave(name));
    LibraryManager manager = Manager();
    EXPECT_FALSE(manager.Open());
    std::vector<std::string> titles;
    for (data.cdsAudioLibrary.First(); !data.cdsAudioLibrary.Eof(); data.cdsAudioLibrary.Next())
        titles.push_back(data.cdsAudioLibrary.FieldByName("TitleName").AsString());
    EXPECT_EQ(titles, (std::vector<std::string>{"a.wav", "b.wav", "C.wav"}));
    facts.AddPathToScanList("/x.mp3");
    EXPECT_TRUE(manager.Open()); // a second opening does not add the index again
    EXPECT_EQ(data.cdsAudioLibrary.Indexes().size(), 1u);
}

TEST_F(LibraryManagerTest, ImportsTheCurrentEntryOrEachSelectedOneAndDropsThemFromTheScanList) {
    for (const char* name : {"one.wav", "two.wav", "three.wav", "four.wav"})
        facts.AddPathToScanList(Wave(name));
    LibraryManager manager = Manager();
    manager.Open();
    data.cdsFileScan.First();
    manager.ImportScanEntries(ScanRows({0})); // one selected: the current row
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 1);
    EXPECT_EQ(pumped, 0);
    manager.ImportScanEntries(ScanRows({0, 2}));
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 3);
    EXPECT_EQ(pumped, 2);
    EXPECT_EQ(ScanPaths(), (std::vector<std::string>{folder.File("three.wav")}));
    EXPECT_EQ(imported, (std::vector<std::string>{folder.File("one.wav"), folder.File("two.wav"),
                                                  folder.File("four.wav")}));
}

TEST_F(LibraryManagerTest, TheDuplicateQuestionDecidesWhetherTheEntryLeavesTheScanList) {
    const std::string path = Wave("dup.wav");
    facts.AddFileToLibrary(path);
    facts.AddPathToScanList(path + "-other");
    data.cdsFileScan.Append();
    data.cdsFileScan.FieldByName("PathToFile").SetAsString(folder.File("DUP.wav"));
    data.cdsFileScan.Post();
    LibraryManager manager = Manager();
    manager.Open();
    data.cdsFileScan.Locate("PathToFile", Value{folder.File("DUP.wav")});
    s.prompter.Answer(MessageAnswer::No);
    manager.ImportScanEntries({});
    EXPECT_EQ(ScanPaths().size(), 2u);
    data.cdsFileScan.Locate("PathToFile", Value{folder.File("DUP.wav")});
    s.prompter.Answer(MessageAnswer::Yes);
    manager.ImportScanEntries({});
    EXPECT_EQ(ScanPaths(), (std::vector<std::string>{path + "-other"}));
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 1);
    EXPECT_TRUE(imported.empty()) << "a duplicate adds no title to measure";
}

TEST_F(LibraryManagerTest, RemovingScanEntriesDoesNotAskRemovingTitlesDoes) {
    for (const char* name : {"/a.mp3", "/b.mp3", "/c.mp3"})
        facts.AddPathToScanList(name);
    LibraryManager manager = Manager();
    manager.Open();
    manager.RemoveScanEntries(ScanRows({0, 2}));
    EXPECT_EQ(ScanPaths(), (std::vector<std::string>{"/b.mp3"}));
    EXPECT_TRUE(s.prompter.Messages().empty());

    const std::string file = Wave("keep.wav");
    facts.AddFileToLibrary(file);
    s.prompter.Answer(MessageAnswer::Cancel);
    manager.RemoveTitles({});
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 1);
    manager.RemoveTitles({}); // the scripted prompter answers OK
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 0);
    ASSERT_EQ(s.prompter.Messages().size(), 2u);
    EXPECT_EQ(s.prompter.Messages()[0].text, LibraryManager::RemoveTitlesQuestion);
    EXPECT_EQ(s.prompter.Messages()[0].buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(std::filesystem::exists(file)); // only the row goes
    EXPECT_ANY_THROW(manager.RemoveTitles({})); // nothing left to delete
}

TEST_F(LibraryManagerTest, UploadAddsOneFileAndLeavesTheScanListAlone) {
    const std::string path = Wave("picked.wav");
    facts.AddPathToScanList(path);
    LibraryManager manager = Manager();
    manager.Open();
    s.fileDialogs.Choose({path});
    manager.UploadAudioFile();
    manager.UploadAudioFile(); // cancelled
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 1);
    EXPECT_EQ(ScanPaths(), (std::vector<std::string>{path}));
    EXPECT_EQ(imported, (std::vector<std::string>{path}));
    ASSERT_EQ(s.fileDialogs.Requests().size(), 2u);
    EXPECT_EQ(s.fileDialogs.Requests()[0].defaultExtension, "mp3");
    EXPECT_EQ(s.fileDialogs.Requests()[0].filter, LibraryManager::UploadDialog().filter);
}

TEST_F(LibraryManagerTest, LibraryPreviewsFromTheMenuWaitWhileOnAirDoubleClicksDoNot) {
    const std::string path = Wave("t.wav");
    facts.AddFileToLibrary(path);
    facts.AddPathToScanList("/scan.mp3");
    LibraryManager manager = Manager();
    manager.Open();
    onAir = true;
    manager.PlayTitle(LibraryManager::PlayFrom::Menu);
    manager.PlayTitle(LibraryManager::PlayFrom::DoubleClick);
    manager.PlayScanEntry();
    onAir = false;
    manager.PlayTitle(LibraryManager::PlayFrom::Menu);
    EXPECT_EQ(previewed, (std::vector<std::string>{path, "/scan.mp3", path}));
}

TEST_F(LibraryManagerTest, ClosingPostsATitleBeingEdited) {
    facts.AddFileToLibrary(Wave("t.wav"));
    LibraryManager manager = Manager();
    manager.Open();
    data.cdsAudioLibrary.Edit();
    data.cdsAudioLibrary.FieldByName("Notes").SetAsString("kept");
    manager.Close();
    EXPECT_EQ(data.cdsAudioLibrary.State(), TableState::Browse);
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("Notes").AsString(), "kept");
}

} // namespace
} // namespace corvane
