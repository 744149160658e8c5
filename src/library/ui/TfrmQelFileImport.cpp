#include "library/ui/TfrmQelFileImport.h"

#include "data/TdmQelData.h"
#include "library/InspectorRows.h"
#include "library/LibraryAnalysis.h"
#include "library/ui/DescriptionPreviewDelegate.h"
#include "library/ui/GroupByPanel.h"
#include "library/ui/GroupRowDelegate.h"
#include "library/ui/GroupedGridModel.h"
#include "library/ui/LibraryAnalysisProgress.h"
#include "library/ui/PropertyInspector.h"
#include "library/ui/TfrmQelAudioVerify.h"
#include "library/ui/TfrmQelScanLocal.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace corvane {
namespace {

QTableView* Grid(const char* name, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

// Keeps a grid and its model's table cursor together in both directions.
template <typename Model> void FollowCursor(QTableView* grid, Model* model) {
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [model](const QModelIndex& current) { model->MakeCurrent(current.row()); });
    QObject::connect(model, &Model::CurrentRowMoved, grid, [grid, model](int row) {
        if (row >= 0 && grid->currentIndex().row() != row)
            grid->selectionModel()->setCurrentIndex(model->index(row, 0), QItemSelectionModel::NoUpdate);
    });
}

// The rows selected in a grid, as bookmarks of its table.
template <typename Model> std::vector<Bookmark> Selected(QTableView& grid, Model& model) {
    return model.Bookmarks(grid.selectionModel()->selectedRows());
}

// Suspends the updates of a grid while a scope runs.
class GridUpdatesHeld {
public:
    explicit GridUpdatesHeld(QWidget& grid) : grid_(grid) { grid_.setUpdatesEnabled(false); }
    ~GridUpdatesHeld() { grid_.setUpdatesEnabled(true); }
    GridUpdatesHeld(const GridUpdatesHeld&) = delete;
    GridUpdatesHeld& operator=(const GridUpdatesHeld&) = delete;

private:
    QWidget& grid_;
};

// "&Search": the library's titles by name. They are read on demand like the
// grid's rows, and listed only once the drop-down is first opened, so that a
// large library costs nothing until the operator searches.
class TitleSearchBox final : public QComboBox {
public:
    TitleSearchBox(Table& library, QWidget* parent) : QComboBox(parent), library_(library) {
        // Sizing to the contents would read every title.
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(24);
    }
    TableGridModel& Titles() {
        if (!titles_) {
            titles_ = new TableGridModel(library_, {{"TitleName"}}, this);
            setModel(titles_);
            setCurrentIndex(-1);
        }
        return *titles_;
    }
    void showPopup() override {
        Titles();
        QComboBox::showPopup();
    }

private:
    Table& library_;
    TableGridModel* titles_ = nullptr;
};

} // namespace

