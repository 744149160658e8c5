#pragma once

namespace corvane {

class Table;

// What a grid or a detail table hears of a table. Main thread. While the
// table's display is suspended nothing is sent; resuming sends one
// TableDataChanged.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    // Rows, order, filter or open state changed: show everything again.
    virtual void TableDataChanged(Table&) {}
    // The current row moved to another row.
    virtual void TableScrolled(Table&) {}
    // The state (browse, edit, insert) changed or a field of the row being
    // edited was set.
    virtual void TableStateChanged(Table&) {}
};

} // namespace corvane
