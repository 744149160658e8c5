#include "library/ui/TfrmQelParameterBrowse.h"

#include "data/Table.h"
#include "data/ui/TableGridModel.h"
#include "library/InspectorRows.h"
#include "library/ui/PropertyInspector.h"
#include "platform/ExceptionGuard.h"

#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace corvane {

TfrmQelParameterBrowse::TfrmQelParameterBrowse(Table& table, QWidget* parent)
    : QDialog(parent), table_(table) {
    setObjectName("frmQelParameterBrowse");
    setWindowTitle("Browse Parameters");
    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    QMenu* file = menuBar->addMenu("&File");
    file->setObjectName("mnuFile");

    auto* bar = new QToolBar("Parameter Maintenance", this);
    bar->setObjectName("tbParameterMaintenance");
    layout->addWidget(bar);
    const auto browse = [this] {
        if (table_.State() != TableState::Browse)
            table_.Post();
    };
    AddCommand(bar, "navFirst", "First", [this, browse] {
        browse();
        table_.First();
    });
    AddCommand(bar, "navPrior", "Prior", [this, browse] {
        browse();
        table_.Prior();
    });
    AddCommand(bar, "navNext", "Next", [this, browse] {
        browse();
        table_.Next();
    });
    AddCommand(bar, "navLast", "Last", [this, browse] {
        browse();
        table_.Last();
    });
    AddCommand(bar, "navInsert", "Insert", [this] { table_.Append(); });
    AddCommand(bar, "navDelete", "Delete", [this] {
        if (table_.State() != TableState::Browse)
            table_.Cancel();
        if (!table_.IsEmpty())
            table_.Delete();
    });
    AddCommand(bar, "navEdit", "Edit", [this] { table_.Edit(); });
    AddCommand(bar, "navPost", "Sa&ve", [this] {
        if (table_.State() != TableState::Browse)
            table_.Post();
    });
    AddCommand(bar, "navCancel", "Cancel", [this] {
        if (table_.State() != TableState::Browse)
            table_.Cancel();
    });
    AddCommand(bar, "navRefresh", "Refresh", [this] { inspector_->Refresh(); });
    bar->addSeparator();
    QAction* close = AddCommand(bar, "btnClose", "&Close", [this] { this->close(); });
    file->addAction(close);

    auto* split = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(split, 1);
    grid_ = new QTableView(split);
    grid_->setObjectName("dxgParameters");
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    model_ = new TableGridModel(table_, {}, this);
    grid_->setModel(model_);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { model_->MakeCurrent(current.row()); });
    connect(model_, &TableGridModel::CurrentRowMoved, this, [this](int row) {
        if (row >= 0 && grid_->currentIndex().row() != row)
            grid_->setCurrentIndex(model_->index(row, 0));
    });
    inspector_ = new PropertyInspector(table_, "dxInspector", split);
    split->addWidget(grid_);
    split->addWidget(inspector_);

    const auto popup = [this](QWidget* on, const char* name,
                              std::initializer_list<std::pair<const char*, QString>> items) {
        auto* menu = new QMenu(on);
        menu->setObjectName(name);
        for (const auto& item : items) {
            const char* command = item.first;
            const QString& caption = item.second;
            QAction* action = menu->addAction(caption);
            action->setObjectName(command);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            on->addAction(action);
            const bool add = QString(command).startsWith("actAdd");
            action->setShortcut(add ? QKeySequence(Qt::Key_Insert) : QKeySequence());
            connect(action, &QAction::triggered, this, [this, add, command] {
                Guarded(command, [&] { add ? table_.Append() : table_.Edit(); });
            });
        }
        on->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(on, &QWidget::customContextMenuRequested, menu,
                [menu, on](const QPoint& at) { menu->popup(on->mapToGlobal(at)); });
        return menu;
    };
    popup(inspector_, "pmInspector",
          {{"actAddInspectorItem", "&Add New Item"}, {"actEditInspectorItem", "&Edit Selected Item"}});
    QMenu* gridMenu =
        popup(grid_, "pmGrid", {{"actAddGridItem", "&Add New Item"}, {"actEditGridItem", "&Edit Item"}});
    gridMenu->actions().at(1)->setShortcut(QKeySequence(Qt::Key_Return));
    resize(640, 400);
}

TfrmQelParameterBrowse::~TfrmQelParameterBrowse() {
    // The model and the inspector listen to the table, which outlives the window.
    grid_->setModel(nullptr);
    delete model_;
    delete inspector_;
}

QAction* TfrmQelParameterBrowse::AddCommand(QToolBar* bar, const char* name, const QString& caption,
                                            std::function<void()> work) {
    QAction* action = bar->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [name, work = std::move(work)] { Guarded(name, work); });
    return action;
}

QAction* TfrmQelParameterBrowse::Command(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void TfrmQelParameterBrowse::done(int result) {
    Guarded("frmQelParameterBrowse", [&] {
        if (table_.State() != TableState::Browse)
            table_.Post();
    });
    QDialog::done(result);
}

void TfrmQelParameterBrowse::Browse(Table& table, QWidget* parent) {
    if (!table.Active())
        table.Open();
    TfrmQelParameterBrowse window(table, parent);
    window.Inspector().SetRows(BuildInspectorRows(table));
    window.exec();
}

} // namespace corvane
