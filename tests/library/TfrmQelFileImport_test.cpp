#include "LibraryFixture.h"
#include "library/LibraryAnalysis.h"
#include "library/WidgetTestApplication.h"
#include "library/ui/DescriptionPreviewDelegate.h"
#include "library/ui/GroupByPanel.h"
#include "library/ui/GroupedGridModel.h"
#include "library/ui/PropertyInspector.h"
#include "library/ui/TfrmQelAudioVerify.h"
#include "library/ui/TfrmQelFileImport.h"
#include "library/ui/TfrmQelScanLocal.h"
#include "library/ui/TfrmQelTitleDetail.h"
#include "loudness/LoudnessStore.h"
#include "platform/BlockingDispatcher.h"
#include "settings/CorvaneSettings.h"
#include "support/ToneFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>

namespace corvane {
namespace {

class FileImportWindow : public ::testing::Test, protected testing::LibraryFixture {
protected:
    std::unique_ptr<TfrmQelFileImport> Open() {
        FileImportLinks links;
        links.rules.Preview = [this](const std::string& p) { previewed.push_back(p); };
        links.rules.OnAir = [] { return false; };
        links.AddTitlesToSchedule = [this](const std::vector<Bookmark>& rows,
                                           const std::function<void()>& clear) {
            scheduled = rows;
            clear();
        };
        links.drag = {"application/x-test-rows", [](const std::vector<Bookmark>& rows) {
                          auto mime = std::make_unique<QMimeData>();
                          mime->setData("application/x-test-rows",
                                        QByteArray::number(static_cast<qulonglong>(rows.size())));
                          return mime;
                      }};
        auto window = std::make_unique<TfrmQelFileImport>(data, facts, s.seams(), std::move(links));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        return window;
    }

    std::vector<std::string> previewed;
    std::vector<Bookmark> scheduled;
};

TEST_F(FileImportWindow, TheScanListShowsOnlyWhileFilesArePending) {
    auto empty = Open();
    EXPECT_EQ(empty->windowTitle(), "Audio Library - [File Import]");
    EXPECT_FALSE(empty->ScanListShown());
    EXPECT_FALSE(empty->Command("actFilesPendingUpload")->isChecked());
    empty.reset();
    facts.AddPathToScanList(Wave("waiting.wav"));
    auto window = Open();
    EXPECT_TRUE(window->ScanListShown());
    EXPECT_TRUE(window->Command("actFilesPendingUpload")->isChecked());
    EXPECT_EQ(window->ScanGrid().model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Files to Import");
    window->Command("actFilesPendingUpload")->trigger();
    EXPECT_FALSE(window->ScanListShown());
}

TEST_F(FileImportWindow, ImportedTitlesAppearInGridSearchAndInspector) {
    facts.AddPathToScanList(Wave("b-side.wav"));
    facts.AddPathToScanList(Wave("a-side.wav"));
    auto window = Open();
    window->ScanGrid().selectAll();
    window->Command("actAddFilesToLibrary")->trigger();
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 2);
    EXPECT_EQ(data.cdsFileScan.RecordCount(), 0);
    EXPECT_EQ(window->LibraryGrid().model()->rowCount(), 2);
    QComboBox& search = window->SearchBox();
    search.showPopup(); // the titles are listed once the drop-down opens
    search.hidePopup();
    ASSERT_EQ(search.count(), 2);
    EXPECT_EQ(search.itemText(0), "a-side.wav"); // listed by title
    // The operator's highlight is on the other title when the search finds one.
    QTableView& grid = window->LibraryGrid();
    const auto rowOf = [&](const QString& title) {
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            for (int column = 0; column < grid.model()->columnCount(); ++column)
                if (grid.model()->index(row, column).data().toString() == title)
                    return row;
        return -1;
    };
    grid.selectRow(rowOf("a-side.wav"));
    search.setCurrentIndex(1);
    emit search.activated(1);
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("TitleName").AsString(), "b-side.wav");
    EXPECT_EQ(grid.currentIndex().row(), rowOf("b-side.wav"));
    const QModelIndexList highlighted = grid.selectionModel()->selectedRows();
    ASSERT_EQ(highlighted.size(), 1);
    EXPECT_EQ(highlighted[0].row(), rowOf("b-side.wav"));
    auto* name = qobject_cast<QLineEdit*>(window->Inspector().Editor("TitleName"));
    EXPECT_EQ(name->text(), "b-side.wav");
    EXPECT_TRUE(qobject_cast<QLineEdit*>(window->Inspector().Editor("TitleDuration"))->isReadOnly());
    EXPECT_FALSE(name->isReadOnly());
    window->Inspector().findChild<QPushButton*>("btnLocalPathToFile")->click();
    EXPECT_EQ(previewed, (std::vector<std::string>{folder.File("b-side.wav")}));
    window->Inspector().Edit("Notes", "for the morning show");
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("Notes").AsString(), "for the morning show");
}

