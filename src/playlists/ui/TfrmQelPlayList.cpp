#include "playlists/ui/TfrmQelPlayList.h"

#include "data/TdmQelData.h"
#include "data/ui/TableGridModel.h"
#include "platform/ExceptionGuard.h"
#include "playlists/ui/RecentPlayListMenu.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <memory>
#include <set>
#include <stdexcept>

namespace corvane {
namespace {

// How long a long add or generation may hold the main thread before the
// posted work of the sound output and the painting get their turn (ms).
constexpr qint64 PumpIntervalMs = 50;

QTableView* TitleGrid(const char* name, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    return grid;
}

PlayListManagerHost ManagerHost(TfrmQelPlayList& window, const std::function<void()>& keepResponsive,
                                const std::function<void(bool)>& setBusy) {
    PlayListManagerHost host;
    host.RefreshRecentPlayLists = [&window] { window.RefreshRecentPlayLists(); };
    host.CaptionChanged = [&window] {
        window.setWindowTitle(QString::fromStdString(window.Manager().Caption()));
    };
    host.SetBusy = setBusy;
    host.KeepResponsive = keepResponsive;
    host.ClearLibrarySelection = [&window] { window.LibraryGrid().clearSelection(); };
    host.AskNumberOfSongs = [&window](const std::string& caption,
                                      const std::string& initial) -> std::optional<std::string> {
        bool ok = false;
        const QString answer = QInputDialog::getText(&window, QString::fromStdString(caption), QString(),
                                                     QLineEdit::Normal, QString::fromStdString(initial), &ok);
        if (!ok)
            return std::nullopt;
        return answer.toStdString();
    };
    return host;
}

} // namespace

TfrmQelPlayList::TfrmQelPlayList(TdmQelData& data, Seams seams, const ConsoleTools& tools,
                                 std::function<void(const std::string& topic)> showHelpTopic,
                                 GenerateOnOpen generate, QWidget* parent)
    : QDialog(parent), data_(data), tools_(tools), showHelpTopic_(std::move(showHelpTopic)),
      manager_(data, seams,
               ManagerHost(
                   *this,
                   [] {
                       // The operator's own input waits until the work is done.
                       static QElapsedTimer sincePump;
                       if (sincePump.isValid() && sincePump.elapsed() < PumpIntervalMs)
                           return;
                       QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                       sincePump.start();
                   },
                   [this](bool busy) { SetBusy(busy); })),
      generatePending_(generate == GenerateOnOpen::Yes) {
    setObjectName("frmQelPlayList");
    setWindowTitle(PlayListManager::ManagerCaption);
    setModal(true);
    resize(780, 480);
    manager_.Prepare();

    BuildCommands();
    BuildGrids();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    BuildMenus();
    auto* bar = new QToolBar(this);
    bar->setObjectName("tbPlayList");
    BuildToolBar(*bar);
    layout->addWidget(bar);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(dxgLibrary);
    splitter->addWidget(dxgPlayList);
    layout->addWidget(splitter, 1);
    RefreshRecentPlayLists();
    ShowCaption();
}

TfrmQelPlayList::~TfrmQelPlayList() {
    // The models listen to tables that outlive the window.
    dxgLibrary->setModel(nullptr);
    dxgPlayList->setModel(nullptr);
    delete libraryModel_;
    delete playListModel_;
}

QAction* TfrmQelPlayList::Command(const QString& name) const {
    QAction* action = commands_.value(name);
    if (!action)
        throw std::out_of_range("No playlist manager command \"" + name.toStdString() + "\"");
    return action;
}

QAction* TfrmQelPlayList::AddCommand(const char* name, const QString& caption, const QKeySequence& shortcut,
                                     std::function<void()> work) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [name, work = std::move(work)] { Guarded(name, work); });
    commands_.insert(name, action);
    return action;
}

