#pragma once

#include "data/FieldDef.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corvane {

class Table;

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

    TableRow& AddRow(std::vector<Value> values) {
        rows.push_back(std::make_unique<TableRow>(TableRow{nextSeq++, std::move(values)}));
        return *rows.back();
    }
};

} // namespace corvane