TEST_F(FileImportWindow, LibraryMenuRemovesSchedulesAndDragsTheSelectedTitles) {
    for (const char* name : {"one.wav", "two.wav", "three.wav"})
        facts.AddFileToLibrary(Wave(name));
    auto window = Open();
    QTableView& grid = window->LibraryGrid();
    grid.selectRow(0);
    grid.selectionModel()->select(grid.model()->index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    std::unique_ptr<QMimeData> drag(grid.model()->mimeData(grid.selectionModel()->selectedIndexes()));
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->data("application/x-test-rows"), "2");
    window->Command("actAddToSchedule")->trigger();
    EXPECT_EQ(scheduled.size(), 2u);
    EXPECT_FALSE(grid.selectionModel()->hasSelection());
    s.prompter.Answer(MessageAnswer::Ok);
    grid.selectRow(1);
    window->Command("actRemoveTitles")->trigger();
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 2);
    window->SearchBox().showPopup();
    window->SearchBox().hidePopup();
    EXPECT_EQ(window->SearchBox().count(), 2);
}

TEST_F(FileImportWindow, AutoScanRecordsTheFolderAndShowsTheScanList) {
    Put("scan/x.mp3");
    Put("scan/deep/y.WAV");
    Put("scan/notes.txt");
    auto window = Open();
    bool scanned = false;
    window->OnDialogShown = [&](QDialog& dialog) {
        auto* scan = qobject_cast<TfrmQelScanLocal*>(&dialog);
        ASSERT_NE(scan, nullptr);
        EXPECT_EQ(scan->windowTitle(), "Auto-Scan: Find Files [Local Drives]");
        EXPECT_GE(scan->FolderTree().topLevelItemCount(), 1);
        EXPECT_EQ(scan->FolderTree().topLevelItem(0)->text(0), "/");
        scan->SelectFolder(QString::fromStdString(folder.File("scan")));
        scan->ImportAllAudio();
        scan->Scan().WaitForWalk();
        s.studio.RunPending(); // records the paths, writes the list and closes the dialog
        scanned = !scan->isVisible();
        EXPECT_EQ(scan->FoundPaths().size(), 2);
    };
    window->Command("actAutoScan")->trigger();
    EXPECT_TRUE(scanned);
    EXPECT_EQ(data.cdsFileScan.RecordCount(), 2);
    EXPECT_TRUE(window->ScanListShown());
}