void TfrmQelPlayList::BuildCommands() {
    PlayListManager& m = manager_;
    AddCommand("actNew", "&New", {}, [&m] { m.New(); });
    AddCommand("actNewPlayList", "&New Playlist", {}, [&m] { m.New(); });
    AddCommand("actOpen", "&Open", {}, [&m] { m.Open(); });
    AddCommand("actOpenPlayList", "&Open Playlist", {}, [&m] { m.Open(); });
    AddCommand("actClosePlayList", "C&lose Playlist", {}, [&m] { m.ClosePlayList(); });
    AddCommand("actSave", "&Save", {}, [&m] { m.Save(); });
    AddCommand("actSaveMenu", "&Save", {}, [&m] { m.Save(); });
    AddCommand("actClose", "&Close", {}, [this] { reject(); });
    AddCommand("actAutoGenerate", "Auto Generate ", {}, [&m] { m.AutoGenerate(); });
    AddCommand("actGeneratePlayList", "&Generate Play List", {}, [this] {
        SetBusy(true);
        struct Restore {
            TfrmQelPlayList& w;
            ~Restore() { w.SetBusy(false); }
        } restore{*this};
        manager_.GeneratePlayList(10);
    });
    AddCommand("actAddSong", "&Add Song", {}, [this] { manager_.AddSongs(SelectedLibraryRows()); });
    AddCommand("actAddSongs", "&Add Song(s)", QKeySequence(Qt::Key_Return),
               [this] { manager_.AddSongs(SelectedLibraryRows()); });
    AddCommand("actRemoveSong", "&Remove Song", QKeySequence(Qt::Key_Delete), [&m] { m.RemoveSong(); });
    AddCommand("actRemoveSongToolbar", "&Remove Song", {}, [&m] { m.RemoveSong(); });
    AddCommand("actPlayLibrarySong", "&Play Selected Song", QKeySequence(Qt::Key_Space),
               [this] { Preview(manager_.LibraryTitleFile()); });
    AddCommand("actPlayPlayListSong", "&Play Selected Song", QKeySequence(Qt::Key_Space),
               [this] { Preview(manager_.PlayListTitleFile()); });
    AddCommand("actHelp", "&Help", {}, [this] {
        if (showHelpTopic_)
            showHelpTopic_("PlayListManager");
    });
    AddCommand("actTitleDetails", "&Title Details", QKeySequence(Qt::Key_F11), [this] {
        if (tools_.ShowTitleDetails)
            tools_.ShowTitleDetails(*this);
    });
    Command("actTitleDetails")->setEnabled(static_cast<bool>(tools_.ShowTitleDetails));
    const bool previewer = static_cast<bool>(tools_.PreviewAudio);
    Command("actPlayLibrarySong")->setEnabled(previewer);
    Command("actPlayPlayListSong")->setEnabled(previewer);
    Command("actHelp")->setEnabled(static_cast<bool>(showHelpTopic_));
}

void TfrmQelPlayList::BuildMenus() {
    auto* menuBar = findChild<QMenuBar*>();
    QMenu* file = menuBar->addMenu("&File");
    file->setObjectName("mnuFile");
    file->addAction(Command("actNewPlayList"));
    file->addAction(Command("actOpenPlayList"));
    file->addAction(Command("actClosePlayList"));
    file->addAction(Command("actSaveMenu"));
    mnuRecent = file->addMenu("&Recent");
    mnuRecent->setObjectName("mnuRecent");
    file->addSeparator();
    file->addAction(Command("actClose"));
    QMenu* actions = menuBar->addMenu("&Actions");
    actions->setObjectName("mnuActions");
    actions->addAction(Command("actGeneratePlayList"));
    QMenu* view = menuBar->addMenu("&View");
    view->setObjectName("mnuView");
    view->addAction(Command("actTitleDetails"));

    auto* libraryPopup = new QMenu(this);
    libraryPopup->setObjectName("pmLibrary");
    libraryPopup->addAction(Command("actAddSongs"));
    libraryPopup->addAction(Command("actPlayLibrarySong"));
    auto* playListPopup = new QMenu(this);
    playListPopup->setObjectName("pmPlayList");
    playListPopup->addAction(Command("actRemoveSong"));
    playListPopup->addAction(Command("actPlayPlayListSong"));
    // The pop-up menus' keys act on their own grid.
    for (QAction* action : {Command("actAddSongs"), Command("actPlayLibrarySong")}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        dxgLibrary->addAction(action);
    }
    for (QAction* action : {Command("actRemoveSong"), Command("actPlayPlayListSong")}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        dxgPlayList->addAction(action);
    }
    connect(dxgLibrary, &QWidget::customContextMenuRequested, this, [this, libraryPopup](const QPoint& at) {
        libraryPopup->popup(dxgLibrary->viewport()->mapToGlobal(at));
    });
    connect(dxgPlayList, &QWidget::customContextMenuRequested, this, [this, playListPopup](const QPoint& at) {
        playListPopup->popup(dxgPlayList->viewport()->mapToGlobal(at));
    });
}

