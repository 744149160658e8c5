#include "ConsoleWindow.h"
#include "audio/decks/DeckFixtures.h"
#include "console/ui/ColumnChooser.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/SpeedSearchPage.h"
#include "library/ui/LibraryGridModel.h"
#include "library/ui/LibraryRowsMime.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::Window;

// A console with a few audio files in its folder.
struct Console : Window {
    explicit Console(const std::function<void(const TempFolder&)>& prepare = {}) : Window(prepare) {
        console->show();
        QCoreApplication::processEvents();
    }

    // A one-channel 16-bit wave file of `seconds` in the program folder.
    std::string Wave(const std::string& name, int seconds = 1) {
        const std::string path = (folder / name).string();
        test::WriteWave16(path, 8000, 1, std::vector<int16_t>(static_cast<size_t>(8000 * seconds), 500));
        return path;
    }
    std::string Mp3(const std::string& name) {
        const fs::path path = folder / name;
        fs::copy_file(fs::path(CORVANE_SOURCE_FIXTURES) / "audio" / "tone-cbr.mp3", path,
                      fs::copy_options::overwrite_existing);
        return path.string();
    }

    QTableView& Grid() { return console->ScheduleGrid(); }
    int Rows() { return Grid().model()->rowCount(); }
    // The text of the grid's cell in the column showing `field`.
    QString Cell(int row, const char* field) {
        const auto* model = Grid().model();
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal).toString() == field)
                return model->index(row, c).data().toString();
        return {};
    }
    QString Total() { return console->findChild<QLabel*>("lblTotalDuration")->text(); }
    bool Enabled(const char* command) { return Command(command)->isEnabled(); }

    // Drags `mime` onto the window at `at` (window coordinates) and drops it;
    // returns whether the window took the drop.
    bool DropAt(const QMimeData& mime, QPoint at) {
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(console.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(console.get(), &move);
        if (!move.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(console.get(), &drop);
        return drop.isAccepted();
    }
    QPoint OnGrid() { return Grid().mapTo(console.get(), Grid().rect().center()); }
    QPoint OnStatusBar() {
        return console->statusBar()->mapTo(console.get(), console->statusBar()->rect().center());
    }

    static std::unique_ptr<QMimeData> Files(const std::vector<std::string>& paths) {
        auto mime = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const auto& p : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(p));
        mime->setUrls(urls);
        return mime;
    }

    void Key(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&widget, &press);
    }
    void SelectGridRows(std::initializer_list<int> rows) {
        Grid().clearSelection();
        for (int row : rows)
            Grid().selectionModel()->select(Grid().model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // A library title whose file is `path`.
    void AddTitle(const std::string& name, const std::string& path, int seconds = 0) {
        Table& library = data->cdsAudioLibrary;
        library.Append();
        library.FieldByName("TitleName").SetAsString(name);
        library.FieldByName("TitleDuration").SetAsDateTime(seconds / 86400.0);
        library.FieldByName("LocalPathToFile").SetAsString(path);
        library.Post();
    }
};

TEST(ScheduleEditing, CommandsFollowTheRowsAndCutPasteFlagsReachToolBarAndPopupTogether) {
    Console c;
    const char* const rowCommands[] = {"actSaveSchedule", "actClearSchedule", "actExportSchedule",
                                       "actMoveUp", "actMoveDown"};
    for (const char* name : rowCommands)
        EXPECT_FALSE(c.Enabled(name)) << name << " with an empty schedule";
    EXPECT_TRUE(c.Enabled("actLoadSchedule"));
    EXPECT_TRUE(c.Enabled("actCut") && c.Enabled("actCutToolbar"));
    EXPECT_FALSE(c.Enabled("actPaste") || c.Enabled("actPasteToolbar"));

    ASSERT_TRUE(c.DropAt(*Console::Files({c.Wave("a.wav", 2), c.Wave("b.wav", 3), c.Wave("c.wav", 4)}),
                         c.OnStatusBar()));
    ASSERT_EQ(c.Rows(), 3);
    EXPECT_EQ(c.Total(), "00:00:09");
    for (const char* name : rowCommands)
        EXPECT_TRUE(c.Enabled(name)) << name << " with rows";

    // Cut "a" and "b" with Ctrl+X's command, paste them before "c" with Shift+Insert in the grid.
    c.SelectGridRows({0, 1});
    c.Command("actCut")->trigger();
    ASSERT_EQ(c.Rows(), 1);
    EXPECT_EQ(c.Total(), "00:00:04");
    EXPECT_FALSE(c.Enabled("actCut") || c.Enabled("actCutToolbar"));
    EXPECT_TRUE(c.Enabled("actPaste") && c.Enabled("actPasteToolbar"));
    EXPECT_TRUE(c.Grid().selectionModel()->selectedRows().isEmpty());
    c.Key(c.Grid(), Qt::Key_Insert, Qt::ShiftModifier);
    ASSERT_EQ(c.Rows(), 3);
    EXPECT_EQ(c.Cell(0, "TitleName"), "a.wav");
    EXPECT_EQ(c.Cell(1, "TitleName"), "b.wav");
    EXPECT_EQ(c.Cell(2, "TitleName"), "c.wav");
    EXPECT_TRUE(c.Enabled("actCutToolbar"));
    EXPECT_FALSE(c.Enabled("actPasteToolbar"));
    EXPECT_EQ(c.Total(), "00:00:09");

    // Move "c" up with the tool bar: the grid follows it; Shift+Delete cuts the selection.
    c.Grid().setCurrentIndex(c.Grid().model()->index(2, 0));
    c.Command("actMoveUp")->trigger();
    EXPECT_EQ(c.Cell(1, "TitleName"), "c.wav");
    EXPECT_EQ(c.Grid().currentIndex().row(), 1);
    EXPECT_TRUE(c.Grid().selectionModel()->selectedRows().isEmpty());
    c.SelectGridRows({1});
    c.Key(c.Grid(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(c.Rows(), 2);
    EXPECT_TRUE(c.Enabled("actPaste"));

    // Ctrl+D deletes the current row; select all selects every row.
    c.Command("actDeleteItem")->trigger();
    EXPECT_EQ(c.Rows(), 1);
    c.Command("actSelectAll")->trigger();
    EXPECT_EQ(c.Grid().selectionModel()->selectedRows().size(), 1);

    c.studio.prompter.Answer(MessageAnswer::Yes);
    c.Command("actClearSchedule")->trigger();
    EXPECT_EQ(c.Rows(), 0);
    EXPECT_EQ(c.Total(), "00:00:00");
    for (const char* name : rowCommands)
        EXPECT_FALSE(c.Enabled(name)) << name << " after clearing";
}

TEST(ScheduleEditing, FilterBoxAppliesOnF11AndAnUnfinishedExpressionShowsEveryRow) {
    Console c;
    c.DropAt(*Console::Files({c.Wave("one.wav"), c.Wave("two.wav"), c.Wave("three.wav")}), c.OnStatusBar());
    Table& s = c.data->cdsSchedule;
    const char* const categories[] = {"Pop", "POP", "Rock"};
    int i = 0;
    for (s.First(); !s.Eof(); s.Next()) {
        s.Edit();
        s.FieldByName("Category").SetAsString(categories[i++]);
        s.Post();
    }
    QLineEdit& box = c.console->ScheduleFilter();
    EXPECT_TRUE(box.isEnabled());
    box.setText("  Category = 'pop' ");
    EXPECT_EQ(c.Rows(), 3) << "typing alone does not filter";
    c.Key(box, Qt::Key_F11);
    EXPECT_EQ(c.Rows(), 2);
    box.setText("Category = 'pop");
    c.Key(box, Qt::Key_F11);
    EXPECT_EQ(c.Rows(), 3);
    EXPECT_TRUE(c.studio.prompter.Messages().empty());
    box.setText("Category = 'rock'");
    c.Key(box, Qt::Key_F11);
    EXPECT_EQ(c.Rows(), 1);
    box.clear();
    c.Key(box, Qt::Key_F11);
    EXPECT_EQ(c.Rows(), 3);
}

TEST(ScheduleEditing, DropsTakeWaveAndMpegFilesAnywhereAndLibraryRowsOnlyOnTheGrid) {
    Console c;
    const std::string odd = c.Wave("It's a \"take\" – é.WAV");
    std::ofstream(c.folder / "notes.txt") << "not audio";
    EXPECT_TRUE(
        c.DropAt(*Console::Files({c.Mp3("SONG.MP3"), (c.folder / "notes.txt").string(), odd}), c.OnGrid()));
    ASSERT_EQ(c.Rows(), 2);
    EXPECT_EQ(c.Cell(1, "LocalPathToFile").toStdString(), odd);
    EXPECT_EQ(c.Cell(1, "ObjectType"), "WAV");

    // Library rows from a library grid: not taken off the grid, added on it.
    c.AddTitle("Blue Horizon", c.Wave("blue.wav"));
    c.AddTitle("Gone", (c.folder / "gone.wav").string());
    Table& library = c.data->cdsAudioLibrary;
    std::vector<Bookmark> rows;
    for (library.First(); !library.Eof(); library.Next())
        rows.push_back(library.GetBookmark());
    const auto mime = LibraryRowsMimeData(rows);
    EXPECT_FALSE(c.DropAt(*mime, c.OnStatusBar()));
    EXPECT_EQ(c.Rows(), 2);
    EXPECT_TRUE(c.DropAt(*mime, c.OnGrid()));
    ASSERT_EQ(c.Rows(), 3) << "the title whose file is gone is skipped";
    EXPECT_EQ(c.Cell(2, "TitleName"), "Blue Horizon");

    // Neither a drag of nothing usable nor another program's rows is taken.
    QMimeData text;
    text.setText("hello");
    EXPECT_FALSE(c.DropAt(text, c.OnGrid()));
    QMimeData foreign;
    foreign.setData(LibraryRowsMimeType, QByteArray("\0\0\0\0\0\0\0\1\0\0\0\1", 12));
    EXPECT_FALSE(c.DropAt(foreign, c.OnGrid()));
}

TEST(ScheduleEditing, AddingManyFilesLetsPostedWorkRunOnTheWay) {
    Console c;
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i)
        files.push_back(c.Wave("f" + std::to_string(i) + ".wav"));
    // Posted work (as the sound output's buffers are) runs between the files, not after them.
    int rowsWhenRun = -1;
    QMetaObject::invokeMethod(
        c.console.get(), [&] { rowsWhenRun = c.data->cdsSchedule.StoredRowCount(); }, Qt::QueuedConnection);
    c.console->Editing().Drop(*Console::Files(files), DropTarget::Window, nullptr);
    EXPECT_EQ(c.Rows(), 3);
    EXPECT_EQ(rowsWhenRun, 1);
}

TEST(ScheduleEditing, FilesLoadSaveExportAndCommitThroughTheCommands) {
    Console c;
    c.DropAt(*Console::Files({c.Wave("b & <c>.wav"), c.Wave("a.wav", 2)}), c.OnStatusBar());
    const std::string file = (c.folder / "morning show.wsl").string();
    c.studio.fileDialogs.Choose({file});
    c.Command("actSaveSchedule")->trigger();
    ASSERT_TRUE(fs::exists(file));
    const FileDialogRequest save = c.studio.fileDialogs.Requests().back();
    EXPECT_EQ(save.title, "Save Current Schedule");
    EXPECT_EQ(save.filter, "Corvane Schedule File [*.wsl]|*.wsl");
    EXPECT_EQ(save.defaultExtension, "*.wsl");

    // Loading asks first (the save left the changes pending); No keeps the rows.
    c.studio.prompter.Answer(MessageAnswer::No);
    c.Command("actLoadSchedule")->trigger();
    EXPECT_EQ(c.studio.prompter.Messages().back().text, "The current schedule is not saved, proceed anyway?");
    EXPECT_EQ(c.studio.fileDialogs.Requests().size(), 1u);
    c.studio.prompter.Answer(MessageAnswer::Yes);
    c.studio.fileDialogs.Choose({file});
    c.Command("actLoadSchedule")->trigger();
    EXPECT_EQ(c.studio.fileDialogs.Requests().back().initialFolder, c.folder.Path().string());
    EXPECT_EQ(c.Rows(), 2);
    EXPECT_EQ(c.console->Core().Settings().LastScheduleLocation, file);
    EXPECT_TRUE(c.Enabled("actSaveSchedule"));

    // Exports hold the grid's shown columns in their shown order, in the current folder.
    QHeaderView& header = *c.Grid().horizontalHeader();
    for (int col = 0; col < header.count(); ++col)
        header.setSectionHidden(
            col, c.Grid().model()->headerData(col, Qt::Horizontal).toString() != "TitleName" &&
                     c.Grid().model()->headerData(col, Qt::Horizontal).toString() != "ObjectType");
    const auto columns = c.console->Editing().VisibleColumns();
    ASSERT_EQ(columns.size(), 2u);
    for (int col = 0; col < header.count(); ++col)
        if (c.Grid().model()->headerData(col, Qt::Horizontal).toString().toStdString() == columns[1].caption)
            header.moveSection(header.visualIndex(col), 0);
    EXPECT_EQ(c.console->Editing().VisibleColumns()[0].fieldName, columns[1].fieldName);
    const fs::path before = fs::current_path();
    fs::current_path(c.folder.Path());
    c.Command("actExportHtml")->trigger();
    c.Command("actExportSpreadsheet")->trigger();
    fs::current_path(before);
    const auto& opened = c.studio.shell.OpenedTargets();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].target, (c.folder / "schedule.htm").string());
    EXPECT_EQ(opened[1].target, (c.folder / "schedule.xls").string());
    EXPECT_EQ(opened[1].parameters, "");
    const std::string html = testing::ReadText(c.folder / "schedule.htm");
    EXPECT_NE(html.find("<td>b &amp; &lt;c&gt;.wav</td>"), std::string::npos);
    EXPECT_EQ(html.find("LocalPathToFile"), std::string::npos);

    c.AddTitle("Blue Horizon", c.Wave("blue.wav"));
    c.Command("actCommitDatabase")->trigger();
    EXPECT_TRUE(fs::exists(c.folder / TdmQelData::AudioLibraryFile));
    fs::remove(c.folder / TdmQelData::AudioLibraryFile);
    c.Command("actCommitChanges")->trigger();
    EXPECT_TRUE(fs::exists(c.folder / TdmQelData::AudioLibraryFile));
}

