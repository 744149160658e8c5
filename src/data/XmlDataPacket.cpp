#include "data/XmlDataPacket.h"

#include "data/Base64.h"
#include "data/DateTimeText.h"
#include "data/XmlText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

namespace corvane {
namespace {

// RowState bits of a packet's rows.
constexpr int RowOriginal = 1;
constexpr int RowDeleted = 2;
constexpr int RowInserted = 4;
constexpr int RowModified = 8;

enum class Encoding { Plain, Base64 };

struct PacketField {
    FieldDef def;
    std::string attrName;
    Encoding encoding = Encoding::Plain;
};

[[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why);
}

bool IsTrue(const char* text) {
    return SameTextIgnoringCase(text, "true") || SameTextIgnoringCase(text, "yes") ||
           std::string_view(text) == "1";
}

// The field's type from its fieldtype and SUBTYPE; nothing for a nested
// dataset, which the console has no use for.
std::optional<PacketField> FieldFromPacket(const pugi::xml_node& node) {
    PacketField field;
    field.attrName = node.attribute("attrname").as_string();
    const std::string_view type = node.attribute("fieldtype").as_string();
    const std::string_view subtype = node.attribute("SUBTYPE").as_string();
    if (field.attrName.empty())
        Fail("a field has no name");
    if (!IsStorableFieldName(field.attrName))
        Fail("a field has the unusable name '" + field.attrName + "'");
    field.def.name = field.attrName;
    FieldType t;
    if (type == "nested")
        return std::nullopt;
    if (type == "string" || type == "string.uni")
        t = FieldType::String;
    else if (type == "i1" || type == "i2" || type == "i4" || type == "ui1" || type == "ui2")
        t = SameTextIgnoringCase(subtype, "Autoinc") ? FieldType::AutoInc : FieldType::Integer;
    else if (type == "i8" || type == "ui4" || type == "ui8")
        t = FieldType::LargeInt;
    else if (type == "r8" || type == "r4" || type == "fixed" || type == "fixedFMT")
        t = FieldType::Float;
    else if (type == "boolean")
        t = FieldType::Boolean;
    else if (type == "date")
        t = FieldType::Date;
    else if (type == "time")
        t = FieldType::Time;
    else if (type == "dateTime" || type == "SQLdateTime")
        t = FieldType::DateTime;
    else if (type == "bin.hex") {
        const bool text = SameTextIgnoringCase(subtype, "Text") || SameTextIgnoringCase(subtype, "WideText");
        t = text ? FieldType::Memo : FieldType::Blob;
        field.encoding = text ? Encoding::Plain : Encoding::Base64;
    } else
        Fail("field '" + field.attrName + "' has the unsupported type '" + std::string(type) + "'");
    field.def.type = t;
    field.def.size = std::clamp(node.attribute("WIDTH").as_int(0), 0, 1 << 30);
    field.def.required = IsTrue(node.attribute("required").as_string());
    field.def.readOnly = IsTrue(node.attribute("readonly").as_string());
    field.def.hidden = IsTrue(node.attribute("hidden").as_string());
    return field;
}

bool Digits(std::string_view s, size_t pos, size_t n, int& out) {
    if (pos + n > s.size())
        return false;
    out = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

// "HH:NN:SS" with three millisecond digits glued on (optional) at `pos`.
bool PacketTime(std::string_view s, size_t pos, CivilDateTime& c) {
    if (!Digits(s, pos, 2, c.hour) || s.size() < pos + 8 || s[pos + 2] != ':' ||
        !Digits(s, pos + 3, 2, c.minute) || s[pos + 5] != ':' || !Digits(s, pos + 6, 2, c.second))
        return false;
    c.millisecond = 0;
    if (s.size() == pos + 8)
        return c.hour < 24 && c.minute < 60 && c.second < 60;
    return s.size() == pos + 11 && Digits(s, pos + 8, 3, c.millisecond) && c.hour < 24 && c.minute < 60 &&
           c.second < 60;
}

bool PacketDate(std::string_view s, CivilDateTime& c) {
    return Digits(s, 0, 4, c.year) && Digits(s, 4, 2, c.month) && Digits(s, 6, 2, c.day) && IsValidDate(c);
}

std::optional<Value> DateTimeFromPacket(std::string_view s, FieldType type) {
    CivilDateTime c;
    if (type == FieldType::Time)
        return PacketTime(s, 0, c) ? std::optional<Value>(EncodeDateTime(c)) : std::nullopt;
    if (!PacketDate(s, c))
        return std::nullopt;
    if (s.size() == 8)
        return EncodeDateTime(c);
    if (type == FieldType::Date || s.size() < 9 || s[8] != 'T' || !PacketTime(s, 9, c))
        return std::nullopt;
    return EncodeDateTime(c);
}

Value ValueFromPacket(const PacketField& field, std::string_view text) {
    const FieldType type = field.def.type;
    std::optional<Value> value;
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        value = std::string(text);
        break;
    case FieldType::Blob:
        if (auto bytes = DecodeBase64(text))
            value = std::move(*bytes);
        break;
    case FieldType::Boolean:
        if (SameTextIgnoringCase(text, "TRUE"))
            value = true;
        else if (SameTextIgnoringCase(text, "FALSE"))
            value = false;
        break;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        value = DateTimeFromPacket(text, type);
        break;
    case FieldType::Float: {
        double d = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
        if (ec == std::errc() && end == text.data() + text.size() && std::isfinite(d))
            value = d;
        break;
    }
    default: {
        int64_t n = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        const bool fits = type == FieldType::LargeInt || (n >= INT32_MIN && n <= INT32_MAX);
        if (ec == std::errc() && end == text.data() + text.size() && fits)
            value = n;
    }
    }
    if (!value)
        Fail("'" + std::string(text.substr(0, 40)) + "' is not a valid value for field '" + field.attrName +
             "'");
    return std::move(*value);
}

struct PacketRow {
    int state = 0;
    std::vector<Value> values;
    std::vector<bool> present;
};

// Orders the current rows as the table showed them: a modified row takes its
// original's place, deleted rows and superseded originals drop out.
std::vector<size_t> ApplyChangeLog(const std::vector<PacketRow>& rows, const std::string& changeLog) {
    std::map<size_t, size_t> replacedBy; // original row -> its newer version
    std::vector<bool> isNewerVersion(rows.size(), false);
    std::istringstream log(changeLog);
    long long row = 0, original = 0, kind = 0;
    while (log >> row >> original >> kind) {
        if (row < 1 || static_cast<size_t>(row) > rows.size() || original < 0 ||
            static_cast<size_t>(original) > rows.size())
            Fail("the change log names a row that is not there");
        if (original > 0 && original != row) {
            replacedBy[static_cast<size_t>(original - 1)] = static_cast<size_t>(row - 1);
            isNewerVersion[static_cast<size_t>(row - 1)] = true;
        }
    }
    if (!log.eof())
        Fail("the change log is damaged");
    std::vector<size_t> current;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (isNewerVersion[i])
            continue;
        size_t latest = i;
        for (size_t hops = 0; replacedBy.count(latest) && hops <= rows.size(); ++hops)
            latest = replacedBy[latest];
        if (rows[latest].state & RowDeleted)
            continue;
        if (latest == i && (rows[i].state & RowOriginal) && !(rows[i].state & (RowInserted | RowModified)) &&
            replacedBy.count(i))
            continue;
        current.push_back(latest);
    }
    return current;
}

} // namespace

