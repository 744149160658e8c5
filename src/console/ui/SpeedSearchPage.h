#pragma once

#include "data/Table.h"

#include <QWidget>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QFileSystemModel;
class QStackedWidget;
class QStandardItemModel;
class QTableView;
class QToolButton;
class QTreeView;

namespace corvane {

class ConsoleCommands;
class LibraryGridModel;

// The "Speed Search" page of the console: two panels, chosen with the
// buttons on its left edge. The library grid shows every field of
// cdsAudioLibrary (several rows can be selected; typing finds a row by the
// start of the current column's text, ignoring case). The disk browser has a
// drive box, a folder list and a list of the folder's "*.mp3" and "*.wav"
// files (any letter case, several can be selected). Adding is the schedule
// editing's business: the page only offers the commands
// "actAddSelectedTitles", "actAddSelectedFiles" and "actSelectAllFiles" on
// its grids, and reports what is selected. Main thread.
class SpeedSearchPage final : public QWidget {
    Q_OBJECT
public:
    enum class Panel { Library, DiskBrowser };

    SpeedSearchPage(Table& library, ConsoleCommands& commands, QWidget* parent = nullptr);

    void ShowPanel(Panel panel);
    Panel CurrentPanel() const;

    QTableView& LibraryGrid() { return *dxgSpeedSearch; }
    LibraryGridModel& LibraryModel() { return *libraryModel_; }
    // The library titles selected, in grid order.
    std::vector<Bookmark> SelectedTitles() const;

    QComboBox& DriveBox() { return *cbDrive; }
    QTreeView& FolderList() { return *rzDir; }
    QTreeView& FileList() { return *rzFiles; }
    QStandardItemModel& Files() { return *files_; }
    // The folder the browser shows; empty when none is chosen.
    std::string Folder() const;
    // Shows `folder` and lists its files when it exists; false otherwise.
    bool SetFolder(const std::string& folder);
    // The names of the selected files, in list order.
    std::vector<std::string> SelectedFileNames() const;

private:
    QWidget* BuildLibraryPanel(ConsoleCommands& commands);
    QWidget* BuildDiskBrowser(ConsoleCommands& commands);
    void ShowFilesOf(const QString& folder);
    void FillDriveBox();

    QStackedWidget* pnlSpeedSearch = nullptr;
    QToolButton* btnLibrary = nullptr;
    QToolButton* btnDiskBrowser = nullptr;
    QTableView* dxgSpeedSearch = nullptr;
    LibraryGridModel* libraryModel_ = nullptr;
    QComboBox* cbDrive = nullptr;
    QTreeView* rzDir = nullptr;
    QTreeView* rzFiles = nullptr;
    QFileSystemModel* folders_ = nullptr;
    QStandardItemModel* files_ = nullptr;
};

} // namespace corvane