void TfrmQelPlayList::BuildToolBar(QWidget& widget) {
    auto& bar = static_cast<QToolBar&>(widget);
    bar.setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar.addAction(Command("actNew"));
    bar.addAction(Command("actOpen"));
    bar.addAction(Command("actSave"));
    bar.addSeparator();
    cbSearch = new QComboBox(&bar);
    cbSearch->setObjectName("cbSearch");
    cbSearch->setToolTip("&Search");
    cbSearch->setMinimumContentsLength(24);
    cbSearch->setInsertPolicy(QComboBox::NoInsert);
    FillSearchBox();
    connect(cbSearch, &QComboBox::activated, this, [this](int index) { FindTitle(index); });
    bar.addWidget(cbSearch);
    bar.addSeparator();
    bar.addAction(Command("actAutoGenerate"));
    bar.addAction(Command("actAddSong"));
    bar.addAction(Command("actRemoveSongToolbar"));
    bar.addSeparator();
    bar.addAction(Command("actHelp"));
}

namespace {

// Title rows dragged between the manager's grids carry only their kind: what
// they are is taken from the source grid's selection.
TableGridModel::RowDrag TitleRowsDrag() {
    return {TfrmQelPlayList::TitleRowsMimeType,
            [](const std::vector<Bookmark>&) {
                auto mime = std::make_unique<QMimeData>();
                mime->setData(TfrmQelPlayList::TitleRowsMimeType, {});
                return mime;
            },
            true};
}

} // namespace

void TfrmQelPlayList::BuildGrids() {
    dxgLibrary = TitleGrid("dxgLibrary", this);
    dxgLibrary->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dxgLibrary->setDragEnabled(true);
    dxgLibrary->setDragDropMode(QAbstractItemView::DragOnly);
    libraryModel_ =
        new TableGridModel(data_.cdsAudioLibrary, {{"TitleName", "Audio Library"}}, nullptr, TitleRowsDrag());
    dxgLibrary->setModel(libraryModel_);
    FollowCursor(*dxgLibrary, *libraryModel_);

    dxgPlayList = TitleGrid("dxgPlayList", this);
    dxgPlayList->setSelectionMode(QAbstractItemView::SingleSelection);
    dxgPlayList->setAcceptDrops(true);
    dxgPlayList->setDragDropMode(QAbstractItemView::DropOnly);
    // Drops reach the viewport first; it takes them here, before the view's own handling.
    dxgPlayList->viewport()->setAcceptDrops(true);
    dxgPlayList->viewport()->installEventFilter(this);
    playListModel_ =
        new TableGridModel(data_.cdsPlayList, {{"TitleName", "Play List"}}, nullptr, TitleRowsDrag());
    dxgPlayList->setModel(playListModel_);
    FollowCursor(*dxgPlayList, *playListModel_);
}

