#include "rack/ui/TfrmQelFileList.h"

#include "data/TdmQelData.h"
#include "data/ui/TableGridModel.h"
#include "platform/ExceptionGuard.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTableView>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane {

TfrmQelFileList::TfrmQelFileList(Seams seams, TdmQelData& data,
                                 std::function<void(const std::string&)> preview, QWidget* parent)
    : QDialog(parent), seams_(seams), data_(data),
      rules_(data, seams.prompter, seams.fileDialogs,
             {[this](const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); },
              std::move(preview)}) {
    setObjectName("frmQelFileList");
    setWindowTitle(RackManager::ManagerCaption);
    setAcceptDrops(true);
    if (!data_.cdsFileList.Active())
        data_.cdsFileList.CreateDataSet();

    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    QMenu* file = menuBar->addMenu("&File");
    file->addAction(AddCommand("actNewRack", "&New Rack", &TfrmQelFileList::New));
    file->addAction(AddCommand("actOpenRack", "&Open Rack", &TfrmQelFileList::Open));
    file->addAction(AddCommand("actSaveRack", "&Save Rack", &TfrmQelFileList::Save));
    file->addAction(AddCommand("actCloseRack", "C&lose Audio Rack", &TfrmQelFileList::CloseRack));
    file->addSeparator();
    file->addAction(AddCommand("actClose", "&Close", &TfrmQelFileList::CloseManager));

    auto* tools = new QToolBar(this);
    tools->setObjectName("tbRack");
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tools->addAction(AddCommand("btnNew", "&New", &TfrmQelFileList::New));
    tools->addAction(AddCommand("btnOpen", "&Open", &TfrmQelFileList::Open));
    tools->addAction(AddCommand("btnSave", "&Save", &TfrmQelFileList::Save));
    tools->addSeparator();
    tools->addAction(AddCommand("btnAddSong", "&Add Song", &TfrmQelFileList::Add));
    tools->addAction(AddCommand("btnRemoveSong", "&Remove Song", &TfrmQelFileList::Remove));
    layout->addWidget(tools);

    model_ = new TableGridModel(data_.cdsFileList, {{"LocalPathToFile", "Filename", true}}, this);
    grid_ = new QTableView(this);
    grid_->setObjectName("dxgFileList");
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->hide();
    grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
    QAction* addSongs = AddCommand("actAddSongs", "&Add Song(s)", &TfrmQelFileList::Add);
    addSongs->setShortcut(Qt::Key_Insert);
    addSongs->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QAction* play = AddCommand("actPlaySelected", "&Play Selected Song", &TfrmQelFileList::PlaySelected);
    play->setShortcut(Qt::Key_Space);
    play->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grid_->addAction(addSongs);
    grid_->addAction(play);
    layout->addWidget(grid_, 1);

    connect(model_, &TableGridModel::RowEdited, this, [this] { rules_.RowEdited(); });
    connect(model_, &TableGridModel::CurrentRowMoved, this, [this] { FollowCursor(); });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { model_->MakeCurrent(current.row()); });
    connect(grid_, &QTableView::doubleClicked, this,
            [this] { Guarded("dxgFileList", [&] { rules_.PlaySelected(); }); });
    resize(520, 360);
}

TfrmQelFileList::~TfrmQelFileList() {
    // The model listens to cdsFileList, which outlives the window.
    grid_->setModel(nullptr);
    delete model_;
}

QAction* TfrmQelFileList::AddCommand(const char* name, const QString& caption,
                                     void (TfrmQelFileList::*handler)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this,
            [this, handler, name] { Guarded(name, [&] { (this->*handler)(); }); });
    return action;
}

QAction* TfrmQelFileList::Command(const char* name) const {
    return findChild<QAction*>(name);
}

// The grid shows the table's current row after every reload.
void TfrmQelFileList::FollowCursor() {
    const int row = model_->CurrentRow();
    if (row >= 0)
        grid_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                            QItemSelectionModel::Rows);
}

void TfrmQelFileList::DeleteWithConfirmation() {
    if (seams_.prompter.Show("Delete record?", MessageType::Confirmation, MessageButtons::OkCancel) ==
        MessageAnswer::Ok)
        rules_.Remove();
}

void TfrmQelFileList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        Guarded("dxgFileList", [&] { DeleteWithConfirmation(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmQelFileList::reject() {
    bool close = true;
    Guarded("frmQelFileList", [&] { close = rules_.CanClose(); });
    if (close)
        QDialog::reject();
}

void TfrmQelFileList::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmQelFileList::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    Guarded("frmQelFileList", [&] { rules_.AddDropped(paths); });
    event->acceptProposedAction();
}

} // namespace corvane
