#pragma once

#include "data/FieldDef.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corvane {

class Table;

// Hears every row posted or deleted through any cursor over a table's rows
// (not loads or emptying, which replace the rows as a whole): `before` is
// the row as it was (nullptr for a new row), `after` as it is now (nullptr
// for a deleted row). Called on the main thread right after the change, with
// the row's identity (its bookmark); it must not throw.
class RowChangeListener {
public:
    virtual ~RowChangeListener() = default;
    virtual void RowChanged(uint64_t row, const std::vector<Value>* before,
                            const std::vector<Value>* after) = 0;
};

// One row: a value for every field of the table (lookup and calculated
// fields keep an empty slot). `seq` numbers rows in the order they were
// created; it is the row's identity for bookmarks and breaks ties in sorted
// orders, so that rows with equal keys keep insertion order.
struct TableRow {
    uint64_t seq = 0;
    std::vector<Value> values;
};

// The rows of a table and what its file keeps beside them, shared by every
// cursor over them (the table and its clones). Main thread only.
struct TableStorage {
    FieldDefs defs;
    std::vector<std::unique_ptr<TableRow>> rows; // natural order ("as added")
    int64_t nextAutoInc = 1;
    uint64_t nextSeq = 1;
    bool changesPending = false;
    // Rises with every change of the rows, so that cursors and caches can tell
    // when their view is out of date.
    uint64_t version = 0;
    std::vector<Table*> cursors;
    RowChangeListener* rowListener = nullptr;

    TableRow& AddRow(std::vector<Value> values) {
        rows.push_back(std::make_unique<TableRow>(TableRow{nextSeq++, std::move(values)}));
        return *rows.back();
    }
};

} // namespace corvane