// The table's cursor follows the grid's current row, so the commands act on
// the row the operator sees.
void TfrmQelPlayList::FollowCursor(QTableView& grid, TableGridModel& model) {
    connect(grid.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [&model](const QModelIndex& current) { model.MakeCurrent(current.row()); });
    connect(&model, &TableGridModel::CurrentRowMoved, this, [&grid, &model](int row) {
        if (row >= 0)
            grid.selectionModel()->setCurrentIndex(model.index(row, 0), QItemSelectionModel::NoUpdate);
    });
}

void TfrmQelPlayList::FillSearchBox() {
    cbSearch->clear();
    Table& library = data_.cdsAudioLibrary;
    if (!library.Active())
        return;
    Table titles("cdsAudioLibrarySearch");
    titles.CloneCursor(library);
    QStringList names;
    for (titles.First(); !titles.Eof(); titles.Next())
        names.push_back(QString::fromStdString(titles.FieldByName("TitleName").AsString()));
    cbSearch->addItems(names);
    cbSearch->setCurrentIndex(-1);
}

// Choosing a title in "&Search" shows it in the library grid, selected, ready
// to be added.
void TfrmQelPlayList::FindTitle(int index) {
    Guarded("cbSearch", [&] {
        if (index < 0 || index >= libraryModel_->rowCount())
            return;
        const QModelIndex row = libraryModel_->index(index, 0);
        dxgLibrary->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        dxgLibrary->scrollTo(row);
    });
}

void TfrmQelPlayList::ShowCaption() {
    setWindowTitle(QString::fromStdString(manager_.Caption()));
}

void TfrmQelPlayList::RefreshRecentPlayLists() {
    FillRecentPlayListMenu(
        *mnuRecent, manager_.RecentEntries(), RecentClearItem::Offered,
        [this](const std::string& path) { manager_.OpenRecent(path); },
        [this] { manager_.ClearRecentList(); });
}

void TfrmQelPlayList::Preview(const std::string& path) {
    if (tools_.PreviewAudio && !path.empty())
        tools_.PreviewAudio(path, PreviewMode::Play);
}

std::vector<Bookmark> TfrmQelPlayList::SelectedLibraryRows() const {
    std::set<int> rows;
    for (const QModelIndex& index : dxgLibrary->selectionModel()->selectedRows())
        rows.insert(index.row());
    std::vector<Bookmark> bookmarks;
    for (const int row : rows)
        if (const Bookmark b = libraryModel_->BookmarkAt(row))
            bookmarks.push_back(b);
    return bookmarks;
}

void TfrmQelPlayList::SetBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmQelPlayList::reject() {
    bool mayClose = false;
    Guarded("frmQelPlayList", [&] { mayClose = manager_.ClosePlayList(); });
    if (mayClose)
        QDialog::reject();
}

void TfrmQelPlayList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!generatePending_)
        return;
    generatePending_ = false;
    // Once the window is up, so the operator sees what he is asked about.
    QTimer::singleShot(0, this, [this] { Command("actAutoGenerate")->trigger(); });
}

// Library rows dragged from the library grid and dropped on the play list.
bool TfrmQelPlayList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != dxgPlayList->viewport())
        return QDialog::eventFilter(watched, event);
    // Only the library grid gives rows of this kind; what they are is its selection.
    const auto fromLibrary = [](const QDropEvent& drop) {
        return drop.mimeData()->hasFormat(TitleRowsMimeType);
    };
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (fromLibrary(*drag))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (fromLibrary(*drop)) {
            drop->acceptProposedAction();
            Command("actAddSongs")->trigger();
        }
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TfrmQelPlayList::OpenPlayListManager(TdmQelData& data, Seams seams, const ConsoleTools& tools,
                                          std::function<void(const std::string& topic)> showHelpTopic,
                                          GenerateOnOpen generate, QWidget* parent) {
    TfrmQelPlayList window(data, seams, tools, std::move(showHelpTopic), generate, parent);
    window.exec();
}

} // namespace corvane