TEST(ScheduleEditing, AnUnreadableScheduleFileLeavesTheScheduleClosedAndTheConsoleWorking) {
    Console c;
    c.DropAt(*Console::Files({c.Wave("a.wav")}), c.OnStatusBar());
    const fs::path bad = c.folder / "bad.wsl";
    std::ofstream(bad) << "no table here";
    c.studio.prompter.Answer(MessageAnswer::Yes);
    c.studio.fileDialogs.Choose({bad.string()});
    c.Command("actLoadSchedule")->trigger();
    EXPECT_FALSE(c.data->cdsSchedule.Active());
    EXPECT_EQ(c.Rows(), 0);
    EXPECT_FALSE(c.Enabled("actSaveSchedule"));
    const auto& shown = c.studio.prompter.Messages();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().text.find(bad.string()), std::string::npos) << "the operator sees the file";
    EXPECT_NE(shown.back().text.find("is not a table file"), std::string::npos)
        << "and what is wrong with it";
}

// A damaged schedule can hold a path of megabytes: the grid shows its start,
// so that painting the row never holds the main thread.
TEST(ScheduleEditing, AnOverlongValueIsShownCut) {
    Console c;
    c.DropAt(*Console::Files({c.Wave("a.wav")}), c.OnStatusBar());
    Table& s = c.data->cdsSchedule;
    s.First();
    s.Edit();
    s.FieldByName("LocalPathToFile").SetAsString("/" + std::string(1 << 20, 'p'));
    s.Post();
    const QString shown = c.Cell(0, "LocalPathToFile");
    EXPECT_EQ(shown.size(), 1025);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
}

