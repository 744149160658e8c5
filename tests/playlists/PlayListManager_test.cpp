#include "PlayListFixture.h"
#include "playlists/PlayListManager.h"
#include "playlists/RecentPlayLists.h"

namespace corvane {
namespace {

class PlayListManagerTest : public test::PlayListFixture {
protected:
    PlayListManagerTest() {
        host.RefreshRecentPlayLists = [this] { ++recentRefreshes; };
        host.ClearLibrarySelection = [this] { ++selectionsCleared; };
        host.AskNumberOfSongs = [this](const std::string& caption, const std::string& initial) {
            asked.push_back(caption + "|" + initial);
            return answer;
        };
        manager = std::make_unique<PlayListManager>(data, seams.seams(), host);
        ids = AddTitles(3);
        manager->Prepare();
    }
    void SelectTitle(int64_t id) { ASSERT_TRUE(data.cdsAudioLibrary.Locate("TitleID", Value(id))); }

    PlayListManagerHost host;
    std::unique_ptr<PlayListManager> manager;
    std::vector<int64_t> ids;
    int recentRefreshes = 0;
    int selectionsCleared = 0;
    std::vector<std::string> asked;
    std::optional<std::string> answer;
};

TEST_F(PlayListManagerTest, OpeningOrdersTheLibraryByTitleNameAndStartsAnEmptyList) {
    EXPECT_EQ(data.cdsAudioLibrary.IndexName(), "idxTitleName");
    EXPECT_EQ(data.cdsPlayList.RecordCount(), 0);
    EXPECT_FALSE(manager->PlayListModified());
    EXPECT_EQ(manager->Caption(), "Playlist Manager");
}

TEST_F(PlayListManagerTest, GeneratedTitlesCloseWithoutAQuestionAnAddedSongAsks) {
    manager->GeneratePlayList(10);
    EXPECT_EQ(data.cdsPlayList.RecordCount(), 10);
    EXPECT_FALSE(manager->PlayListModified());
    EXPECT_TRUE(manager->ClosePlayList());
    EXPECT_TRUE(seams.prompter.Messages().empty());
    EXPECT_FALSE(data.cdsPlayList.Active());

    manager->New();
    SelectTitle(ids[1]);
    EXPECT_TRUE(manager->AddSong());
    EXPECT_TRUE(manager->PlayListModified());
    EXPECT_EQ(TitleNames(data.cdsPlayList), (std::vector<std::string>{"title 2"}));
    seams.prompter.Answer(MessageAnswer::Cancel);
    EXPECT_FALSE(manager->ClosePlayList());
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Save current playlist?"}));
    EXPECT_EQ(seams.prompter.Messages().back().buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(data.cdsPlayList.Active());

    seams.prompter.Answer(MessageAnswer::No);
    EXPECT_TRUE(manager->ClosePlayList());
}

TEST_F(PlayListManagerTest, YesWithoutASavedFileKeepsThePlayList) {
    SelectTitle(ids[0]);
    manager->AddSong();
    seams.prompter.Answer(MessageAnswer::Yes); // then the save dialog is cancelled
    EXPECT_FALSE(manager->ClosePlayList());
    EXPECT_TRUE(manager->PlayListModified());
    EXPECT_EQ(data.cdsPlayList.RecordCount(), 1);

    seams.prompter.Answer(MessageAnswer::Yes);
    seams.fileDialogs.Choose({Path("kept.ply")});
    EXPECT_TRUE(manager->ClosePlayList());
    data.cdsPlayList.LoadFromFile(Path("kept.ply"));
    EXPECT_EQ(TitleIds(data.cdsPlayList), (std::vector<int64_t>{ids[0]}));
}

TEST_F(PlayListManagerTest, SavingRecordsTheFileInTheRecentListAndClearsTheFlag) {
    SelectTitle(ids[2]);
    manager->AddSong();
    seams.fileDialogs.Choose({Path("morning.ply")});
    EXPECT_TRUE(manager->Save());
    const FileDialogRequest& request = seams.fileDialogs.Requests().back();
    EXPECT_EQ(request.filter, "Vantor Corvane Playlist [*.ply]|*.ply|All Files [*.*]|*.*");
    EXPECT_EQ(request.defaultExtension, "*.ply");
    EXPECT_FALSE(manager->PlayListModified());
    EXPECT_EQ(recentRefreshes, 1);
    EXPECT_EQ(manager->RecentEntries(), (std::vector<std::string>{Path("morning.ply")}));
    // Saving does not name the window after the file.
    EXPECT_EQ(manager->Caption(), "Playlist Manager");

    manager->RemoveSong();
    EXPECT_TRUE(manager->PlayListModified());
    seams.fileDialogs.Choose({Path("no such folder/x.ply")});
    EXPECT_FALSE(manager->Save());
    EXPECT_EQ(MessageTexts().back(), "Unable to save selected play list.");
    EXPECT_TRUE(manager->PlayListModified());
}

TEST_F(PlayListManagerTest, OpeningAFileNamesTheWindowAndAnUnreadableOneStartsAfresh) {
    WritePlayList(Path("two.ply"), {ids[2], ids[0]});
    seams.fileDialogs.Choose({Path("two.ply")});
    EXPECT_TRUE(manager->Open());
    EXPECT_EQ(manager->Caption(), "Playlist: " + Path("two.ply"));
    EXPECT_EQ(TitleNames(data.cdsPlayList), (std::vector<std::string>{"title 3", "title 1"}));

    std::ofstream(Path("bad.ply"), std::ios::binary) << "garbage";
    seams.fileDialogs.Choose({Path("bad.ply")});
    EXPECT_FALSE(manager->Open());
    EXPECT_EQ(MessageTexts().back(),
              "Unable to open selected play list, please ensure that a valid play list file is selected\r\n"
              "Table file \"" +
                  Path("bad.ply") + "\": is not a table file");
    EXPECT_EQ(data.cdsPlayList.RecordCount(), 0);
    EXPECT_EQ(manager->Caption(), "Playlist Manager");
}

TEST_F(PlayListManagerTest, ARecentEntryWaitsForUnsavedChangesAndMustExist) {
    WritePlayList(Path("recent.ply"), {ids[1]});
    SelectTitle(ids[0]);
    manager->AddSong();
    EXPECT_FALSE(manager->OpenRecent(Path("recent.ply")));
    EXPECT_EQ(MessageTexts().back(),
              "There are unsaved changes in the current play list, please save or cancel before proceeding");
    EXPECT_EQ(TitleIds(data.cdsPlayList), (std::vector<int64_t>{ids[0]}));

    manager->New();
    EXPECT_FALSE(manager->OpenRecent(Path("gone.ply")));
    EXPECT_EQ(MessageTexts().back(), "Unable to locate file:\r\n" + Path("gone.ply"));
    EXPECT_TRUE(manager->OpenRecent(Path("recent.ply")));
    EXPECT_EQ(TitleIds(data.cdsPlayList), (std::vector<int64_t>{ids[1]}));
    EXPECT_FALSE(manager->PlayListModified());
}

TEST_F(PlayListManagerTest, ATitleWhoseFileIsGoneIsNotAdded) {
    const int64_t gone = AddTitle("gone", FileThere::No);
    SelectTitle(gone);
    EXPECT_FALSE(manager->AddSong());
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"File not found:\r\n" + Path("gone.wav")}));
    EXPECT_EQ(data.cdsPlayList.RecordCount(), 0);
    EXPECT_FALSE(manager->PlayListModified());