TEST_F(FileImportWindow, CancelStopsAScanFirstAndClosesTheDialogAfter) {
    for (int i = 0; i < 30; ++i)
        Put("many/d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".mp3");
    auto window = Open();
    window->OnDialogShown = [&](QDialog& dialog) {
        auto& scan = static_cast<TfrmQelScanLocal&>(dialog);
        scan.SelectFolder(QString::fromStdString(folder.File("many")));
        scan.ImportAllAudio();
        dialog.findChild<QPushButton*>("btnCancel")->click(); // cancels the scan
        scan.Scan().WaitForWalk();
        s.studio.RunPending();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(scan.ProgressText(), "Scan cancelled");
        dialog.findChild<QPushButton*>("btnCancel")->click(); // closes
    };
    window->Command("actAutoScan")->trigger();
    EXPECT_EQ(data.cdsFileScan.RecordCount(), 0);
}

TEST_F(FileImportWindow, AScanDialogThatCannotBeMadeIsReportedAndTheManagerGoesOn) {
    facts.AddPathToScanList(Wave("waiting.wav"));
    auto window = Open();
    window->Command("actFilesPendingUpload")->trigger(); // hidden by the operator
    window->SetMountTable(folder.File("no-such-mount-table"));
    bool shown = false;
    window->OnDialogShown = [&](QDialog&) { shown = true; };
    window->Command("actAutoScan")->trigger();
    EXPECT_FALSE(shown);
    ASSERT_EQ(s.prompter.Messages().size(), 1u);
    EXPECT_EQ(s.prompter.Messages()[0].text, "Error Creating Form");
    EXPECT_EQ(s.prompter.Messages()[0].type, MessageType::Information);
    EXPECT_TRUE(window->ScanListShown()); // as after a scan: rows are waiting
    EXPECT_TRUE(window->LibraryGrid().updatesEnabled());
    std::ifstream log(folder.File("zrexcept.log"));
    const std::string line((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(line.find("Cannot read the mount table"), std::string::npos) << line;
}

TEST_F(FileImportWindow, HelpOpensTheManagersTopic) {
    std::vector<std::string> topics;
    auto window = Open();
    EXPECT_FALSE(window->Command("actHelp")->isEnabled()); // no manual to open
    window.reset();
    FileImportLinks links;
    links.ShowHelpTopic = [&](const std::string& topic) { topics.push_back(topic); };
    TfrmQelFileImport manager(data, facts, s.seams(), std::move(links));
    manager.setAttribute(Qt::WA_DeleteOnClose, false);
    ASSERT_TRUE(manager.Command("actHelp")->isEnabled());
    EXPECT_EQ(manager.Command("actHelp")->text(), "&Help");
    manager.Command("actHelp")->trigger();
    EXPECT_EQ(topics, (std::vector<std::string>{"AudioLibraryManager"}));
}

// Drops the header of a library grid's column on its group-by panel;
// returns whether the panel took it.
bool DropHeader(GroupByPanel& panel, QTableView& from, int column) {
    QMimeData mime;
    mime.setData(GroupByPanel::ColumnMimeType, GroupByPanel::ColumnDragData(from, column));
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &drop);
    return true;
}

void PressKey(QWidget& widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

TEST_F(FileImportWindow, AHeaderDroppedOnThePanelGroupsTheTitlesUnderGroupRowsThatOpenAndClose) {
    for (const auto& [name, artist] :
         std::vector<std::pair<std::string, std::string>>{{"Waterloo", "ABBA"},
                                                          {"Dancing Queen", "abba"},
                                                          {"Bohemian Rhapsody", "Queen"},
                                                          {"Radio Ga Ga", "Queen"},
                                                          {"Untitled Jingle", ""}}) {
        data.cdsAudioLibrary.Append();
        data.cdsAudioLibrary.FieldByName("TitleName").SetAsString(name);
        data.cdsAudioLibrary.FieldByName("TitleArtistName").SetAsString(artist);
        data.cdsAudioLibrary.Post();
    }
    auto window = Open();
    QTableView& grid = window->LibraryGrid();
    GroupByPanel& panel = window->GroupPanel();
    const auto cell = [&](int row, int column) { return grid.model()->index(row, column).data().toString(); };
    EXPECT_TRUE(panel.HintShown());
    EXPECT_FALSE(DropHeader(panel, window->ScanGrid(), 0)); // another grid's header
    ASSERT_TRUE(DropHeader(panel, grid, 3));
    EXPECT_FALSE(panel.HintShown());
    ASSERT_NE(panel.findChild<QToolButton*>("btnGroupByTitleArtistName"), nullptr);
    // Collapsed groups, blanks first, letter case ignored.
    ASSERT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(cell(0, 0), "TitleArtistName: (empty) (1)");
    EXPECT_EQ(cell(1, 0), "TitleArtistName: abba (2)");
    EXPECT_EQ(cell(2, 0), "TitleArtistName: Queen (2)");
    // Each group row is one span over the whole row, and a title row is not:
    // the grid's column lines do not cut the group's text.
    const auto spansTheRow = [&](int row) { return grid.columnSpan(row, 0) == grid.model()->columnCount(); };

    grid.setCurrentIndex(grid.model()->index(1, 0));
    PressKey(grid, Qt::Key_Right);
    ASSERT_EQ(grid.model()->rowCount(), 5);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(spansTheRow(row), row != 2 && row != 3) << row;
    EXPECT_EQ(cell(2, 1), "Dancing Queen"); // by title within the group
    EXPECT_EQ(cell(3, 1), "Waterloo");
    // The group rows carry no title to schedule or drag.
    grid.selectAll();
    std::unique_ptr<QMimeData> drag(grid.model()->mimeData(grid.selectionModel()->selectedIndexes()));
    EXPECT_EQ(drag->data("application/x-test-rows"), "2");
    window->Command("actAddToSchedule")->trigger();
    EXPECT_EQ(scheduled.size(), 2u);

    // The cursor moving to a title in a closed group (the search) opens it.
    data.cdsAudioLibrary.Locate("TitleName", Value(std::string("Radio Ga Ga")));
    ASSERT_EQ(grid.model()->rowCount(), 7);
    EXPECT_EQ(grid.currentIndex().row(), 6);
    EXPECT_EQ(cell(6, 1), "Radio Ga Ga");
    // An edit that moves a title to another group regroups it there.
    data.cdsAudioLibrary.Edit();
    data.cdsAudioLibrary.FieldByName("TitleArtistName").SetAsString("ABBA");
    data.cdsAudioLibrary.Post();
    QApplication::processEvents();
    EXPECT_EQ(cell(1, 0), "TitleArtistName: abba (3)");
    EXPECT_EQ(cell(5, 0), "TitleArtistName: Queen (1)");
    EXPECT_TRUE(spansTheRow(5));
    EXPECT_FALSE(spansTheRow(6));

    grid.setCurrentIndex(grid.model()->index(1, 0));
    PressKey(grid, Qt::Key_Left);
    EXPECT_EQ(grid.model()->rowCount(), 4);
    // On a group row with no title chosen the library's commands have nothing to act on.
    window->Command("actRemoveTitles")->trigger();
    EXPECT_TRUE(s.prompter.Messages().empty());
    EXPECT_EQ(data.cdsAudioLibrary.RecordCount(), 5);
    // A double-click on a group row's band opens it, and previews nothing.
    const QPoint band = grid.visualRect(grid.model()->index(1, 1)).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent mouse(type, band, grid.viewport()->mapToGlobal(band), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &mouse);
    }
    EXPECT_EQ(grid.model()->rowCount(), 7);
    EXPECT_TRUE(previewed.empty());
    // A click on its arrow closes it again.
    const QPoint arrow(grid.visualRect(grid.model()->index(1, 0)).left() + 8, band.y());
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent mouse(type, arrow, grid.viewport()->mapToGlobal(arrow), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &mouse);
    }
    EXPECT_EQ(grid.model()->rowCount(), 4);
    panel.findChild<QToolButton*>("btnGroupByTitleArtistName")->click();
    EXPECT_TRUE(panel.HintShown());
    ASSERT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(cell(0, 1), "Bohemian Rhapsody");
}

TEST_F(FileImportWindow, VerificationReportRunsFromTheUtilitiesMenu) {
    AddTitle(Wave("fine.wav"));
    AddTitle(folder.File("lost.wav"));
    auto window = Open();
    QString report, caption;
    window->OnDialogShown = [&](QDialog& dialog) {
        auto& verify = static_cast<TfrmQelAudioVerify&>(dialog);
        verify.Command("actCheckFiles")->trigger();
        verify.Report().WaitForChecks();
        s.studio.RunPending();
        report = verify.ReportText();
        caption = verify.windowTitle();
        verify.Command("actClose")->trigger();
    };
    window->Command("actVerificationReport")->trigger();
    EXPECT_EQ(report, "Checking 2 files...\nMissing File: " +
                          QString::fromStdString(folder.File("lost.wav")) + "\nCheck Complete.");
    EXPECT_EQ(caption, "Audio File Verification Report : 2/2");
}

TEST_F(FileImportWindow, LongDescriptionPreviewShowsEachTitlesDescription) {
    facts.AddFileToLibrary(Wave("one.wav"));
    data.cdsAudioLibrary.Edit();
    data.cdsAudioLibrary.FieldByName("TitleDescription").SetAsString("A long story");
    data.cdsAudioLibrary.Post();
    auto window = Open();
    window->LibraryGrid().resizeRowsToContents();
    const int plain = window->LibraryGrid().rowHeight(0);
    window->Command("actLongDescriptionPreview")->trigger();
    EXPECT_TRUE(window->DescriptionPreviewShown());
    EXPECT_GT(window->LibraryGrid().rowHeight(0), plain);
    EXPECT_EQ(window->DescriptionPreview().Description(0), "A long story");
}

// A station's library of a few hundred titles, with files waiting in the
// scan list: every title is in the grid, listed by name; with
// CORVANE_SCREENSHOT_DIR set the window is saved as a picture there, and
// again with the titles grouped by artist.
TEST_F(FileImportWindow, AFewHundredTitlesAreListedByName) {
    const char* artists[] = {"The Lanterns", "Mara Quinn", "Northbound",
                             "Delta Hours",  "Ivo Sands",  "Red Parade"};
    const char* words[] = {"Morning", "Harbour", "Lights", "Slow", "River",
                           "Echo",    "Summer",  "Static", "Gold", "Drive"};
    Table& library = data.cdsAudioLibrary;
    for (int i = 0; i < 300; ++i) {
        library.Append();
        library.FieldByName("TitleName")
            .SetAsString(std::string(words[i % 10]) + " " + words[(i / 10) % 10] +
                         (i >= 100 ? " (Radio Edit)" : ""));
        library.FieldByName("TitleArtistName").SetAsString(artists[i % 6]);
        library.FieldByName("TitleComposer").SetAsString(artists[(i + 2) % 6]);
        library.FieldByName("TitleAlbum").SetAsString(std::string(words[(i + 3) % 10]) + " Sessions");
        library.FieldByName("LocalPathToFile").SetAsString("/srv/music/" + std::to_string(i) + ".mp3");
        library.FieldByName("TitleDuration").SetAsFloat((150.0 + i % 120) / 86400.0);
        library.Post();
    }
    for (const char* path : {"/srv/incoming/Jingle Top of Hour.wav", "/srv/incoming/Promo Weekend.mp3"})
        facts.AddPathToScanList(path);
    auto window = Open();
    QTableView& grid = window->LibraryGrid();
    ASSERT_EQ(grid.model()->rowCount(), 300);
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), "Drive Drive");
    grid.selectRow(4);
    const QByteArray folder = qgetenv("CORVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    window->resize(1100, 680);
    grid.resizeColumnsToContents();
    QApplication::processEvents();
    window->grab().save(QString::fromUtf8(folder) + "/library-manager.png");
    // The same titles grouped by artist, two groups open.
    window->LibraryRows().GroupBy(3);
    window->LibraryRows().SetExpanded(2, true);
    window->LibraryRows().SetExpanded(1, true);
    grid.selectRow(3);
    QApplication::processEvents();
    window->grab().save(QString::fromUtf8(folder) + "/library-manager-grouped.png");
}

