#include "library/ui/TfrmQelScanLocal.h"

#include "library/MountedDrives.h"
#include "platform/ExceptionGuard.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {
namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int FilledRole = Qt::UserRole + 1;
constexpr int NetworkRole = Qt::UserRole + 2;

QTreeWidgetItem* FolderItem(const QString& path, const QString& caption) {
    auto* item = new QTreeWidgetItem({caption});
    item->setData(0, PathRole, path);
    // The folder's own sub-folders are listed when it is first opened.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

} // namespace

TfrmQelScanLocal::TfrmQelScanLocal(TdmQelData& data, AudioFileFacts& facts, Dispatcher& dispatcher,
                                   QWidget* parent, std::string mountTable)
    : QDialog(parent), mountTable_(std::move(mountTable)) {
    setObjectName("frmQelScanLocal");
    setWindowTitle("Auto-Scan: Find Files [Local Drives]");
    auto* layout = new QVBoxLayout(this);
    auto* split = new QSplitter(Qt::Horizontal, this);
    tree_ = new QTreeWidget(split);
    tree_->setObjectName("tvFolders");
    tree_->header()->hide();
    found_ = new QPlainTextEdit(split);
    found_->setObjectName("mmFound");
    found_->setReadOnly(true);
    found_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(split, 1);
    chkNetwork = new QCheckBox("&Show Network Drives", this);
    chkNetwork->setObjectName("chkShowNetworkDrives");
    progress_ = new QLabel(this);
    progress_->setObjectName("lblProgress");
    btnImport = new QPushButton("Import All Audio", this);
    btnImport->setObjectName("btnImportAllAudio");
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    auto* row = new QHBoxLayout;
    row->addWidget(chkNetwork);
    row->addWidget(progress_, 1);
    row->addWidget(btnImport);
    row->addWidget(btnCancel);
    layout->addLayout(row);

    AutoScan::View view;
    view.ListFound = [this](const std::string& path) {
        found_->appendPlainText(QString::fromStdString(path));
    };
    view.ShowProgress = [this](int folders, int files) {
        progress_->setText(QString("%1 folders searched, %2 files recorded").arg(folders).arg(files));
    };
    view.Finished = [this](ScanOutcome outcome) {
        btnImport->setEnabled(true);
        if (outcome == ScanOutcome::Complete) {
            accept();
        } else {
            progress_->setText("Scan cancelled");
        }
    };
    scan_ = std::make_unique<AutoScan>(data, facts, dispatcher, std::move(view));

    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { FillChildren(item); });
    connect(chkNetwork, &QCheckBox::toggled, this,
            [this] { Guarded("chkShowNetworkDrives", [&] { ShowDrives(); }); });
    connect(btnImport, &QPushButton::clicked, this,
            [this] { Guarded("btnImportAllAudio", [&] { ImportAllAudio(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmQelScanLocal::reject);
    ShowDrives();
    resize(640, 420);
}

TfrmQelScanLocal::~TfrmQelScanLocal() = default;

void TfrmQelScanLocal::ShowDrives() {
    // Drop the network drives, then add the drives the tick asks for.
    for (int i = tree_->topLevelItemCount() - 1; i >= 0; --i)
        if (tree_->topLevelItem(i)->data(0, NetworkRole).toBool())
            delete tree_->takeTopLevelItem(i);
    const bool withNetwork = chkNetwork->isChecked();
    const bool first = tree_->topLevelItemCount() == 0;
    for (const MountedDrive& drive : MountedDrives(mountTable_)) {
        const bool network = drive.kind == DriveKind::Network;
        if ((network && !withNetwork) || (!network && !first))
            continue;
        const QString path = QString::fromStdString(drive.folder);
        QTreeWidgetItem* item = FolderItem(path, path);
        item->setData(0, NetworkRole, network);
        tree_->addTopLevelItem(item);
    }
}

void TfrmQelScanLocal::FillChildren(QTreeWidgetItem* item) {
    if (item->data(0, FilledRole).toBool())
        return;
    item->setData(0, FilledRole, true);
    const QDir dir(item->data(0, PathRole).toString());
    for (const QFileInfo& sub :
         dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        item->addChild(FolderItem(sub.absoluteFilePath(), sub.fileName()));
    if (item->childCount() == 0)
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void TfrmQelScanLocal::SelectFolder(const QString& folder) {
    QTreeWidgetItem* item = FolderItem(folder, folder);
    tree_->addTopLevelItem(item);
    tree_->setCurrentItem(item);
}

QString TfrmQelScanLocal::SelectedFolder() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    return item ? item->data(0, PathRole).toString() : QString();
}

void TfrmQelScanLocal::ImportAllAudio() {
    const QString folder = SelectedFolder();
    if (folder.isEmpty() || scan_->Running())
        return;
    found_->clear();
    progress_->setText("Scanning " + folder + " ...");
    btnImport->setEnabled(false);
    scan_->ImportAllAudio(folder.toStdString());
}

void TfrmQelScanLocal::CancelScan() {
    scan_->Cancel();
}

void TfrmQelScanLocal::reject() {
    if (scan_->Running()) {
        CancelScan();
        return;
    }
    QDialog::reject();
}

QStringList TfrmQelScanLocal::FoundPaths() const {
    return found_->toPlainText().split('\n', Qt::SkipEmptyParts);
}

QString TfrmQelScanLocal::ProgressText() const {
    return progress_->text();
}

} // namespace corvane
