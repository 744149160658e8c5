#include "console/ui/SpeedSearchPage.h"

#include "library/ui/LibraryGridModel.h"
#include "platform/qt/ConsoleCommands.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStorageInfo>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace corvane {
namespace {

// The grid's own commands: their shortcuts work while the grid has the focus,
// so that the two "Add Selected File(s)" commands can share Ctrl+Enter.
void OfferCommands(QAbstractItemView& view, ConsoleCommands& commands,
                   std::initializer_list<const char*> names) {
    auto* menu = new QMenu(&view);
    for (const char* name : names) {
        QAction* action = commands.Command(name);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view.addAction(action);
        menu->addAction(action);
    }
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&view, &QWidget::customContextMenuRequested, &view,
                     [&view, menu](const QPoint& at) { menu->popup(view.viewport()->mapToGlobal(at)); });
}

std::vector<int> SelectedRowsInOrder(const QAbstractItemView& view) {
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

SpeedSearchPage::SpeedSearchPage(Table& library, ConsoleCommands& commands, QWidget* parent)
    : QWidget(parent) {
    setObjectName("tsSpeedSearch");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* edge = new QVBoxLayout;
    btnLibrary = new QToolButton(this);
    btnLibrary->setObjectName("btnLibrary");
    btnLibrary->setText("Library");
    btnDiskBrowser = new QToolButton(this);
    btnDiskBrowser->setObjectName("btnDiskBrowser");
    btnDiskBrowser->setText("Disk");
    auto* group = new QButtonGroup(this);
    for (QToolButton* button : {btnLibrary, btnDiskBrowser}) {
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        group->addButton(button);
        edge->addWidget(button);
    }
    edge->addStretch(1);
    layout->addLayout(edge);

    pnlSpeedSearch = new QStackedWidget(this);
    pnlSpeedSearch->setObjectName("pnlSpeedSearch");
    pnlSpeedSearch->addWidget(BuildLibraryPanel(commands));
    pnlSpeedSearch->addWidget(BuildDiskBrowser(commands));
    layout->addWidget(pnlSpeedSearch, 1);

    libraryModel_ = new LibraryGridModel(library, this);
    dxgSpeedSearch->setModel(libraryModel_);
    connect(dxgSpeedSearch->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { libraryModel_->MakeCurrent(current.row()); });
    connect(btnLibrary, &QToolButton::clicked, this, [this] { ShowPanel(Panel::Library); });
    connect(btnDiskBrowser, &QToolButton::clicked, this, [this] { ShowPanel(Panel::DiskBrowser); });
    ShowPanel(Panel::Library);
}

QWidget* SpeedSearchPage::BuildLibraryPanel(ConsoleCommands& commands) {
    dxgSpeedSearch = new QTableView(this);
    dxgSpeedSearch->setObjectName("dxgSpeedSearch");
    dxgSpeedSearch->setSelectionBehavior(QAbstractItemView::SelectRows);
    dxgSpeedSearch->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dxgSpeedSearch->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dxgSpeedSearch->setDragEnabled(true);
    dxgSpeedSearch->setDragDropMode(QAbstractItemView::DragOnly);
    dxgSpeedSearch->verticalHeader()->hide();
    dxgSpeedSearch->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    OfferCommands(*dxgSpeedSearch, commands, {"actAddSelectedTitles"});
    return dxgSpeedSearch;
}

QWidget* SpeedSearchPage::BuildDiskBrowser(ConsoleCommands& commands) {
    auto* panel = new QWidget(this);
    panel->setObjectName("pnlDiskBrowser");
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;
    cbDrive = new QComboBox(panel);
    cbDrive->setObjectName("cbDrive");
    left->addWidget(cbDrive);
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath("/");
    rzDir = new QTreeView(panel);
    rzDir->setObjectName("rzDir");
    rzDir->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        rzDir->hideColumn(column);
    rzDir->setHeaderHidden(true);
    left->addWidget(rzDir, 1);
    layout->addLayout(left, 1);

    files_ = new QStandardItemModel(0, 2, this);
    files_->setHorizontalHeaderLabels({"Name", "Size"});
    rzFiles = new QTreeView(panel);
    rzFiles->setObjectName("rzFiles");
    rzFiles->setRootIsDecorated(false);
    rzFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rzFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    rzFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rzFiles->setModel(files_);
    OfferCommands(*rzFiles, commands, {"actAddSelectedFiles", "actSelectAllFiles"});
    layout->addWidget(rzFiles, 2);

    FillDriveBox();
    connect(cbDrive, &QComboBox::activated, this,
            [this](int index) { SetFolder(cbDrive->itemText(index).toStdString()); });
    connect(rzDir->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowFilesOf(folders_->filePath(current)); });
    return panel;
}

// The mounted volumes stand in for drives: each one's root folder.
void SpeedSearchPage::FillDriveBox() {
    QStringList roots{"/"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    std::sort(roots.begin(), roots.end());
    cbDrive->addItems(roots);
}

void SpeedSearchPage::ShowPanel(Panel panel) {
    pnlSpeedSearch->setCurrentIndex(panel == Panel::Library ? 0 : 1);
    btnLibrary->setChecked(panel == Panel::Library);
    btnDiskBrowser->setChecked(panel == Panel::DiskBrowser);
}

SpeedSearchPage::Panel SpeedSearchPage::CurrentPanel() const {
    return pnlSpeedSearch->currentIndex() == 0 ? Panel::Library : Panel::DiskBrowser;
}

std::vector<Bookmark> SpeedSearchPage::SelectedTitles() const {
    return libraryModel_->Bookmarks(dxgSpeedSearch->selectionModel()->selectedRows());
}

std::string SpeedSearchPage::Folder() const {
    const QModelIndex current = rzDir->currentIndex();
    return current.isValid() ? folders_->filePath(current).toStdString() : std::string();
}

bool SpeedSearchPage::SetFolder(const std::string& folder) {
    const QString path = QString::fromStdString(folder);
    if (!QDir(path).exists())
        return false;
    const QModelIndex index = folders_->index(path);
    if (!index.isValid())
        return false;
    rzDir->setCurrentIndex(index);
    rzDir->scrollTo(index);
    ShowFilesOf(path);
    return true;
}

// The folder's audio files, read when the folder is chosen. Patterns match
// without regard to letter case ("SONG.MP3" is listed too).
void SpeedSearchPage::ShowFilesOf(const QString& folder) {
    files_->removeRows(0, files_->rowCount());
    if (folder.isEmpty())
        return;
    const QFileInfoList found =
        QDir(folder).entryInfoList({"*.mp3", "*.wav"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : found) {
        auto* name = new QStandardItem(file.fileName());
        auto* size = new QStandardItem(QLocale().formattedDataSize(file.size()));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        for (QStandardItem* item : {name, size})
            item->setEditable(false);
        files_->appendRow({name, size});
    }
}

std::vector<std::string> SpeedSearchPage::SelectedFileNames() const {
    std::vector<std::string> names;
    for (const int row : SelectedRowsInOrder(*rzFiles))
        names.push_back(files_->item(row, 0)->text().toStdString());
    return names;
}

} // namespace corvane
