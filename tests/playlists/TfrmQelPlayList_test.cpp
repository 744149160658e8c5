#include "PlayListFixture.h"
#include "Screenshot.h"
#include "playlists/RecentPlayLists.h"
#include "playlists/ui/TfrmQelPlayList.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <cstdlib>
#include <memory>

namespace corvane {
namespace {

// One application for every test, gone before the program's statics are.
class ApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "playlists_ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// Answers the next input box that comes up with `text` (as the operator
// typing it and pressing OK).
void AnswerInputBox(const QString& text) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, text] {
        if (auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            box->setTextValue(text);
            box->accept();
            poll->deleteLater();
        }
    });
    poll->start(5);
}

class PlayListWindowTest : public test::PlayListFixture {
protected:
    PlayListWindowTest() {
        ids = AddTitles(4);
        tools.PreviewAudio = [this](const std::string& path, PreviewMode mode) {
            previewed.push_back(path);
            EXPECT_EQ(mode, PreviewMode::Play);
            return 0.0;
        };
    }
    std::unique_ptr<TfrmQelPlayList> Open(GenerateOnOpen generate = GenerateOnOpen::No) {
        return std::make_unique<TfrmQelPlayList>(
            data, seams.seams(), tools, [this](const std::string& topic) { helpTopics.push_back(topic); },
            generate);
    }
    static void SelectRows(QTableView& grid, std::initializer_list<int> rows) {
        grid.clearSelection();
        for (int row : rows) {
            grid.selectionModel()->select(grid.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
            grid.selectionModel()->setCurrentIndex(grid.model()->index(row, 0),
                                                   QItemSelectionModel::NoUpdate);
        }
    }
    static QStringList Shown(QTableView& grid) {
        QStringList texts;
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            texts << grid.model()->index(row, 0).data().toString();
        return texts;
    }
    static QStringList Items(QMenu& menu) {
        QStringList items;
        for (QAction* action : menu.actions())
            items << (action->isSeparator() ? "-" : action->text() + (action->isEnabled() ? "" : " (off)"));
        return items;
    }

    ConsoleTools tools;
    std::vector<int64_t> ids;
    std::vector<std::string> previewed;
    std::vector<std::string> helpTopics;
};

TEST_F(PlayListWindowTest, ShowsTheLibraryByTitleAndBuildsThePlayListFromIt) {
    AddTitle("a first title");
    auto window = Open();
    EXPECT_EQ(window->windowTitle(), "Playlist Manager");
    EXPECT_EQ(window->LibraryGrid().model()->headerData(0, Qt::Horizontal).toString(), "Audio Library");
    EXPECT_EQ(window->PlayListGrid().model()->headerData(0, Qt::Horizontal).toString(), "Play List");
    EXPECT_EQ(Shown(window->LibraryGrid()),
              (QStringList{"a first title", "title 1", "title 2", "title 3", "title 4"}));
    EXPECT_EQ(window->SearchBox().count(), 5);

    SelectRows(window->LibraryGrid(), {1, 3});
    window->Command("actAddSongs")->trigger();
    EXPECT_EQ(Shown(window->PlayListGrid()), (QStringList{"title 1", "title 3"}));
    EXPECT_TRUE(window->LibraryGrid().selectionModel()->selectedRows().isEmpty());
    EXPECT_TRUE(window->Manager().PlayListModified());

    // Library rows dropped on the play list are added like "&Add Song(s)".
    SelectRows(window->LibraryGrid(), {4});
    QMimeData mime;
    mime.setData(TfrmQelPlayList::TitleRowsMimeType, {});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->PlayListGrid().viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->PlayListGrid().viewport(), &drop);
    EXPECT_EQ(Shown(window->PlayListGrid()), (QStringList{"title 1", "title 3", "title 4"}));

    SelectRows(window->PlayListGrid(), {1});
    window->Command("actRemoveSong")->trigger();
    EXPECT_EQ(Shown(window->PlayListGrid()), (QStringList{"title 1", "title 4"}));

    window->Command("actGeneratePlayList")->trigger();
    EXPECT_EQ(window->PlayListGrid().model()->rowCount(), 12);

    // Choosing a title in "&Search" shows it in the library.
    window->SearchBox().activated(2);
    EXPECT_EQ(window->LibraryGrid().currentIndex().row(), 2);
    test::SaveScreenshot(*window, "playlist-manager");
}

TEST_F(PlayListWindowTest, PlaySelectedSongPreviewsTheRowsFileAndHelpOpensItsTopic) {
    auto window = Open();
    SelectRows(window->LibraryGrid(), {2});
    window->Command("actPlayLibrarySong")->trigger();
    EXPECT_EQ(previewed, (std::vector<std::string>{Path("title 3.wav")}));
    window->Command("actAddSongs")->trigger();
    SelectRows(window->PlayListGrid(), {0});
    window->Command("actPlayPlayListSong")->trigger();
    EXPECT_EQ(previewed.back(), Path("title 3.wav"));
    window->Command("actHelp")->trigger();
    EXPECT_EQ(helpTopics, (std::vector<std::string>{"PlayListManager"}));

    // Without a previewer the command is not offered.
    tools.PreviewAudio = nullptr;
    EXPECT_FALSE(Open()->Command("actPlayLibrarySong")->isEnabled());
}

TEST_F(PlayListWindowTest, TheRecentMenuFollowsSavesAndClears) {
    auto window = Open();
    EXPECT_EQ(Items(window->RecentMenu()), (QStringList{"<< Empty >>"
                                                        " (off)"}));
    window->Command("actAddSongs")->trigger();
    seams.fileDialogs.Choose({Path("rock & roll.ply")});
    window->Command("actSave")->trigger();
    EXPECT_EQ(Items(window->RecentMenu()),
              (QStringList{QString::fromStdString(Path("rock && roll.ply")), "-", "&Clear Recent List"}));

    // A recent entry opens that play list and names the window after it.
    window->Command("actNew")->trigger();
    window->RecentMenu().actions().front()->trigger();
    EXPECT_EQ(window->windowTitle(), QString::fromStdString("Playlist: " + Path("rock & roll.ply")));
    EXPECT_EQ(window->PlayListGrid().model()->rowCount(), 1);

    window->RecentMenu().findChild<QAction*>("mnuClearRecent")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(Items(window->RecentMenu()), (QStringList{"<< Empty >>"
                                                        " (off)"}));
}

TEST_F(PlayListWindowTest, ClosingWithUnsavedChangesCanBeCancelled) {
    auto window = Open();
    window->show();
    window->Command("actAddSongs")->trigger();
    seams.prompter.Answer(MessageAnswer::Cancel);
    window->Command("actClose")->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Save current playlist?"}));
    seams.prompter.Answer(MessageAnswer::No);
    window->Command("actClose")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(PlayListWindowTest, OpenedToGenerateItAsksHowManyTitlesOnceShown) {
    auto window = Open(GenerateOnOpen::Yes);
    AnswerInputBox(" 6 ");
    window->show();
    for (int i = 0; i < 200 && window->PlayListGrid().model()->rowCount() == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(window->PlayListGrid().model()->rowCount(), 6);
    EXPECT_FALSE(window->Manager().PlayListModified());
}

} // namespace
} // namespace corvane
