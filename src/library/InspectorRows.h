#pragma once

#include <string>
#include <vector>

namespace corvane {

class Table;

// How a property inspector shows and edits one field of a table's current row.
enum class InspectorRowKind {
    Plain,    // text
    DropDown, // a lookup field: one of the lookup table's result values
    CheckBox, // a one-character flag: "T" ticked, "F" cleared
    Currency, // a money amount
    Memo,     // long text
    Date,     // a date-time
};

enum class RowAccess { Editable, ReadOnly };

struct InspectorRow {
    std::string field;
    std::string caption;
    InspectorRowKind kind = InspectorRowKind::Plain;
    RowAccess access = RowAccess::Editable;
};

// One row per field of the table, in field order (hidden fields too),
// captioned with the field's display label (its name when it has none).
std::vector<InspectorRow> BuildInspectorRows(Table& table);

// The rows for the named fields, in the order given; fields named in
// `readOnly` cannot be edited. A name the table lacks gives no row.
std::vector<InspectorRow> InspectorRowsFor(Table& table, const std::vector<std::string>& fields,
                                           const std::vector<std::string>& readOnly = {});

// The values a drop-down row offers: the lookup table's result field, each
// value once, in the lookup table's order.
std::vector<std::string> DropDownChoices(Table& table, const InspectorRow& row);

// The text the inspector shows for the row's field on the current row.
std::string InspectorText(Table& table, const InspectorRow& row);

// Stores an edit of one row into the current row. A table being edited or
// inserted keeps its state (the operator saves or cancels it); a browsing
// table is put into editing, changed and posted at once. An empty text
// clears the field; a drop-down writes the key that gives the chosen value.
// Read-only rows are never written. Errors of the table reach the caller;
// a failed post is cancelled so the row is left as it was.
void WriteInspectorText(Table& table, const InspectorRow& row, const std::string& text);

} // namespace corvane
