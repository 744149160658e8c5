#include "library/InspectorRows.h"

#include "data/Table.h"

#include <algorithm>
#include <set>

namespace corvane {
namespace {

bool MarksMoney(const std::string& displayFormat) {
    // A money field is shown with its currency sign in its display format.
    return displayFormat.find_first_of("$\xA3") != std::string::npos ||
           displayFormat.find("\xE2\x82\xAC") != std::string::npos; // the euro sign in UTF-8
}

InspectorRowKind KindOf(const FieldDef& def) {
    if (def.kind == FieldKind::Lookup)
        return InspectorRowKind::DropDown;
    switch (def.type) {
    case FieldType::String:
        return def.size == 1 ? InspectorRowKind::CheckBox : InspectorRowKind::Plain;
    case FieldType::Float:
        return MarksMoney(def.displayFormat) ? InspectorRowKind::Currency : InspectorRowKind::Plain;
    case FieldType::Memo:
        return InspectorRowKind::Memo;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        return InspectorRowKind::Date;
    default:
        return InspectorRowKind::Plain;
    }
}

InspectorRow RowOf(const FieldDef& def) {
    InspectorRow row;
    row.field = def.name;
    row.caption = def.displayLabel.empty() ? def.name : def.displayLabel;
    row.kind = KindOf(def);
    // Calculated values are the table's to compute.
    if (def.kind == FieldKind::Calculated || def.readOnly)
        row.access = RowAccess::ReadOnly;
    return row;
}

} // namespace

std::vector<InspectorRow> BuildInspectorRows(Table& table) {
    std::vector<InspectorRow> rows;
    for (const FieldDef& def : table.FieldDefinitions())
        rows.push_back(RowOf(def));
    return rows;
}

std::vector<InspectorRow> InspectorRowsFor(Table& table, const std::vector<std::string>& fields,
                                           const std::vector<std::string>& readOnly) {
    std::vector<InspectorRow> rows;
    const auto& defs = table.FieldDefinitions();
    for (const std::string& name : fields) {
        const int index = table.FieldIndex(name);
        if (index < 0)
            continue;
        InspectorRow row = RowOf(defs[static_cast<size_t>(index)]);
        if (std::find(readOnly.begin(), readOnly.end(), name) != readOnly.end())
            row.access = RowAccess::ReadOnly;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> DropDownChoices(Table& table, const InspectorRow& row) {
    std::vector<std::string> choices;
    const int index = table.FieldIndex(row.field);
    if (index < 0)
        return choices;
    const LookupSource& source = table.FieldDefinitions()[static_cast<size_t>(index)].lookup;
    if (!source.table || !source.table->Active())
        return choices;
    // A second cursor, so that listing the choices never moves the lookup
    // table's own cursor.
    Table rows(source.table->Name() + "Choices");
    rows.CloneCursor(*source.table);
    std::set<std::string> seen;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        std::string value = rows.FieldByName(source.resultField).AsString();
        if (seen.insert(value).second)
            choices.push_back(std::move(value));
    }
    return choices;
}

std::string InspectorText(Table& table, const InspectorRow& row) {
    if (!table.Active() || (table.IsEmpty() && table.State() == TableState::Browse))
        return {};
    return table.FieldByName(row.field).AsString();
}

void WriteInspectorText(Table& table, const InspectorRow& row, const std::string& text) {
    if (row.access == RowAccess::ReadOnly || !table.Active())
        return;
    const bool browsing = table.State() == TableState::Browse;
    if (browsing) {
        if (table.IsEmpty())
            return;
        table.Edit();
    }
    try {
        Field& field = table.FieldByName(row.field);
        if (row.kind == InspectorRowKind::DropDown) {
            const LookupSource& source = field.Def().lookup;
            const Value key = source.table->Lookup(source.resultField, Value{text}, source.keyField);
            Field& sourceField = table.FieldByName(source.sourceField);
            if (IsNull(key))
                sourceField.Clear();
            else
                sourceField.SetAsVariant(key);
        } else if (text.empty()) {
            field.Clear();
        } else {
            field.SetAsString(text);
        }
        if (browsing)
            table.Post();
    } catch (...) {
        if (browsing)
            table.Cancel();
        throw;
    }
}

} // namespace corvane
