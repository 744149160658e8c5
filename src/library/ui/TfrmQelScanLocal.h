#pragma once

#include "library/AutoScan.h"
#include "library/MountedDrives.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

class AudioFileFacts;
class Dispatcher;
class TdmQelData;

// "Auto-Scan: Find Files [Local Drives]": the folder tree of the fixed
// drives (network drives too while "&Show Network Drives" is ticked), the
// list of audio files found, "Import All Audio" and "Cancel". The scan runs
// off the main thread with a running count; "Cancel" stops a scan under way,
// and closes the dialog otherwise. A finished scan closes it with OK. The
// drives come from the mount table `mountTable`; a mount table that cannot
// be read leaves no tree to offer, and the dialog is not made (its
// constructor raises the reason).
class TfrmQelScanLocal final : public QDialog {
    Q_OBJECT
public:
    TfrmQelScanLocal(TdmQelData& data, AudioFileFacts& facts, Dispatcher& dispatcher,
                     QWidget* parent = nullptr, std::string mountTable = MountTablePath);
    ~TfrmQelScanLocal() override;

    QTreeWidget& FolderTree() { return *tree_; }
    // Selects the folder in the tree (adding it under its drive when needed
    // is not done: it is added as a top item if no drive holds it).
    void SelectFolder(const QString& folder);
    QString SelectedFolder() const;
    void ImportAllAudio();
    void CancelScan();
    AutoScan& Scan() { return *scan_; }
    QStringList FoundPaths() const;
    QString ProgressText() const;

protected:
    void reject() override;

private:
    void ShowDrives();
    void FillChildren(QTreeWidgetItem* item);

    std::string mountTable_;
    std::unique_ptr<AutoScan> scan_;
    QTreeWidget* tree_ = nullptr;
    QCheckBox* chkNetwork = nullptr;
    QPlainTextEdit* found_ = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* btnImport = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace corvane
