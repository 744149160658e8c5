#pragma once

#include "platform/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace corvane {

// The kinds of values a field holds. Integer is 32-bit, LargeInt 64-bit;
// Date, Time and DateTime are TDateTime days; Memo is text of any length; Blob
// is raw bytes.
enum class FieldType { String, Memo, Integer, LargeInt, Float, Boolean, Date, Time, DateTime, AutoInc, Blob };

// A field's value. std::monostate is the empty (NULL) value, distinct from 0
// and from "". Integer kinds hold int64_t, Float and the date-time kinds
// double, Boolean bool, text and blobs std::string.
using Value = std::variant<std::monostate, int64_t, double, bool, std::string>;

enum class CaseSensitivity { Sensitive, Insensitive };

inline bool IsNull(const Value& v) {
    return std::holds_alternative<std::monostate>(v);
}

bool IsIntegerType(FieldType type);
bool IsFloatType(FieldType type); // Float and the date-time kinds
bool IsTextType(FieldType type);  // String, Memo, Blob

// The names used in files and by the command-line tool ("String", "AutoInc", …).
const char* FieldTypeName(FieldType type);
std::optional<FieldType> FieldTypeFromName(std::string_view name);

// Converts `v` to the form a field of `type` holds: text is parsed, numbers are
// range-checked. An empty text gives the empty value. Throws EDatabaseError
// naming `fieldName` when the value does not fit.
Value ConvertValue(const Value& v, FieldType type, std::string_view fieldName);

// The text form of a value of a field of `type` ("" for empty).
std::string ValueText(const Value& v, FieldType type);

// Orders two values of the same field: empty first, then by value; text
// optionally without regard to (ASCII) letter case.
int CompareValues(const Value& a, const Value& b, CaseSensitivity sensitivity);

int CompareText(std::string_view a, std::string_view b, CaseSensitivity sensitivity);
std::string FoldCase(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

} // namespace corvane