    // Among several selected rows it is reported and the others are added.
    std::vector<Bookmark> rows;
    for (int64_t id : {ids[0], gone, ids[2]}) {
        SelectTitle(id);
        rows.push_back(data.cdsAudioLibrary.GetBookmark());
    }
    manager->AddSongs(rows);
    EXPECT_EQ(TitleIds(data.cdsPlayList), (std::vector<int64_t>{ids[0], ids[2]}));
    EXPECT_EQ(seams.prompter.Messages().size(), 2u);
    EXPECT_EQ(selectionsCleared, 1);
}

TEST_F(PlayListManagerTest, AutoGenerateAsksHowManyTitles) {
    const std::vector<std::pair<std::optional<std::string>, int>> cases = {
        {" 7 ", 7}, {"some", 10}, {"0", 0}, {"-2", 0}, {std::nullopt, 0}};
    for (const auto& [given, rows] : cases) {
        manager->New();
        answer = given;
        manager->AutoGenerate();
        EXPECT_EQ(data.cdsPlayList.RecordCount(), rows) << given.value_or("cancelled");
    }
    EXPECT_EQ(asked.front(), "Select Number of Songs|10");
}

TEST_F(PlayListManagerTest, ClearingTheRecentListAsksFirst) {
    RecentPlayLists(data.PlayListHistory).Remember("/lists/a.ply", 46000.0);
    seams.prompter.Answer(MessageAnswer::No);
    manager->ClearRecentList();
    EXPECT_EQ(manager->RecentEntries().size(), 1u);
    EXPECT_EQ(MessageTexts().back(), "Are you sure you want to clear list of recently used files?");
    manager->ClearRecentList();
    EXPECT_TRUE(manager->RecentEntries().empty());
    EXPECT_EQ(recentRefreshes, 1);
}

} // namespace
} // namespace corvane