TEST(ScheduleEditing, FirstShowingLoadsTheLastScheduleFile) {
    Console c;
    c.DropAt(*Console::Files({c.Wave("a.wav"), c.Wave("b.wav")}), c.OnStatusBar());
    const std::string file = (c.folder / "last.wsl").string();
    c.studio.fileDialogs.Choose({file});
    c.Command("actSaveSchedule")->trigger();
    CorvaneSettings& settings = c.console->Core().MutableSettings();
    settings.WelcomeDone = true;
    settings.AutoLoadLastSchedule = true;
    settings.LastScheduleLocation = file;
    ASSERT_TRUE(c.console->close());
    // A new start: a new station reads the tables and settings again.
    c.Stop();
    c.Start();
    EXPECT_EQ(c.Rows(), 0);
    EXPECT_FALSE(c.Enabled("actSaveSchedule"));
    c.console->show();
    EXPECT_EQ(c.Rows(), 2);
    EXPECT_EQ(c.Cell(1, "TitleName"), "b.wav");
    EXPECT_TRUE(c.Enabled("actSaveSchedule"));
    EXPECT_TRUE(c.Enabled("actMoveDown"));
    EXPECT_EQ(c.Total(), "00:00:02");
}

TEST(ScheduleEditing, SpeedSearchAddsLibraryTitlesAndFilesFromTheDiskBrowser) {
    Console c;
    c.AddTitle("Morning Theme", c.Wave("theme.wav"), 2);
    c.AddTitle("Blue Horizon", c.Wave("blue.wav"), 3);
    c.AddTitle("Night Drive", c.Wave("night.wav"), 4);
    SpeedSearchPage& page = c.console->SpeedSearch();
    QTableView& grid = page.LibraryGrid();
    ASSERT_EQ(grid.model()->rowCount(), 3);
    const auto& defs = c.data->cdsAudioLibrary.FieldDefinitions();
    EXPECT_EQ(grid.model()->columnCount(),
              std::count_if(defs.begin(), defs.end(), [](const FieldDef& d) { return !d.hidden; }));
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ExtendedSelection);

    // Typing finds a title by its start, whatever the letter case.
    const int titleColumn = c.data->cdsAudioLibrary.FieldIndex("TitleName");
    grid.setCurrentIndex(grid.model()->index(0, titleColumn));
    grid.keyboardSearch("blu");
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(c.data->cdsAudioLibrary.FieldByName("TitleName").AsString(), "Blue Horizon");

    // Without a selection the current title is added; with one, each selected title in grid order.
    grid.clearSelection();
    c.Command("actAddSelectedTitles")->trigger();
    ASSERT_EQ(c.Rows(), 1);
    EXPECT_EQ(c.Cell(0, "TitleName"), "Blue Horizon");
    grid.selectionModel()->select(grid.model()->index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid.selectionModel()->select(grid.model()->index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    emit grid.doubleClicked(grid.model()->index(0, 0));
    ASSERT_EQ(c.Rows(), 3);
    EXPECT_EQ(c.Cell(1, "TitleName"), "Morning Theme");
    EXPECT_EQ(c.Cell(2, "TitleName"), "Night Drive");
    EXPECT_TRUE(grid.selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(c.Total(), "00:00:09");
    EXPECT_EQ(c.Command("actAddSelectedTitles")->shortcut().toString(), "Ctrl+Return");

    // The disk browser lists only wave and MPEG files, any letter case.
    const fs::path music = c.folder / "music";
    fs::create_directory(music);
    c.Wave("music/b.WAV");
    c.Mp3("music/a.mp3");
    std::ofstream(music / "c.txt") << "text";
    c.console->ControlCenter().setCurrentWidget(&page);
    page.ShowPanel(SpeedSearchPage::Panel::DiskBrowser);
    ASSERT_TRUE(page.SetFolder(music.string()));
    EXPECT_EQ(page.Folder(), music.string());
    ASSERT_EQ(page.Files().rowCount(), 2);
    c.Command("actSelectAllFiles")->trigger();
    EXPECT_EQ(page.SelectedFileNames(), (std::vector<std::string>{"a.mp3", "b.WAV"}));
    c.Command("actAddSelectedFiles")->trigger();
    ASSERT_EQ(c.Rows(), 5);
    EXPECT_EQ(c.Cell(3, "LocalPathToFile").toStdString(), (music / "a.mp3").string());
    EXPECT_EQ(c.Cell(4, "LocalPathToFile").toStdString(), (music / "b.WAV").string());
}

TEST(ScheduleEditing, ColumnChooserShowsAndHidesTheGridsColumns) {
    Console c;
    c.Command("actCustomiseColumns")->trigger();
    ColumnChooser* chooser = c.console->Editing().Chooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->windowTitle(), "Customise Columns");
    QHeaderView& header = *c.Grid().horizontalHeader();
    QListWidget& list = chooser->Columns();
    ASSERT_EQ(list.count(), header.count());
    for (int i = 0; i < list.count(); ++i) {
        QListWidgetItem* item = list.item(i);
        const int column = item->data(Qt::UserRole).toInt();
        EXPECT_EQ(header.visualIndex(column), i);
        EXPECT_EQ(item->checkState() == Qt::Checked, !header.isSectionHidden(column));
    }
    QListWidgetItem* first = list.item(0);
    const int column = first->data(Qt::UserRole).toInt();
    first->setCheckState(first->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    EXPECT_EQ(header.isSectionHidden(column), first->checkState() != Qt::Checked);
    c.Command("actCustomiseColumns")->trigger();
    EXPECT_EQ(c.console->Editing().Chooser(), chooser) << "one chooser at a time";
}

} // namespace
} // namespace corvane
