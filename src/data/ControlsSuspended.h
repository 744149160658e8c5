#pragma once

#include "data/Table.h"

namespace corvane {

// Keeps a table's grids from redrawing while several rows change, and lets
// them redraw once afterwards, also after an error.
class ControlsSuspended {
public:
    explicit ControlsSuspended(Table& table) : table_(table) { table_.DisableControls(); }
    ~ControlsSuspended() { table_.EnableControls(); }
    ControlsSuspended(const ControlsSuspended&) = delete;
    ControlsSuspended& operator=(const ControlsSuspended&) = delete;

private:
    Table& table_;
};

} // namespace corvane
