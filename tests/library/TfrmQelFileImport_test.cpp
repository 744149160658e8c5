#include "LibraryFixture.h"
#include "library/WidgetTestApplication.h"
#include "library/ui/DescriptionPreviewDelegate.h"
#include "library/ui/PropertyInspector.h"
#include "library/ui/TfrmQelAudioVerify.h"
#include "library/ui/TfrmQelFileImport.h"
#include "library/ui/TfrmQelScanLocal.h"
#include "library/ui/TfrmQelTitleDetail.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
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
    search.setCurrentIndex(1);
    emit search.activated(1);
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("TitleName").AsString(), "b-side.wav");
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
    auto* preview = qobject_cast<DescriptionPreviewDelegate*>(window->LibraryGrid().itemDelegate());
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->Description(0), "A long story");
}

// A station's library of a few hundred titles, with files waiting in the
// scan list: every title is in the grid, listed by name; with
// CORVANE_SCREENSHOT_DIR set the window is saved as a picture there.
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
}

TEST_F(FileImportWindow, TitleDetailsFollowTheLibraryCursorAndEditInPlace) {
    facts.AddFileToLibrary(Wave("first.wav"));
    facts.AddFileToLibrary(Wave("second.wav"));
    TfrmQelTitleDetail details(data.cdsAudioLibrary);
    EXPECT_EQ(details.windowTitle(), "Details");
    EXPECT_TRUE(details.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(details.Inspector().Rows().size(), 27u);
    auto* name = qobject_cast<QLineEdit*>(details.Inspector().Editor("TitleName"));
    data.cdsAudioLibrary.First();
    EXPECT_EQ(name->text(), "first.wav");
    data.cdsAudioLibrary.Next();
    EXPECT_EQ(name->text(), "second.wav");
    details.Inspector().Edit("TitleName", "Second Song");
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("TitleName").AsString(), "Second Song");
}

} // namespace
} // namespace corvane
