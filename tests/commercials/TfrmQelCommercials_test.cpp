#include "CommercialListFiles.h"
#include "audio/decks/DeckFixtures.h"
#include "commercials/CommercialBreaks.h"
#include "commercials/ui/CommercialsPage.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "console/ConsoleWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

// The console window with its "Ads" folder holding the day's list (two
// spots at 09:30, one at 11:00) and two one-second wave files.
struct EditorWindow : Window {
    std::string s1, s2;
    EditorWindow()
        : Window([](const TempFolder& folder) {
              std::filesystem::create_directories(folder / "Ads");
              const std::string a = Wave(folder / "s1.wav"), b = Wave(folder / "s2.wav");
              WriteCommercialList(folder / "Ads" / "20260105.ads",
                                  {{"09:30", a, 1}, {"09:30", b, 1}, {"11:00", a, 1}});
          }) {
        s1 = (folder / "s1.wav").string();
        s2 = (folder / "s2.wav").string();
        console->show();
        QCoreApplication::processEvents();
    }
    static std::string Wave(const std::filesystem::path& path) {
        test::WriteWave16(path.string(), 44100, 2, std::vector<int16_t>(44100 * 2, 100));
        return path.string();
    }
    TfrmQelCommercials* Editor() { return console->CommercialsEditor(); }
    void Drop(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Editor(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Editor(), &move);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Editor(), &drop);
        QCoreApplication::processEvents();
    }
};

TEST(TfrmQelCommercials, TheToolBarButtonOpensTheEditorForDropsEditsAndTheCloseQuestion) {
    EditorWindow w;
    w.Command("actCommercials")->trigger();
    ASSERT_NE(w.Editor(), nullptr);
    TfrmQelCommercials& editor = *w.Editor();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.windowTitle(), "Setup Commercials");
    EXPECT_TRUE(w.Command("actCommercials")->isChecked());
    EXPECT_EQ(editor.FileNameBox().currentText(), "20260105.ads");
    editor.DatePicker().setDate(QDate(2002, 1, 1));
    EXPECT_EQ(editor.FileNameBox().currentText(), "20020101.ads");

    w.Drop({QString::fromStdString(w.s2), QString::fromStdString((w.folder / "notes.txt").string()),
            QString::fromStdString(w.s1)});
    EXPECT_EQ(w.data->cdsAdList.RecordCount(), 2);
    EXPECT_EQ(
        editor.RowTexts(),
        (QStringList{"  :  |" + QString::fromStdString(w.s2) + "|" + QString::fromStdString(w.s2) + "|1",
                     "  :  |" + QString::fromStdString(w.s1) + "|" + QString::fromStdString(w.s1) + "|1"}));
    EXPECT_EQ(editor.Footer().text(), "Total Duration: 2");

    // A typed break time is written to the row; the rows regroup by it.
    editor.SelectRow(1);
    editor.Grid().currentItem()->setText(1, "08:15");
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.Grid().topLevelItem(0)->text(0), "Break Time:   :  ");
    EXPECT_EQ(editor.Grid().topLevelItem(1)->text(0), "Break Time: 08:15");
    editor.GroupByBreak().setChecked(false);
    EXPECT_EQ(editor.Grid().topLevelItemCount(), 2);

    // A file that does not exist is refused and the row keeps its file.
    editor.SelectRow(0);
    editor.Grid().currentItem()->setText(3, "/nowhere/x.wav");
    QCoreApplication::processEvents();
    EXPECT_EQ(w.studio.prompter.Messages().back().text, "File not found: /nowhere/x.wav");
    EXPECT_TRUE(editor.RowTexts().front().endsWith(QString::fromStdString(w.s2) + "|1"));

    // Closing with changes asks; Cancel keeps the editor, No closes it.
    w.studio.prompter.Answer(MessageAnswer::Cancel);
    editor.close();
    QCoreApplication::processEvents();
    ASSERT_NE(w.Editor(), nullptr);
    EXPECT_EQ(w.studio.prompter.Messages().back().text, "Save current Commercial List?");
    w.studio.prompter.Answer(MessageAnswer::No);
    w.Command("actCommercials")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.Editor(), nullptr);
    EXPECT_FALSE(w.Command("actCommercials")->isChecked());
    EXPECT_FALSE(w.data->cdsAdList.Active());
}

