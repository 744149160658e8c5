#pragma once

#include "data/FieldDef.h"

#include <string>
#include <string_view>

namespace corvane {

class Table;

// Access to one field of a table's current row (or of the row being edited).
// Reading an empty field gives 0, 0.0, false or "" from the typed readers;
// IsNull tells empty from zero. Writing needs the table in edit or insert
// state and converts the value to the field's type, raising EDatabaseError
// when it does not fit. Main thread.
class Field {
public:
    Field(Table& table, int index) : table_(&table), index_(index) {}

    const FieldDef& Def() const;
    const std::string& FieldName() const { return Def().name; }
    FieldType DataType() const { return Def().type; }
    FieldKind Kind() const { return Def().kind; }
    int Size() const { return Def().size; }
    int Index() const { return index_; }
    Table& Owner() const { return *table_; }

    bool IsNull() const;
    Value AsVariant() const;
    std::string AsString() const;
    int AsInteger() const;
    int64_t AsLargeInt() const;
    double AsFloat() const;
    TDateTime AsDateTime() const { return AsFloat(); }
    bool AsBoolean() const;

    void SetAsVariant(const Value& value);
    void SetAsString(std::string_view value);
    void SetAsInteger(int64_t value);
    void SetAsFloat(double value);
    void SetAsDateTime(TDateTime value) { SetAsFloat(value); }
    void SetAsBoolean(bool value);
    void Clear();

private:
    Table* table_;
    int index_;
};

} // namespace corvane