TableStorage ReadXmlDataPacket(std::string content) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer_inplace(content.data(), content.size(), pugi::parse_default);
    if (!parsed)
        Fail(std::string("not well-formed XML (") + parsed.description() + " at offset " +
             std::to_string(parsed.offset) + ")");
    const pugi::xml_node packet = doc.child("DATAPACKET");
    if (!packet)
        Fail("not a data packet (no DATAPACKET element)");
    const pugi::xml_node metadata = packet.child("METADATA");
    const pugi::xml_node fieldList = metadata.child("FIELDS");
    if (!fieldList)
        Fail("the data packet has no field list");

    TableStorage storage;
    std::vector<PacketField> fields;
    std::map<std::string, size_t> byAttr;
    for (const pugi::xml_node& node : fieldList.children("FIELD")) {
        auto field = FieldFromPacket(node);
        if (!field)
            continue;
        if (byAttr.count(field->attrName))
            Fail("field '" + field->attrName + "' appears twice");
        byAttr[field->attrName] = fields.size();
        storage.defs.push_back(field->def);
        fields.push_back(std::move(*field));
    }
    if (fields.empty())
        Fail("the data packet declares no fields");

    const pugi::xml_node params = metadata.child("PARAMS");
    const std::string changeLog = params.attribute("CHANGE_LOG").as_string();
    storage.nextAutoInc = std::max<long long>(1, params.attribute("AUTOINCVALUE").as_llong(1));
    storage.changesPending = IsTrue(params.attribute("CHANGES_PENDING").as_string()) || !changeLog.empty();

    std::vector<PacketRow> rows;
    for (const pugi::xml_node& node : packet.child("ROWDATA").children("ROW")) {
        PacketRow row;
        row.values.resize(fields.size());
        row.present.resize(fields.size(), false);
        for (const pugi::xml_attribute& attr : node.attributes()) {
            const std::string_view name = attr.name();
            if (name == "RowState") {
                row.state = attr.as_int();
                continue;
            }
            const auto found = byAttr.find(std::string(name));
            if (found == byAttr.end())
                continue;
            row.values[found->second] = ValueFromPacket(fields[found->second], attr.value());
            row.present[found->second] = true;
        }
        if (row.state & (RowDeleted | RowInserted | RowModified))
            storage.changesPending = true;
        rows.push_back(std::move(row));
    }

    // A modification row carries only the fields that changed; the others
    // keep the values of the row it replaces.
    std::istringstream log(changeLog);
    long long row = 0, original = 0, kind = 0;
    while (log >> row >> original >> kind) {
        if (row >= 1 && original >= 1 && static_cast<size_t>(row) <= rows.size() &&
            static_cast<size_t>(original) <= rows.size() && row != original && (kind & RowModified)) {
            auto& newer = rows[static_cast<size_t>(row - 1)];
            const auto& older = rows[static_cast<size_t>(original - 1)];
            for (size_t f = 0; f < fields.size(); ++f)
                if (!newer.present[f])
                    newer.values[f] = older.values[f];
        }
    }
    for (const size_t i : ApplyChangeLog(rows, changeLog))
        storage.AddRow(rows[i].values);
    for (size_t f = 0; f < fields.size(); ++f) {
        if (fields[f].def.type != FieldType::AutoInc)
            continue;
        for (const auto& r : storage.rows)
            if (const auto* n = std::get_if<int64_t>(&r->values[f]))
                storage.nextAutoInc = std::max(storage.nextAutoInc, *n + 1);
    }
    return storage;
}

