#include "data/Field.h"

#include "data/DataErrors.h"
#include "data/Table.h"

namespace corvane {

const FieldDef& Field::Def() const {
    return table_->storage_->defs[static_cast<size_t>(index_)];
}

bool Field::IsNull() const {
    return corvane::IsNull(table_->ReadValue(index_));
}

Value Field::AsVariant() const {
    return table_->ReadValue(index_);
}

std::string Field::AsString() const {
    return ValueText(table_->ReadValue(index_), Def().type);
}

int64_t Field::AsLargeInt() const {
    const Value v = ConvertValue(table_->ReadValue(index_), FieldType::LargeInt, Def().name);
    return corvane::IsNull(v) ? 0 : std::get<int64_t>(v);
}

int Field::AsInteger() const {
    const Value v = ConvertValue(table_->ReadValue(index_), FieldType::Integer, Def().name);
    return corvane::IsNull(v) ? 0 : static_cast<int>(std::get<int64_t>(v));
}

double Field::AsFloat() const {
    const Value raw = table_->ReadValue(index_);
    // A date-time field's text form is read back as a date-time, not a number.
    const Value v = ConvertValue(raw, IsFloatType(Def().type) ? Def().type : FieldType::Float, Def().name);
    return corvane::IsNull(v) ? 0.0 : std::get<double>(v);
}

bool Field::AsBoolean() const {
    const Value v = ConvertValue(table_->ReadValue(index_), FieldType::Boolean, Def().name);
    return corvane::IsNull(v) ? false : std::get<bool>(v);
}

void Field::SetAsVariant(const Value& value) {
    table_->WriteValue(index_, value);
}
void Field::SetAsString(std::string_view value) {
    table_->WriteValue(index_, std::string(value));
}
void Field::SetAsInteger(int64_t value) {
    table_->WriteValue(index_, value);
}
void Field::SetAsFloat(double value) {
    table_->WriteValue(index_, value);
}
void Field::SetAsBoolean(bool value) {
    table_->WriteValue(index_, value);
}
void Field::Clear() {
    table_->WriteValue(index_, std::monostate{});
}

} // namespace corvane
