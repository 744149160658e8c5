#include "data/TableDump.h"

#include "data/Base64.h"
#include "data/CsvCell.h"

#include <cstdio>

namespace corvane {
namespace {

std::string Flags(const FieldDef& def) {
    std::string flags;
    for (const auto& [on, name] :
         {std::pair{def.required, "required"}, {def.readOnly, "readonly"}, {def.hidden, "hidden"}}) {
        if (!on)
            continue;
        if (!flags.empty())
            flags += ' ';
        flags += name;
    }
    return flags;
}

std::string CellText(const Value& v, FieldType type) {
    if (type == FieldType::Blob)
        return EncodeBase64(std::get<std::string>(v));
    return ValueText(v, type);
}

// Length of the valid UTF-8 sequence at `i`, or 0.
size_t Utf8Length(const std::string& s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2)
            return 0;
    return n;
}

void JsonString(std::ostream& out, const std::string& s) {
    out << '"';
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        char escape[8];
        if (c == '"' || c == '\\') {
            out << '\\' << s[i++];
        } else if (c < 0x20) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out << escape;
            ++i;
        } else if (const size_t n = Utf8Length(s, i); n > 0) {
            out.write(s.data() + i, static_cast<std::streamsize>(n));
            i += n;
        } else {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out << escape;
            ++i;
        }
    }
    out << '"';
}

void JsonValue(std::ostream& out, const Value& v, FieldType type) {
    if (IsNull(v))
        out << "null";
    else if (const auto* b = std::get_if<bool>(&v))
        out << (*b ? "true" : "false");
    else if (std::holds_alternative<int64_t>(v) || type == FieldType::Float)
        out << ValueText(v, FieldType::Float);
    else
        JsonString(out, CellText(v, type));
}

} // namespace

void DumpTableCsv(const TableStorage& table, std::ostream& out) {
    out << "field,type,size,flags\r\n";
    for (const FieldDef& def : table.defs) {
        CsvCell(out, def.name);
        out << ',' << FieldTypeName(def.type) << ',' << def.size << ',' << Flags(def) << "\r\n";
    }
    out << "\r\n";
    for (size_t i = 0; i < table.defs.size(); ++i) {
        out << (i ? "," : "");
        CsvCell(out, table.defs[i].name);
    }
    out << "\r\n";
    for (const auto& row : table.rows) {
        for (size_t i = 0; i < table.defs.size(); ++i) {
            out << (i ? "," : "");
            if (!IsNull(row->values[i]))
                CsvCell(out, CellText(row->values[i], table.defs[i].type), QuoteEmpty::Yes);
        }
        out << "\r\n";
    }
}

void DumpTableJson(const TableStorage& table, std::ostream& out) {
    out << "{\"fields\": [";
    for (size_t i = 0; i < table.defs.size(); ++i) {
        const FieldDef& def = table.defs[i];
        out << (i ? ",\n  " : "\n  ") << "{\"name\": ";
        JsonString(out, def.name);
        out << ", \"type\": \"" << FieldTypeName(def.type) << "\", \"size\": " << def.size
            << ", \"required\": " << (def.required ? "true" : "false")
            << ", \"readonly\": " << (def.readOnly ? "true" : "false")
            << ", \"hidden\": " << (def.hidden ? "true" : "false") << "}";
    }
    out << "],\n\"nextAutoInc\": " << table.nextAutoInc
        << ",\n\"changesPending\": " << (table.changesPending ? "true" : "false") << ",\n\"rows\": [";
    for (size_t r = 0; r < table.rows.size(); ++r) {
        out << (r ? ",\n  [" : "\n  [");
        for (size_t i = 0; i < table.defs.size(); ++i) {
            out << (i ? ", " : "");
            JsonValue(out, table.rows[r]->values[i], table.defs[i].type);
        }
        out << "]";
    }
    out << "]}\n";
}

} // namespace corvane
