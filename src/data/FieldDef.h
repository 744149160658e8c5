#pragma once

#include "data/Value.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class Table;

// Data fields are stored; lookup fields are read from another table by key;
// calculated fields are computed for each row by the table's OnCalcFields rule.
enum class FieldKind { Data, Lookup, Calculated };

// Where a lookup field takes its value: the row of `table` whose `keyField`
// equals this table's `sourceField` gives `resultField`.
struct LookupSource {
    std::string sourceField;
    Table* table = nullptr;
    std::string keyField;
    std::string resultField;
};

// One field of a table. `size` is the declared width of String fields (a
// longer text is kept whole, never cut).
struct FieldDef {
    std::string name;
    FieldType type = FieldType::String;
    int size = 0;
    FieldKind kind = FieldKind::Data;
    bool required = false;
    bool readOnly = false;
    bool hidden = false; // stored, but not shown in grids
    std::string displayLabel;
    std::string displayFormat;
    LookupSource lookup;

    bool Stored() const { return kind == FieldKind::Data; }

    FieldDef& Hide() { return hidden = true, *this; }
    FieldDef& Label(std::string label) { return displayLabel = std::move(label), *this; }
    FieldDef& Format(std::string format) { return displayFormat = std::move(format), *this; }
    FieldDef& Calculated() { return kind = FieldKind::Calculated, *this; }
    FieldDef& LookupFrom(std::string sourceField, Table& table, std::string keyField,
                         std::string resultField) {
        kind = FieldKind::Lookup;
        lookup = {std::move(sourceField), &table, std::move(keyField), std::move(resultField)};
        return *this;
    }
};

inline FieldDef MakeField(std::string name, FieldType type, int size = 0) {
    FieldDef def;
    def.name = std::move(name);
    def.type = type;
    def.size = size;
    return def;
}

using FieldDefs = std::vector<FieldDef>;

// Whether a name can be stored in both file forms: a letter or '_' followed by
// letters, digits, '_', '-' or '.', and not "RowState" (which data packets use
// for themselves).
bool IsStorableFieldName(std::string_view name);

} // namespace corvane
