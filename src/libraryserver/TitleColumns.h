#pragma once

#include "data/FieldDef.h"
#include "libraryserver/PgConnection.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The library's stored fields as the server's "titles" table holds them: one
// column per field, named as the field (letter case kept), in a type that
// keeps the value exactly (text, bigint, double precision, boolean, bytea).
class TitleColumns {
public:
    explicit TitleColumns(const FieldDefs& libraryFields);

    const FieldDefs& Fields() const { return fields_; }
    // The position of a field among Fields(); -1 when it is not stored.
    int IndexOf(std::string_view name) const;
    int Key() const { return key_; }
    // The quoted column names, comma separated, in the order of Fields().
    const std::string& List() const { return list_; }
    // The SQL type of a field's column.
    static const char* SqlType(FieldType type);

    // A value in the server's text form (nullopt for the empty value).
    static PgParam ToText(const Value& value, FieldType type);
    // The server's text back as the value of a field of `type`.
    static Value FromText(std::string_view text, FieldType type);

    // The fields that are play statistics: sent as increments, never as edits.
    static constexpr const char* TimesPlayed = "TimesPlayed";
    static constexpr const char* LastPlayed = "LastPlayed";
    static constexpr const char* TitleID = "TitleID";

private:
    FieldDefs fields_;
    std::string list_;
    int key_ = -1;
};

} // namespace corvane