TEST_F(FileImportWindow, TitleDetailsFollowTheLibraryCursorAndEditInPlace) {
    facts.AddFileToLibrary(Wave("first.wav"));
    facts.AddFileToLibrary(Wave("second.wav"));
    TfrmQelTitleDetail details(data.cdsAudioLibrary);
    EXPECT_EQ(details.windowTitle(), "Details");
    EXPECT_TRUE(details.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(details.Inspector().Rows().size(), 28u);
    auto* name = qobject_cast<QLineEdit*>(details.Inspector().Editor("TitleName"));
    data.cdsAudioLibrary.First();
    EXPECT_EQ(name->text(), "first.wav");
    data.cdsAudioLibrary.Next();
    EXPECT_EQ(name->text(), "second.wav");
    details.Inspector().Edit("TitleName", "Second Song");
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("TitleName").AsString(), "Second Song");
    // The music scheduler's codes are edited here too.
    details.Inspector().Edit("SchedulerCodes", "Female Hours=06-10");
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("SchedulerCodes").AsString(), "Female Hours=06-10");
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

// "Analyse Library" hands every title to the workers and shows the progress
// with Cancel; the window and its grid stay usable meanwhile, and the
// progress goes when every title is measured. Titles the manager imports
// are measured too.
class AnalyseLibraryWindow : public FileImportWindow {
protected:
    LoudnessStore store{folder.Path() / LoudnessStoreFileName};
    BlockingDispatcher results;
    AnalysisQueue queue{store, results};
    CorvaneSettings settings = CorvaneSettings::Defaults(folder.Path());
    LibraryAnalysis analysis{data, queue, settings};
};