TfrmQelFileImport::TfrmQelFileImport(TdmQelData& data, AudioFileFacts& facts, Seams seams,
                                     FileImportLinks links, QWidget* parent)
    : QMainWindow(parent, Qt::Window), data_(data), facts_(facts), seams_(seams), links_(std::move(links)),
      rules_(data, facts, seams, links_.rules) {
    // The library manager opens in the middle of the screen.
    PlaceWhenFirstShown(*this, Placement::ScreenCentre);
    setObjectName("frmQelFileImport");
    setWindowTitle("Audio Library - [File Import]");
    setAttribute(Qt::WA_DeleteOnClose);
    const bool scanRows = rules_.Open();

    auto* split = new QSplitter(Qt::Horizontal, this);
    dxgScan = Grid("dxgFileScan", split);
    scanModel_ = new TableGridModel(data_.cdsFileScan, {{"PathToFile"}}, this);
    scanModel_->SetCaption(0, "Files to Import");
    dxgScan->setModel(scanModel_);
    FollowCursor(dxgScan, scanModel_);

    auto* right = new QSplitter(Qt::Vertical, split);
    auto* libraryPane = new QWidget(right);
    auto* libraryLayout = new QVBoxLayout(libraryPane);
    libraryLayout->setContentsMargins(0, 0, 0, 0);
    libraryLayout->setSpacing(0);
    dxgLibrary = Grid("dxgAudioLibrary", libraryPane);
    libraryModel_ = new TableGridModel(data_.cdsAudioLibrary,
                                       {{"TitleID"}, {"TitleName"}, {"TitleComposer"}, {"TitleArtistName"}},
                                       this, links_.drag);
    groupedModel_ = new GroupedGridModel(*libraryModel_, this);
    dxgLibrary->setModel(groupedModel_);
    dxgLibrary->setDragEnabled(static_cast<bool>(links_.drag.pack));
    dxgLibrary->setDragDropMode(QAbstractItemView::DragOnly);
    descriptionPreview_ = new DescriptionPreviewDelegate(data_.cdsAudioLibrary, *groupedModel_, nullptr);
    dxgLibrary->setItemDelegate(new GroupRowDelegate(*dxgLibrary, descriptionPreview_));
    FollowCursor(dxgLibrary, groupedModel_);
    groupPanel_ = new GroupByPanel(*dxgLibrary, *groupedModel_, libraryPane);
    libraryLayout->addWidget(groupPanel_);
    libraryLayout->addWidget(dxgLibrary, 1);

    inspector_ = new PropertyInspector(data_.cdsAudioLibrary, "dxInspector", right);
    inspector_->SetRows(
        InspectorRowsFor(data_.cdsAudioLibrary,
                         {"TitleID",
                          "TitleName",
                          "TitleDescription",
                          "TitleComposer",
                          "TitleArtistName",
                          "TitleDiscID",
                          "TitleReleaseYear",
                          "TitleHighestChartPosition",
                          "TitleChartYear",
                          "NetworkPathToFile",
                          "Category",
                          "Tempo",
                          "TimesPlayed",
                          "Rating",
                          "Notes",
                          "Status",
                          "UploadDate",
                          "TitleDuration",
                          "TitleOutroDuration",
                          "TitleIntroDuration",
                          "LocalPathToFile",
                          "LastPlayed",
                          "OutroType",
                          "Interpret",
                          "TitleGenre",
                          "TitlePublisher",
                          "TitleTrackNo",
                          "TitleLabel",
                          "TitleAlbum"},
                         {"TimesPlayed", "Status", "UploadDate", "TitleDuration", "LastPlayed"}));
    inspector_->AddRowButton("LocalPathToFile", "\u25B6",
                             [this] { rules_.PlayTitle(LibraryManager::PlayFrom::DoubleClick); });
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    right->setSizes({360, 240});
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    setCentralWidget(split);

    BuildMenus();
    SetScanListShown(scanRows);
    connect(dxgScan, &QTableView::doubleClicked, this,
            [this] { Guarded("dxgFileScan", [&] { rules_.PlayScanEntry(); }); });
    connect(dxgLibrary, &QTableView::doubleClicked, this, [this](const QModelIndex& at) {
        // A group row opens or closes instead (its panel handles that).
        if (!groupedModel_->IsGroupRow(at.row()))
            Guarded("dxgAudioLibrary", [&] { rules_.PlayTitle(LibraryManager::PlayFrom::DoubleClick); });
    });
    resize(900, 600);
}

TfrmQelFileImport::~TfrmQelFileImport() {
    // The models and the inspector listen to tables that outlive the window.
    dxgScan->setModel(nullptr);
    dxgLibrary->setModel(nullptr);
    delete scanModel_;
    delete groupedModel_;
    delete libraryModel_;
    delete inspector_;
}

void TfrmQelFileImport::AnalyseLibrary() {
    if (links_.analysis == nullptr)
        return;
    if (!analysisProgress_) {
        analysisProgress_ = new LibraryAnalysisProgress(*links_.analysis, this);
        analysisProgress_->show();
        analysisProgress_->Start();
    }
    if (analysisProgress_) {
        analysisProgress_->raise();
        analysisProgress_->activateWindow();
    }
}

QAction* TfrmQelFileImport::AddCommand(const char* name, const QString& caption, const QKeySequence& key,
                                       std::function<void()> work) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!key.isEmpty())
        action->setShortcut(key);
    connect(action, &QAction::triggered, this, [name, work = std::move(work)] { Guarded(name, work); });
    return action;
}

