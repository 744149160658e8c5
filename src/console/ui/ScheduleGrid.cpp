#include "console/ui/ScheduleGrid.h"

#include "console/ui/ScheduleGridModel.h"
#include "console/ui/ScheduleRowDelegate.h"

#include <QHeaderView>
#include <QTableView>

namespace corvane {

ScheduleGridWidgets BuildScheduleGrid(QWidget& parent, Table& schedule) {
    auto* grid = new QTableView(&parent);
    grid->setObjectName("dxgSchedule");
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionsMovable(true);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* model = new ScheduleGridModel(schedule, &parent);
    grid->setModel(model);
    auto* rows = new ScheduleRowDelegate(*grid);
    grid->setItemDelegate(rows);
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
                     [model](const QModelIndex& current) { model->MakeCurrent(current.row()); });
    QObject::connect(model, &ScheduleGridModel::CurrentRowMoved, grid, [grid, model](int row) {
        // The grid follows the table's cursor without touching the operator's selection.
        if (row >= 0 && grid->currentIndex().row() != row)
            grid->selectionModel()->setCurrentIndex(model->index(row, 0), QItemSelectionModel::NoUpdate);
    });
    return {*grid, *model, *rows};
}

} // namespace corvane
