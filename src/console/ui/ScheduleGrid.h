#pragma once

class QTableView;
class QWidget;

namespace corvane {

class ScheduleGridModel;
class ScheduleRowDelegate;
class Table;

// The console's schedule grid "dxgSchedule" over the schedule table: whole
// rows are selected and never edited in place, columns may be moved, rows are
// painted by the row delegate, the pop-up menu is asked for, and the grid and
// the table's cursor follow each other. Main thread.
struct ScheduleGridWidgets {
    QTableView& view;
    ScheduleGridModel& model;
    ScheduleRowDelegate& rows;
};

// The grid, its model and its row painter, all owned by `parent`.
ScheduleGridWidgets BuildScheduleGrid(QWidget& parent, Table& schedule);

} // namespace corvane