void TfrmQelFileImport::BuildMenus() {
    QAction* close = AddCommand("actClose", "&Close", {}, [this] { this->close(); });
    QAction* autoScan = AddCommand("actAutoScan", "&AutoScan Upload Audio Files", {}, [this] { AutoScan(); });
    QAction* manual = AddCommand("actManualUpload", "&Manually Upload Audio File", {},
                                 [this] { rules_.UploadAudioFile(); });
    QAction* upload =
        AddCommand("actUploadAudioFile", "&Upload Audio File", {}, [this] { rules_.UploadAudioFile(); });
    QAction* verify = AddCommand("actVerificationReport", "&Audio File Verification Report", {},
                                 [this] { RunVerificationReport(); });
    QAction* analyse = AddCommand("actAnalyseLibrary", "Analyse &Library", {}, [this] { AnalyseLibrary(); });
    analyse->setVisible(links_.analysis != nullptr);
    QAction* pending = AddCommand("actFilesPendingUpload", "&Files Pending Upload", {}, [this] {
        SetScanListShown(Command("actFilesPendingUpload")->isChecked());
    });
    pending->setCheckable(true);
    // Every row is one line high, or two with the description: set as the
    // rows' common height, since sizing each row to its contents would read
    // every title of a large library.
    const int lineHeight = dxgLibrary->verticalHeader()->defaultSectionSize();
    QAction* preview =
        AddCommand("actLongDescriptionPreview", "Long Description Preview", {}, [this, lineHeight] {
            dxgLibrary->verticalHeader()->setDefaultSectionSize(DescriptionPreviewShown() ? 2 * lineHeight
                                                                                          : lineHeight);
            dxgLibrary->viewport()->update();
        });
    preview->setCheckable(true);
    descriptionPreview_->SetShown([preview] { return preview->isChecked(); });

    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(close);
    QMenu* actions = menuBar()->addMenu("&Actions");
    actions->addActions({autoScan, manual});
    QMenu* utilities = menuBar()->addMenu("&Utilities");
    utilities->addActions({verify, analyse});
    QMenu* view = menuBar()->addMenu("&View");
    view->addActions({pending, preview});

    // The grids' own menus; their keys act while the grid has the focus.
    const auto gridMenu = [](QTableView* grid, std::initializer_list<QAction*> items) {
        auto* menu = new QMenu(grid);
        for (QAction* item : items) {
            item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            grid->addAction(item);
            menu->addAction(item);
        }
        connect(grid, &QWidget::customContextMenuRequested, menu,
                [menu, grid](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
    };
    gridMenu(dxgScan, {AddCommand("actAddFilesToLibrary", "&Add File(s) to Library", Qt::Key_Return,
                                  [this] {
                                      GridUpdatesHeld held(*dxgScan);
                                      GridUpdatesHeld libraryHeld(*dxgLibrary);
                                      rules_.ImportScanEntries(Selected(*dxgScan, *scanModel_));
                                      dxgScan->clearSelection();
                                  }),
                       AddCommand("actRemoveFiles", "&Remove File(s)", Qt::Key_Delete,
                                  [this] {
                                      rules_.RemoveScanEntries(Selected(*dxgScan, *scanModel_));
                                      dxgScan->clearSelection();
                                  }),
                       AddCommand("actPlayScanEntry", "&Play Selected", Qt::Key_Space,
                                  [this] { rules_.PlayScanEntry(); })});
    gridMenu(dxgLibrary,
             {AddCommand("actPlayTitle", "&Play Selected", Qt::Key_Space,
                         [this] {
                             if (ChosenTitles())
                                 rules_.PlayTitle(LibraryManager::PlayFrom::Menu);
                         }),
              AddCommand("actRemoveTitles", "&Remove from Audio Library", Qt::Key_Delete,
                         [this] {
                             if (const auto titles = ChosenTitles())
                                 rules_.RemoveTitles(*titles);
                             dxgLibrary->clearSelection();
                         }),
              AddCommand("actAddToSchedule", "&Add Selected File(s) to Playout Schedule", Qt::Key_F9, [this] {
                  if (const auto titles = ChosenTitles(); titles && links_.AddTitlesToSchedule)
                      links_.AddTitlesToSchedule(*titles, [this] { dxgLibrary->clearSelection(); });
              })});
    Command("actAddToSchedule")->setEnabled(static_cast<bool>(links_.AddTitlesToSchedule));

    QToolBar* bar = addToolBar("Audio Library");
    bar->setObjectName("tbAudioLibrary");
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(upload);
    cbSearch = new TitleSearchBox(data_.cdsAudioLibrary, bar);
    cbSearch->setObjectName("cbSearch");
    cbSearch->setToolTip("Search Library for Specific Audio File");
    // "&Search": a placeholder shows the caption without its accelerator.
    cbSearch->setPlaceholderText("Search");
    cbSearch->setMinimumWidth(220);
    bar->addWidget(cbSearch);
    QAction* help = AddCommand("actHelp", "&Help", {}, [this] {
        if (links_.ShowHelpTopic)
            links_.ShowHelpTopic("AudioLibraryManager");
    });
    help->setEnabled(static_cast<bool>(links_.ShowHelpTopic));
    bar->addAction(help);
    // Choosing a title makes it the library's current title, and the grid's
    // highlighted row with it (its groups opened), so that the grid and the
    // inspector name the same title.
    connect(cbSearch, &QComboBox::activated, this, [this](int index) {
        const Bookmark row = static_cast<TitleSearchBox*>(cbSearch)->Titles().BookmarkAt(index);
        Guarded("cbSearch", [&] {
            if (!row || data_.cdsAudioLibrary.State() != TableState::Browse)
                return;
            data_.cdsAudioLibrary.GotoBookmark(row);
            const int shown = groupedModel_->RevealCurrentRow();
            if (shown < 0)
                return;
            const QModelIndex found = groupedModel_->index(shown, 0);
            dxgLibrary->selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect |
                                                                     QItemSelectionModel::Rows);
            dxgLibrary->scrollTo(found);
        });
    });
}

QAction* TfrmQelFileImport::Command(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void TfrmQelFileImport::SetScanListShown(bool shown) {
    dxgScan->setVisible(shown);
    Command("actFilesPendingUpload")->setChecked(shown);
}

bool TfrmQelFileImport::ScanListShown() const {
    return !dxgScan->isHidden();
}

bool TfrmQelFileImport::DescriptionPreviewShown() const {
    return Command("actLongDescriptionPreview")->isChecked();
}

std::optional<std::vector<Bookmark>> TfrmQelFileImport::ChosenTitles() {
    std::vector<Bookmark> titles = Selected(*dxgLibrary, *groupedModel_);
    if (!groupedModel_->IsGroupRow(dxgLibrary->currentIndex().row()))
        return titles;
    // On a group row the library's current title is not one the operator
    // sees chosen: a single selected title becomes current, and with none
    // there is nothing to act on.
    if (titles.empty())
        return std::nullopt;
    if (titles.size() == 1 && data_.cdsAudioLibrary.State() == TableState::Browse)
        data_.cdsAudioLibrary.GotoBookmark(titles.front());
    return titles;
}

void TfrmQelFileImport::RunModal(QDialog& dialog) {
    if (OnDialogShown)
        QTimer::singleShot(0, &dialog, [this, &dialog] { OnDialogShown(dialog); });
    dialog.exec();
}

void TfrmQelFileImport::AutoScan() {
    {
        GridUpdatesHeld scanHeld(*dxgScan);
        GridUpdatesHeld libraryHeld(*dxgLibrary);
        std::unique_ptr<TfrmQelScanLocal> dialog;
        try {
            dialog = std::make_unique<TfrmQelScanLocal>(data_, facts_, seams_.dispatcher, this, mountTable_);
        } catch (...) {
            // The operator is told in the dialog's place, the reason goes to
            // the exception log, and the manager goes on.
            data_.LogException("frmQelScanLocal", std::current_exception());
            seams_.prompter.Show(ErrorCreatingForm, MessageType::Information, MessageButtons::Ok);
        }
        if (dialog)
            RunModal(*dialog);
    }
    if (!ScanListShown() && rules_.ScanListHasRows())
        SetScanListShown(true);
}

void TfrmQelFileImport::RunVerificationReport() {
    TfrmQelAudioVerify dialog(data_.cdsAudioLibrary, seams_.dispatcher, this);
    RunModal(dialog);
}

void TfrmQelFileImport::AutoScanWhenShown() {
    // A manager already up scans at once, once the caller is done with it.
    if (shownOnce_)
        QTimer::singleShot(0, this, [this] { Guarded("frmQelFileImport", [&] { AutoScan(); }); });
    else
        autoScanRequested_ = true;
}

void TfrmQelFileImport::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (autoScanRequested_) {
        autoScanRequested_ = false;
        QTimer::singleShot(0, this, [this] { Guarded("frmQelFileImport", [&] { AutoScan(); }); });
    }
}

void TfrmQelFileImport::closeEvent(QCloseEvent* event) {
    Guarded("frmQelFileImport", [&] { rules_.Close(); });
    QMainWindow::closeEvent(event);
}

} // namespace corvane