namespace {

const char* PacketType(FieldType type) {
    switch (type) {
    case FieldType::String:
        return "string";
    case FieldType::Memo:
    case FieldType::Blob:
        return "bin.hex";
    case FieldType::Integer:
    case FieldType::AutoInc:
        return "i4";
    case FieldType::LargeInt:
        return "i8";
    case FieldType::Float:
        return "r8";
    case FieldType::Boolean:
        return "boolean";
    case FieldType::Date:
        return "date";
    case FieldType::Time:
        return "time";
    case FieldType::DateTime:
        return "dateTime";
    }
    return "string";
}

std::string PacketText(const Value& v, FieldType type) {
    char buffer[40];
    if (const auto* d = std::get_if<double>(&v); d && type != FieldType::Float) {
        const CivilDateTime c = DecodeDateTime(*d);
        if (type == FieldType::Date)
            std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", c.year, c.month, c.day);
        else if (type == FieldType::Time)
            std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d%03d", c.hour, c.minute, c.second,
                          c.millisecond);
        else
            std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d:%02d:%02d%03d", c.year, c.month, c.day,
                          c.hour, c.minute, c.second, c.millisecond);
        return buffer;
    }
    if (const auto* b = std::get_if<bool>(&v))
        return *b ? "TRUE" : "FALSE";
    if (type == FieldType::Blob)
        return EncodeBase64(std::get<std::string>(v));
    return ValueText(v, FieldType::Float);
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendXmlEscaped(out, value);
    out += '"';
}

} // namespace

// Written as text directly rather than through a document tree: a library of
// 100,000 titles would otherwise need several hundred MB while it is written.
std::string WriteXmlDataPacket(const TableStorage& storage) {
    std::string out =
        "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
    std::vector<size_t> stored;
    for (size_t i = 0; i < storage.defs.size(); ++i) {
        const FieldDef& def = storage.defs[i];
        if (!def.Stored())
            continue;
        if (!IsStorableFieldName(def.name))
            Fail("field '" + def.name + "' has a name that cannot be stored");
        stored.push_back(i);
        out += "<FIELD";
        AppendAttribute(out, "attrname", def.name);
        AppendAttribute(out, "fieldtype", PacketType(def.type));
        if (def.type == FieldType::Memo)
            AppendAttribute(out, "SUBTYPE", "Text");
        else if (def.type == FieldType::Blob)
            AppendAttribute(out, "SUBTYPE", "Binary");
        else if (def.type == FieldType::AutoInc)
            AppendAttribute(out, "SUBTYPE", "Autoinc");
        if (def.size > 0)
            AppendAttribute(out, "WIDTH", std::to_string(def.size));
        if (def.required)
            AppendAttribute(out, "required", "true");
        if (def.readOnly)
            AppendAttribute(out, "readonly", "true");
        if (def.hidden)
            AppendAttribute(out, "hidden", "true");
        out += "/>";
    }
    out += "</FIELDS><PARAMS";
    AppendAttribute(out, "AUTOINCVALUE", std::to_string(storage.nextAutoInc));
    if (storage.changesPending)
        AppendAttribute(out, "CHANGES_PENDING", "TRUE");
    out += "/></METADATA><ROWDATA>";
    for (const auto& row : storage.rows) {
        out += "<ROW";
        for (const size_t i : stored) {
            const Value& v = row->values[i];
            if (IsNull(v))
                continue;
            const FieldType type = storage.defs[i].type;
            const auto* text = std::get_if<std::string>(&v);
            // XML cannot carry a NUL character in any form.
            if (text && type != FieldType::Blob && text->find('\0') != std::string::npos)
                Fail("field '" + storage.defs[i].name + "' holds text with a NUL character");
            AppendAttribute(out, storage.defs[i].name,
                            text && type != FieldType::Blob ? *text : PacketText(v, type));
        }
        out += "/>";
    }
    out += "</ROWDATA></DATAPACKET>";
    return out;
}

} // namespace corvane
