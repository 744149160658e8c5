#pragma once

#include "data/ControlsSuspended.h"
#include "data/Table.h"

#include <functional>

namespace corvane {

// Returns a table to the row it was on when the scope began (if that row is
// still there), also after an error.
class RememberedRow {
public:
    explicit RememberedRow(Table& table)
        : table_(table), row_(table.Active() && !table.IsEmpty() ? table.GetBookmark() : 0) {}
    ~RememberedRow() {
        if (row_ && table_.Active())
            table_.GotoBookmark(row_);
    }
    RememberedRow(const RememberedRow&) = delete;
    RememberedRow& operator=(const RememberedRow&) = delete;

private:
    Table& table_;
    Bookmark row_;
};

// The hourglass for the length of a scope, through the window's own switch
// (empty: no cursor to change).
class BusyScope {
public:
    explicit BusyScope(const std::function<void(bool busy)>& setBusy) : setBusy_(setBusy) {
        if (setBusy_)
            setBusy_(true);
    }
    ~BusyScope() {
        if (setBusy_)
            setBusy_(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const std::function<void(bool busy)>& setBusy_;
};

} // namespace corvane
