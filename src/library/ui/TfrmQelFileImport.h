#pragma once

#include "data/ui/TableGridModel.h"
#include "library/LibraryManager.h"
#include "library/MountedDrives.h"
#include "platform/Seams.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QTableView;

namespace corvane {

class AudioFileFacts;
class DescriptionPreviewDelegate;
class GroupByPanel;
class GroupedGridModel;
class LibraryAnalysis;
class LibraryAnalysisProgress;
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
    // "&Help": opens the operator's manual at a topic.
    std::function<void(const std::string& topic)> ShowHelpTopic;
    // Measures imported titles and, on "Analyse &Library", the whole library
    // (none: the command is not offered).
    LibraryAnalysis* analysis = nullptr;
};

// The library manager "Audio Library - [File Import]": the scan list (shown
// while "&Files Pending Upload" is ticked), the library grid with its
// group-by panel, its drag to the schedule and the optional description line
// under each title, the inspector on the current title, the tool bar with
// "&Upload Audio File", the "&Search" drop-down and "&Help", and the menus. A tool window: one at a time, its
// rules in LibraryManager.
class TfrmQelFileImport final : public QMainWindow {
    Q_OBJECT
public:
    // Told when the auto-scan dialog cannot be made.
    static constexpr const char* ErrorCreatingForm = "Error Creating Form";

    TfrmQelFileImport(TdmQelData& data, AudioFileFacts& facts, Seams seams, FileImportLinks links,
                      QWidget* parent = nullptr);
    ~TfrmQelFileImport() override;

    // Runs the auto-scan dialog (from the Actions menu, or once when the
    // window is first shown after OpenWithAutoScan).
    void AutoScan();
    void AutoScanWhenShown();
    void RunVerificationReport();
    // "Analyse &Library": measures every title not measured yet, in the
    // background, with its progress and Cancel (one at a time).
    void AnalyseLibrary();

    QTableView& ScanGrid() { return *dxgScan; }
    QTableView& LibraryGrid() { return *dxgLibrary; }
    GroupedGridModel& LibraryRows() { return *groupedModel_; }
    GroupByPanel& GroupPanel() { return *groupPanel_; }
    DescriptionPreviewDelegate& DescriptionPreview() { return *descriptionPreview_; }
    PropertyInspector& Inspector() { return *inspector_; }
    QComboBox& SearchBox() { return *cbSearch; }
    QAction* Command(const QString& objectName) const;
    bool ScanListShown() const;
    bool DescriptionPreviewShown() const;
    LibraryManager& Rules() { return rules_; }

    // The mount table the auto-scan offers its drives from.
    void SetMountTable(std::string mountTable) { mountTable_ = std::move(mountTable); }

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
    // The titles the library grid's commands act on (the selected ones; with
    // fewer than two the current one); none while a group row is current
    // and no title is selected.
    std::optional<std::vector<Bookmark>> ChosenTitles();
    void RunModal(QDialog& dialog);

    TdmQelData& data_;
    AudioFileFacts& facts_;
    Seams seams_;
    FileImportLinks links_;
    LibraryManager rules_;
    TableGridModel* scanModel_ = nullptr;
    TableGridModel* libraryModel_ = nullptr;
    GroupedGridModel* groupedModel_ = nullptr;
    GroupByPanel* groupPanel_ = nullptr;
    DescriptionPreviewDelegate* descriptionPreview_ = nullptr;
    QTableView* dxgScan = nullptr;
    QTableView* dxgLibrary = nullptr;
    PropertyInspector* inspector_ = nullptr;
    QComboBox* cbSearch = nullptr;
    std::string mountTable_ = MountTablePath;
    QPointer<LibraryAnalysisProgress> analysisProgress_;
    bool autoScanRequested_ = false;
    bool shownOnce_ = false;
};

} // namespace corvane
