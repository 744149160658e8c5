#include "libraryserver/TitleColumns.h"

#include "data/Value.h"

#include <charconv>
#include <cstdio>

namespace corvane {

TitleColumns::TitleColumns(const FieldDefs& libraryFields) {
    for (const FieldDef& def : libraryFields) {
        if (!def.Stored())
            continue;
        if (!list_.empty())
            list_ += ", ";
        list_ += QuoteIdentifier(def.name);
        fields_.push_back(def);
    }
    key_ = IndexOf(TitleID);
    if (key_ < 0)
        throw ELibraryServerError("The library has no TitleID field to share titles by");
}

int TitleColumns::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (SameTextIgnoringCase(fields_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

const char* TitleColumns::SqlType(FieldType type) {
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return "text";
    case FieldType::Integer:
    case FieldType::LargeInt:
    case FieldType::AutoInc:
        return "bigint";
    case FieldType::Float:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        return "double precision";
    case FieldType::Boolean:
        return "boolean";
    case FieldType::Blob:
        return "bytea";
    }
    return "text";
}

PgParam TitleColumns::ToText(const Value& value, FieldType type) {
    if (IsNull(value))
        return std::nullopt;
    if (const auto* n = std::get_if<int64_t>(&value))
        return std::to_string(*n);
    if (const auto* d = std::get_if<double>(&value)) {
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof(buffer), *d).ptr;
        return std::string(buffer, end);
    }
    if (const auto* b = std::get_if<bool>(&value))
        return std::string(*b ? "t" : "f");
    const std::string& text = std::get<std::string>(value);
    if (type != FieldType::Blob)
        return text;
    static const char* const Hex = "0123456789abcdef";
    std::string out = "\\x";
    out.reserve(2 + text.size() * 2);
    for (unsigned char c : text) {
        out += Hex[c >> 4];
        out += Hex[c & 15];
    }
    return out;
}

Value TitleColumns::FromText(std::string_view text, FieldType type) {
    switch (type) {
    case FieldType::Integer:
    case FieldType::LargeInt:
    case FieldType::AutoInc: {
        int64_t n = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), n).ec != std::errc())
            throw ELibraryServerError("The library server sent \"" + std::string(text) + "\" for a number");
        return n;
    }
    case FieldType::Float:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime: {
        double d = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), d).ec != std::errc())
            throw ELibraryServerError("The library server sent \"" + std::string(text) + "\" for a number");
        return d;
    }
    case FieldType::Boolean:
        return text == "t";
    case FieldType::Blob: {
        std::string bytes;
        if (text.size() < 2 || text.substr(0, 2) != "\\x")
            throw ELibraryServerError("The library server sent bytes in an unknown form");
        auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
        for (size_t i = 2; i + 1 < text.size(); i += 2)
            bytes += static_cast<char>(nibble(text[i]) << 4 | nibble(text[i + 1]));
        return bytes;
    }
    case FieldType::String:
    case FieldType::Memo:
        break;
    }
    return std::string(text);
}

} // namespace corvane