TEST_F(AnalyseLibraryWindow, AnalyseLibraryMeasuresEveryTitleWithProgressAndImportsAreMeasured) {
    std::vector<std::string> paths;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        paths.push_back(folder.File(name));
        testing::WriteToneFile(paths.back(), 22050, 2, {{1000, -12, 1500}});
        facts.AddFileToLibrary(paths.back());
    }
    FileImportLinks links;
    links.analysis = &analysis;
    links.rules.Imported = [this](const std::string& path) { analysis.Imported(path); };
    TfrmQelFileImport window(data, facts, s.seams(), std::move(links));
    window.show();
    QAction* analyse = window.Command("actAnalyseLibrary");
    ASSERT_NE(analyse, nullptr);
    EXPECT_EQ(analyse->text(), "Analyse &Library");
    analyse->trigger();
    auto* progress = window.findChild<QProgressDialog*>("frmAnalyseLibrary");
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->isModal());
    EXPECT_EQ(progress->maximum(), 3);
    while (analysis.Running())
        results.RunPosted(true);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<QProgressDialog*>("frmAnalyseLibrary"), nullptr) << "gone when done";
    for (const auto& path : paths)
        EXPECT_NEAR(store.FindAnalysis(path)->integratedLufs, -12, 0.1) << path;

    // An upload is measured as it becomes a title.
    const std::string picked = folder.File("picked.wav");
    testing::WriteToneFile(picked, 22050, 2, {{1000, -20, 1500}});
    s.fileDialogs.Choose({picked});
    window.Command("actUploadAudioFile")->trigger();
    while (analysis.Running())
        results.RunPosted(true);
    ASSERT_TRUE(store.FindAnalysis(picked));
    EXPECT_NEAR(store.FindAnalysis(picked)->integratedLufs, -20, 0.1);
}

// Cancel drops the titles not yet begun and closes the progress.
TEST_F(AnalyseLibraryWindow, CancelDropsTheTitlesNotYetBegun) {
    for (int i = 0; i < 40; ++i) {
        const std::string path = folder.File("t" + std::to_string(i) + ".wav");
        testing::WriteToneFile(path, 22050, 2, {{1000, -12, 1000}});
        facts.AddFileToLibrary(path);
    }
    FileImportLinks links;
    links.analysis = &analysis;
    TfrmQelFileImport window(data, facts, s.seams(), std::move(links));
    window.show();
    window.Command("actAnalyseLibrary")->trigger();
    auto* progress = window.findChild<QProgressDialog*>("frmAnalyseLibrary");
    ASSERT_NE(progress, nullptr);
    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "Cancel");
    cancel->click();
    while (analysis.Running())
        results.RunPosted(true);
    EXPECT_LT(analysis.Progress().total, 40);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<QProgressDialog*>("frmAnalyseLibrary"), nullptr);
}

} // namespace
} // namespace corvane
