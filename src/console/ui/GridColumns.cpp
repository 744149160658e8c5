#include "console/ui/GridColumns.h"

namespace corvane {

GridColumns GridColumns::Of(const FieldDefs& defs) {
    GridColumns columns;
    for (size_t i = 0; i < defs.size(); ++i) {
        if (defs[i].hidden)
            continue;
        columns.fieldIndexes.push_back(static_cast<int>(i));
        columns.fieldNames << QString::fromStdString(defs[i].name);
        columns.headers << QString::fromStdString(defs[i].displayLabel.empty() ? defs[i].name
                                                                               : defs[i].displayLabel);
    }
    return columns;
}

} // namespace corvane
