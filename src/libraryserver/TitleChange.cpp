#include "libraryserver/TitleChange.h"

#include <charconv>
#include <cstring>

namespace corvane {

namespace {

void AppendParam(std::string& out, const PgParam& value) {
    out += '\t';
    AppendEscapedText(out, value);
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        parts.push_back(
            line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return parts;
        start = tab + 1;
    }
}

[[noreturn]] void Damaged() {
    throw ELibraryServerError("The library journal holds a damaged line");
}

PgParam ParamFrom(std::string_view text) {
    if (text == "\\N")
        return std::nullopt;
    std::string value;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            value += text[i];
            continue;
        }
        if (++i == text.size())
            Damaged();
        switch (text[i]) {
        case '\\':
            value += '\\';
            break;
        case 't':
            value += '\t';
            break;
        case 'n':
            value += '\n';
            break;
        case 'r':
            value += '\r';
            break;
        default:
            Damaged();
        }
    }
    return value;
}

template <class N> N NumberFrom(std::string_view text) {
    N n{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), n);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        Damaged();
    return n;
}

} // namespace

void AppendEscapedText(std::string& out, const PgParam& value) {
    if (!value) {
        out += "\\N";
        return;
    }
    for (char c : *value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

std::string ChangeLine(const TitleChange& change) {
    const char kind = change.kind == TitleChange::Kind::Insert   ? 'I'
                      : change.kind == TitleChange::Kind::Delete ? 'D'
                                                                 : 'U';
    std::string line = std::to_string(change.seq) + '\t' + kind + '\t' + std::to_string(change.titleId);
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof(buffer), change.editedAt).ptr;
    line += '\t';
    line.append(buffer, end);
    line += '\t' + std::to_string(change.playsAdded);
    AppendParam(line, change.lastPlayed);
    for (const TitleChange::FieldEdit& edit : change.fields) {
        AppendParam(line, edit.field);
        AppendParam(line, edit.before);
        AppendParam(line, edit.after);
    }
    return line;
}

TitleChange ChangeFromLine(std::string_view line) {
    const std::vector<std::string_view> parts = SplitTabs(line);
    if (parts.size() < 6 || (parts.size() - 6) % 3 != 0 || parts[1].size() != 1)
        Damaged();
    TitleChange change;
    change.seq = NumberFrom<uint64_t>(parts[0]);
    switch (parts[1][0]) {
    case 'I':
        change.kind = TitleChange::Kind::Insert;
        break;
    case 'U':
        change.kind = TitleChange::Kind::Update;
        break;
    case 'D':
        change.kind = TitleChange::Kind::Delete;
        break;
    default:
        Damaged();
    }
    change.titleId = NumberFrom<int64_t>(parts[2]);
    change.editedAt = NumberFrom<double>(parts[3]);
    change.playsAdded = NumberFrom<int64_t>(parts[4]);
    change.lastPlayed = ParamFrom(parts[5]);
    for (size_t i = 6; i < parts.size(); i += 3) {
        const PgParam field = ParamFrom(parts[i]);
        if (!field)
            Damaged();
        change.fields.push_back({*field, ParamFrom(parts[i + 1]), ParamFrom(parts[i + 2])});
    }
    return change;
}

} // namespace corvane
