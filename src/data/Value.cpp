#include "data/Value.h"

#include "data/DataErrors.h"
#include "data/DateTimeText.h"
#include "data/FieldDef.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace corvane {
namespace {

struct TypeName {
    FieldType type;
    const char* name;
};
constexpr std::array<TypeName, 11> TypeNames{{{FieldType::String, "String"},
                                              {FieldType::Memo, "Memo"},
                                              {FieldType::Integer, "Integer"},
                                              {FieldType::LargeInt, "LargeInt"},
                                              {FieldType::Float, "Float"},
                                              {FieldType::Boolean, "Boolean"},
                                              {FieldType::Date, "Date"},
                                              {FieldType::Time, "Time"},
                                              {FieldType::DateTime, "DateTime"},
                                              {FieldType::AutoInc, "AutoInc"},
                                              {FieldType::Blob, "Blob"}}};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

[[noreturn]] void NotValid(std::string_view text, const char* kind, std::string_view fieldName) {
    throw EDatabaseError("'" + std::string(text) + "' is not a valid " + kind + " value for field '" +
                         std::string(fieldName) + "'");
}

Value IntegerInRange(int64_t n, FieldType type, std::string_view fieldName) {
    if (type != FieldType::LargeInt &&
        (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max()))
        throw EDatabaseError("Value " + std::to_string(n) + " is out of range for field '" +
                             std::string(fieldName) + "'");
    return n;
}

Value TextToValue(std::string_view raw, FieldType type, std::string_view fieldName) {
    if (IsTextType(type))
        return std::string(raw);
    const std::string_view text = Trim(raw);
    if (text.empty())
        return std::monostate{};
    if (IsIntegerType(type)) {
        int64_t n = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (ec != std::errc() || end != text.data() + text.size())
            NotValid(text, "integer", fieldName);
        return IntegerInRange(n, type, fieldName);
    }
    if (type == FieldType::Boolean) {
        if (SameTextIgnoringCase(text, "true") || text == "1")
            return true;
        if (SameTextIgnoringCase(text, "false") || text == "0")
            return false;
        NotValid(text, "boolean", fieldName);
    }
    if (type == FieldType::Float) {
        double d = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(d))
            NotValid(text, "floating point", fieldName);
        return d;
    }
    if (auto t = ParseLocalDateTime(text))
        return *t;
    NotValid(text, "date and time", fieldName);
}

} // namespace

bool IsStorableFieldName(std::string_view name) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (name.empty() || !letter(name[0]) || name == "RowState")
        return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return letter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; });
}

bool IsIntegerType(FieldType type) {
    return type == FieldType::Integer || type == FieldType::LargeInt || type == FieldType::AutoInc;
}

bool IsFloatType(FieldType type) {
    return type == FieldType::Float || type == FieldType::Date || type == FieldType::Time ||
           type == FieldType::DateTime;
}

bool IsTextType(FieldType type) {
    return type == FieldType::String || type == FieldType::Memo || type == FieldType::Blob;
}

const char* FieldTypeName(FieldType type) {
    for (const auto& t : TypeNames)
        if (t.type == type)
            return t.name;
    return "Unknown";
}

std::optional<FieldType> FieldTypeFromName(std::string_view name) {
    for (const auto& t : TypeNames)
        if (SameTextIgnoringCase(name, t.name))
            return t.type;
    return std::nullopt;
}

Value ConvertValue(const Value& v, FieldType type, std::string_view fieldName) {
    return std::visit(
        [&](const auto& x) -> Value {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return x;
            } else if constexpr (std::is_same_v<T, std::string>) {
                return TextToValue(x, type, fieldName);
            } else if constexpr (std::is_same_v<T, bool>) {
                if (type == FieldType::Boolean)
                    return x;
                if (IsIntegerType(type))
                    return int64_t{x ? 1 : 0};
                if (IsTextType(type))
                    return std::string(x ? "True" : "False");
                NotValid(x ? "True" : "False", "floating point", fieldName);
            } else {
                if (IsTextType(type))
                    return ValueText(x, IsFloatType(type) ? type : FieldType::Float);
                if (type == FieldType::Boolean)
                    return x != 0;
                if (IsFloatType(type)) {
                    const auto d = static_cast<double>(x);
                    if (!std::isfinite(d))
                        NotValid("non-finite", "floating point", fieldName);
                    if (type != FieldType::Float && !IsValidDateTime(d))
                        NotValid(ValueText(d, FieldType::Float), "date and time", fieldName);
                    return d;
                }
                if constexpr (std::is_same_v<T, double>) {
                    if (!std::isfinite(x) || std::fabs(x) > 9.2e18)
                        NotValid(ValueText(x, FieldType::Float), "integer", fieldName);
                    return IntegerInRange(static_cast<int64_t>(std::nearbyint(x)), type,
                                          fieldName); // halves to even
                } else {
                    return IntegerInRange(x, type, fieldName);
                }
            }
        },
        v);
}

std::string ValueText(const Value& v, FieldType type) {
    return std::visit(
        [&](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return {};
            } else if constexpr (std::is_same_v<T, std::string>) {
                return x;
            } else if constexpr (std::is_same_v<T, bool>) {
                return x ? "True" : "False";
            } else if constexpr (std::is_same_v<T, int64_t>) {
                return std::to_string(x);
            } else {
                if (type == FieldType::DateTime)
                    return FormatLocalDateTime(x);
                if (type == FieldType::Date)
                    return FormatLocalDate(x);
                if (type == FieldType::Time)
                    return FormatLocalTime(x);
                std::array<char, 32> buffer{};
                auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
                return ec == std::errc() ? std::string(buffer.data(), end) : std::string();
            }
        },
        v);
}

int CompareText(std::string_view a, std::string_view b, CaseSensitivity sensitivity) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca =
            static_cast<unsigned char>(sensitivity == CaseSensitivity::Insensitive ? Lower(a[i]) : a[i]);
        const auto cb =
            static_cast<unsigned char>(sensitivity == CaseSensitivity::Insensitive ? Lower(b[i]) : b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareValues(const Value& a, const Value& b, CaseSensitivity sensitivity) {
    if (a.index() != b.index()) {
        // Mixed numbers compare by value; otherwise empty first, then by kind.
        const auto number = [](const Value& v, double& out) {
            if (const auto* i = std::get_if<int64_t>(&v))
                return out = static_cast<double>(*i), true;
            if (const auto* d = std::get_if<double>(&v))
                return out = *d, true;
            return false;
        };
        double x = 0, y = 0;
        if (number(a, x) && number(b, y))
            return x < y ? -1 : (y < x ? 1 : 0);
        return a.index() < b.index() ? -1 : 1;
    }
    return std::visit(
        [&](const auto& x) -> int {
            using T = std::decay_t<decltype(x)>;
            const auto& y = std::get<T>(b);
            if constexpr (std::is_same_v<T, std::monostate>) {
                return 0;
            } else if constexpr (std::is_same_v<T, std::string>) {
                return CompareText(x, y, sensitivity);
            } else {
                return x < y ? -1 : (y < x ? 1 : 0);
            }
        },
        a);
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Lower(c);
    return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b, CaseSensitivity::Insensitive) == 0;
}

} // namespace corvane
