#pragma once

#include "data/FieldDef.h"

#include <QStringList>
#include <vector>

namespace corvane {

// The columns a grid shows of a table: every field not marked hidden, in
// field order, with its caption (the display label, else the field's name).
struct GridColumns {
    QStringList fieldNames;
    QStringList headers;
    std::vector<int> fieldIndexes; // each column's field in the table

    static GridColumns Of(const FieldDefs& defs);
};

} // namespace corvane