// Closing the console asks about the editor's unsaved list as the editor's
// own close does, before anything is stopped or saved; the cell being edited
// when the editor goes is no trouble.
TEST(TfrmQelCommercials, ClosingTheConsoleAsksAboutTheEditorsUnsavedListFirst) {
    EditorWindow w;
    w.Command("actCommercials")->trigger();
    TfrmQelCommercials& editor = *w.Editor();
    w.Drop({QString::fromStdString(w.s1)});
    editor.SelectRow(0);
    editor.Grid().editItem(editor.Grid().currentItem(), 1);
    auto* cell = editor.Grid().findChild<QLineEdit*>();
    ASSERT_NE(cell, nullptr);
    cell->setText("09:15");

    w.studio.prompter.Answer(MessageAnswer::Cancel);
    EXPECT_FALSE(w.console->close());
    EXPECT_EQ(w.studio.prompter.Messages().back().text, "Save current Commercial List?");
    EXPECT_TRUE(w.console->isVisible());
    EXPECT_FALSE(w.console->Core().Closing());
    ASSERT_NE(w.Editor(), nullptr);
    EXPECT_TRUE(w.data->cdsAdList.Active());

    w.studio.prompter.Answer(MessageAnswer::No);
    EXPECT_TRUE(w.console->close());
    EXPECT_TRUE(w.console->Core().Closing());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.Editor(), nullptr);
    EXPECT_EQ(w.studio.prompter.Messages().size(), 2u);
}

// A termination signal waits for nobody: the unsaved list is kept beside the
// others, unasked.
TEST(TfrmQelCommercials, ClosingOnATerminationSignalKeepsTheUnsavedListUnasked) {
    EditorWindow w;
    w.Command("actCommercials")->trigger();
    w.Drop({QString::fromStdString(w.s1), QString::fromStdString(w.s2)});
    const size_t asked = w.studio.prompter.Messages().size();
    w.console->CloseForTermination();
    EXPECT_TRUE(w.console->Core().Closing());
    EXPECT_EQ(w.studio.prompter.Messages().size(), asked);
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(w.console->Commercials().ListFolder()))
        if (entry.path().filename().string().rfind("Unsaved ", 0) == 0)
            kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].extension(), ".ads");
    w.data->cdsAdList.LoadFromFile(kept[0].string());
    EXPECT_EQ(w.data->cdsAdList.RecordCount(), 2);
}

TEST(TfrmQelCommercials, EditCommercialListOpensTheCurrentListAndSavesIntoTheListFolder) {
    EditorWindow w;
    w.Command("actEditCommercialList")->trigger();
    ASSERT_NE(w.Editor(), nullptr);
    TfrmQelCommercials& editor = *w.Editor();
    const std::string list = w.console->Commercials().CurrentList();
    EXPECT_EQ(editor.windowTitle().toStdString(), "Commercials: " + list);
    EXPECT_EQ(editor.Grid().topLevelItemCount(), 2);
    EXPECT_EQ(editor.RowTexts().size(), 3);

    // A second open request leaves the open editor alone.
    w.Command("actNewCommercialList")->trigger();
    EXPECT_EQ(editor.RowTexts().size(), 3);

    // Deleting asks first.
    editor.SelectRow(0);
    w.studio.prompter.Answer(MessageAnswer::Cancel);
    editor.actDeleteItem();
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.RowTexts().size(), 3);
    editor.actDeleteItem();
    EXPECT_EQ(w.data->cdsAdList.RecordCount(), 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.RowTexts().size(), 2);

    const std::string saved = (w.console->Commercials().ListFolder() / "20260106.ads").string();
    w.studio.fileDialogs.Choose({saved});
    editor.findChild<QAction*>("actSave")->trigger();
    EXPECT_EQ(w.studio.fileDialogs.Requests().back().initialFolder,
              w.console->Commercials().ListFolder().string());
    EXPECT_EQ(editor.FileNameBox().itemText(0).toStdString(), saved);
    editor.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.Editor(), nullptr);
    // The page lists the new list.
    EXPECT_EQ(w.console->CommercialsPageWidget().Lists().topLevelItemCount(), 2);
}

TEST(TfrmQelCommercials, TheEllipsisPicksTheFileAndPlaySelectedUsesThePreviewer) {
    EditorWindow w;
    std::string previewed;
    w.console->Tools().PreviewAudio = [&](const std::string& path, PreviewMode) {
        previewed = path;
        return 0.0;
    };
    w.Command("actEditCommercialList")->trigger();
    TfrmQelCommercials& editor = *w.Editor();
    editor.SelectRow(0);
    QTreeWidget& grid = editor.Grid();
    grid.setCurrentItem(grid.currentItem(), 3);
    grid.editItem(grid.currentItem(), 3);
    auto* ellipsis = grid.findChild<QToolButton*>("btnFileName");
    ASSERT_NE(ellipsis, nullptr);
    w.studio.fileDialogs.Choose({w.s2});
    ellipsis->click();
    EXPECT_EQ(w.studio.fileDialogs.Requests().back().filter,
              "MPEG3 Compressed Audio [*.mp3]|*.mp3|Windows Audio File [*.wav]|*.wav|Audio Files [*.wav, "
              "*.mp3]|*.wav;*.mp3|All Files [*.*]|*.*");
    // Moving on to another row completes the edit.
    editor.SelectRow(2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor.RowTexts().front().contains(QString::fromStdString(w.s2)));
    EXPECT_TRUE(editor.Rules().ListModified);

    editor.SelectRow(0);
    editor.actPlaySelected();
    EXPECT_EQ(previewed, w.s2);
    w.studio.prompter.Answer(MessageAnswer::No);
    editor.close();
}

} // namespace
} // namespace corvane::testing
