#include "PlayListFixture.h"
#include "playlists/PlayListIntoSchedule.h"

#include <filesystem>

namespace corvane {
namespace {

class PlayListIntoScheduleTest : public test::PlayListFixture {
protected:
    PlayListIntoScheduleTest() {
        host.PlayListDefaultDirectory = [this] { return defaultFolder; };
        host.SetPlayListDefaultDirectory = [this](const std::string& folder) { defaultFolder = folder; };
        host.ShowTotalDuration = [this](int seconds) { shownTotal = seconds; };
    }
    PlayListLoad Load(std::optional<std::string> path) {
        return LoadPlayListIntoSchedule(data, seams.seams(), host, std::move(path));
    }
    // A schedule with one row of its own, as the operator left it.
    void ScheduleOneRow(const std::string& name) {
        Table& s = data.cdsSchedule;
        s.Append();
        s.FieldByName("TitleName").SetAsString(name);
        s.Post();
    }

    PlayListLoadHost host;
    std::string defaultFolder;
    int shownTotal = -1;
};

TEST_F(PlayListIntoScheduleTest, TitlesGoneFromTheLibraryOrWhoseFileIsGoneAreSkipped) {
    const int64_t a = AddTitle("a", FileThere::Yes, 60 / SecondsPerDay);
    const int64_t b = AddTitle("b", FileThere::Yes, 90 / SecondsPerDay);
    const int64_t c = AddTitle("c");
    const int64_t d = AddTitle("d", FileThere::No);
    const int64_t e = AddTitle("e", FileThere::Yes, 30 / SecondsPerDay);
    const std::string list = Path("lists/evening.ply");
    std::filesystem::create_directories(Path("lists"));
    WritePlayList(list, {a, b, c, d, e, a});
    ASSERT_TRUE(data.cdsAudioLibrary.Locate("TitleID", Value(c)));
    data.cdsAudioLibrary.Delete();
    data.cdsAudioLibrary.Locate("TitleID", Value(b));
    const Bookmark libraryRow = data.cdsAudioLibrary.GetBookmark();

    EXPECT_EQ(Load(list), PlayListLoad::Loaded);

    EXPECT_EQ(data.cdsSchedule.RecNo(), 1);
    EXPECT_EQ(TitleNames(data.cdsSchedule), (std::vector<std::string>{"a", "b", "e", "a"}));
    EXPECT_EQ(shownTotal, 60 + 90 + 30 + 60);
    EXPECT_EQ(data.ScheduleTotalMs, 240000);
    EXPECT_EQ(data.cdsAudioLibrary.GetBookmark(), libraryRow);
    EXPECT_EQ(defaultFolder, Path("lists"));
    EXPECT_TRUE(seams.prompter.Messages().empty());
}

TEST_F(PlayListIntoScheduleTest, AnUnsavedScheduleIsReplacedOnlyWhenTheOperatorAgrees) {
    const int64_t a = AddTitle("a");
    WritePlayList(Path("a.ply"), {a});
    ScheduleOneRow("mine");

    seams.prompter.Answer(MessageAnswer::No);
    EXPECT_EQ(Load(Path("a.ply")), PlayListLoad::Cancelled);
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"The current schedule is not saved, proceed anyway?"}));
    EXPECT_EQ(TitleNames(data.cdsSchedule), (std::vector<std::string>{"mine"}));

    seams.prompter.Answer(MessageAnswer::Yes);
    EXPECT_EQ(Load(Path("a.ply")), PlayListLoad::Loaded);
    EXPECT_EQ(TitleNames(data.cdsSchedule), (std::vector<std::string>{"a"}));
}

TEST_F(PlayListIntoScheduleTest, AnUntouchedScheduleIsReplacedWithoutAQuestion) {
    const int64_t a = AddTitle("a");
    WritePlayList(Path("a.ply"), {a, a});
    EXPECT_EQ(Load(Path("a.ply")), PlayListLoad::Loaded);
    EXPECT_TRUE(seams.prompter.Messages().empty());
    EXPECT_EQ(data.cdsSchedule.RecordCount(), 2);
}

TEST_F(PlayListIntoScheduleTest, TheDialogStartsInThePlayListFolderAndCancellingKeepsTheSchedule) {
    ScheduleOneRow("mine");
    defaultFolder = Path("");
    seams.prompter.Answer(MessageAnswer::Yes);
    EXPECT_EQ(Load(std::nullopt), PlayListLoad::Cancelled);
    ASSERT_EQ(seams.fileDialogs.Requests().size(), 1u);
    const FileDialogRequest& request = seams.fileDialogs.Requests().front();
    EXPECT_EQ(request.filter, "Corvane Playlist [*.ply]|*.ply|All Files [*.*]|*.*");
    EXPECT_EQ(request.initialFolder, defaultFolder);
    EXPECT_EQ(TitleNames(data.cdsSchedule), (std::vector<std::string>{"mine"}));

    // A folder that is gone is not offered.
    defaultFolder = Path("gone");
    Load(std::nullopt);
    EXPECT_EQ(seams.fileDialogs.Requests().back().initialFolder, "");
}

TEST_F(PlayListIntoScheduleTest, AnUnreadableFileIsReportedAndKeepsTheSchedule) {
    std::ofstream(Path("broken.ply"), std::ios::binary) << "not a table";
    ScheduleOneRow("mine");
    seams.prompter.Answer(MessageAnswer::Yes);
    seams.fileDialogs.Choose({Path("broken.ply")});
    EXPECT_EQ(Load(std::nullopt), PlayListLoad::Unreadable);
    EXPECT_EQ(MessageTexts().back(), std::string(UnreadablePlayListMessage) + "\r\nTable file \"" +
                                         Path("broken.ply") + "\": is not a table file");
    EXPECT_EQ(TitleNames(data.cdsSchedule), (std::vector<std::string>{"mine"}));
}

} // namespace
} // namespace corvane
