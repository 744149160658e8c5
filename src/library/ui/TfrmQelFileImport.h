#pragma once

#include "data/ui/TableGridModel.h"
#include "library/LibraryManager.h"
#include "platform/Seams.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QTableView;

namespace corvane {

class AudioFileFacts;
class PropertyInspector;
class TdmQelData;

// What the library manager needs of the console around it.
struct FileImportLinks {
    LibraryManager::Hooks rules;
    // "&Add Selected File(s) to Playout Schedule": the selected titles (the
    // current one when none is selected); the callback clears the selection.
    std::function<void(const std::vector<Bookmark>& rows, const std::function<void()>& clearSelection)>
        AddTitlesToSchedule;
    // How library rows are dragged to the schedule.
    TableGridModel::RowDrag drag;
};

// The library manager "Audio Library - [File Import]": the scan list (shown
// while "&Files Pending Upload" is ticked), the library grid with its drag to
// the schedule and the optional description line under each title, the
// inspector on the current title, the tool bar with "&Upload Audio File" and
// the "&Search" drop-down, and the menus. A tool window: one at a time, its
// rules in LibraryManager.
class TfrmQelFileImport final : public QMainWindow {
    Q_OBJECT
public:
    TfrmQelFileImport(TdmQelData& data, AudioFileFacts& facts, Seams seams, FileImportLinks links,
                      QWidget* parent = nullptr);
    ~TfrmQelFileImport() override;

    // Runs the auto-scan dialog (from the Actions menu, or once when the
    // window is first shown after OpenWithAutoScan).
    void AutoScan();
    void AutoScanWhenShown();
    void RunVerificationReport();

    QTableView& ScanGrid() { return *dxgScan; }
    QTableView& LibraryGrid() { return *dxgLibrary; }
    PropertyInspector& Inspector() { return *inspector_; }
    QComboBox& SearchBox() { return *cbSearch; }
    QAction* Command(const QString& objectName) const;
    bool ScanListShown() const;
    bool DescriptionPreviewShown() const;
    LibraryManager& Rules() { return rules_; }

    // The window runs a modal dialog for these (tests answer them through it).
    std::function<void(QDialog&)> OnDialogShown;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddCommand(const char* name, const QString& caption, const QKeySequence& key,
                        std::function<void()> work);
    void BuildMenus();
    void SetScanListShown(bool shown);
    std::vector<Bookmark> Selected(QTableView& grid, TableGridModel& model) const;
    void RunModal(QDialog& dialog);

    TdmQelData& data_;
    AudioFileFacts& facts_;
    Seams seams_;
    FileImportLinks links_;
    LibraryManager rules_;
    TableGridModel* scanModel_ = nullptr;
    TableGridModel* libraryModel_ = nullptr;
    QTableView* dxgScan = nullptr;
    QTableView* dxgLibrary = nullptr;
    PropertyInspector* inspector_ = nullptr;
    QComboBox* cbSearch = nullptr;
    bool autoScanRequested_ = false;
    bool shownOnce_ = false;
};

} // namespace corvane
