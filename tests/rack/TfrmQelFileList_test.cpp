#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "rack/ui/TfrmQelFileList.h"
#include "studio/StudioSeams.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTableView>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(TfrmQelFileList, CommandsDropsAndTheQuestionOnClosing) {
    int argc = 1;
    char name[] = "rack_ui_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    test::ScratchFolder folder;
    StudioSeams seams;
    TdmQelData data(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
    data.OpenTables();
    std::vector<std::string> previewed;
    TfrmQelFileList manager(seams.seams(), data, [&](const std::string& path) { previewed.push_back(path); });
    EXPECT_EQ(manager.windowTitle(), "Audio Rack Manager");

    seams.fileDialogs.Choose({"/audio/first.mp3"});
    manager.Command("btnAddSong")->trigger();
    // Files dropped from the desktop: only the audio files are taken.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/audio/B.WAV"), QUrl::fromLocalFile("/audio/notes.txt")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&manager, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&manager, &drop);
    QAbstractItemModel* model = manager.Grid().model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Filename");
    EXPECT_EQ(model->index(1, 0).data().toString(), "/audio/B.WAV");

    // Edited in place: the rack counts as changed.
    seams.fileDialogs.Choose({folder.File("draft.rck")});
    seams.prompter.Answer(MessageAnswer::No);
    ASSERT_TRUE(manager.Rules().Save());
    seams.prompter.Clear();
    EXPECT_FALSE(manager.Rules().Modified());
    EXPECT_TRUE(model->setData(model->index(0, 0), "/audio/renamed.mp3", Qt::EditRole));
    EXPECT_TRUE(manager.Rules().Modified());
    EXPECT_EQ(data.cdsFileList.FieldByName("LocalPathToFile").AsString(), "/audio/renamed.mp3");
    manager.Grid().setCurrentIndex(model->index(1, 0));
    manager.Command("actPlaySelected")->trigger();
    EXPECT_EQ(previewed, (std::vector<std::string>{"/audio/B.WAV"}));

    // Closing asks; Cancel keeps the manager open.
    manager.show();
    seams.prompter.Answer(MessageAnswer::Cancel);
    manager.Command("actClose")->trigger();
    EXPECT_TRUE(manager.isVisible());
    ASSERT_EQ(seams.prompter.Messages().size(), 1u);
    EXPECT_EQ(seams.prompter.Messages()[0].text, "Save current audio rack?");
    seams.prompter.Answer(MessageAnswer::Yes);
    seams.fileDialogs.Choose({folder.File("carts.rck")});
    seams.prompter.Answer(MessageAnswer::Yes); // onto the rack list
    manager.Command("actClose")->trigger();
    EXPECT_FALSE(manager.isVisible());
    EXPECT_TRUE(std::filesystem::exists(folder.File("carts.rck")));
    ASSERT_EQ(data.cdsRackList.RecordCount(), 1);
    EXPECT_EQ(data.cdsRackList.FieldByName("FileList").AsString(), folder.File("carts.rck"));
}

} // namespace
} // namespace corvane
