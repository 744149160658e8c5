#include "broadcast/NowPlayingText.h"

#include <filesystem>
#include <optional>

namespace corvane {
namespace {

// Length of the UTF-8 sequence starting at `i`, or 0 when it is not one.
size_t Utf8Length(std::string_view s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (i + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    // What the second byte may be after these leads: no overlong forms (a
    // longer spelling of a shorter code point), no surrogates (U+D800 to
    // U+DFFF, which are not characters), nothing beyond U+10FFFF.
    const unsigned char second = byte(i + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

// A tag as it may appear in the text: one line, valid UTF-8, no blank ends.
std::string CleanTag(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size();) {
        const size_t length = Utf8Length(value, i);
        if (length == 0) {
            out += '?';
            ++i;
        } else if (length == 1) {
            const auto c = static_cast<unsigned char>(value[i]);
            out += c < 0x20 || c == 0x7F ? ' ' : value[i];
            ++i;
        } else if (length == 2 && static_cast<unsigned char>(value[i]) == 0xC2 &&
                   static_cast<unsigned char>(value[i + 1]) < 0xA0) {
            // The C1 control characters (U+0080 to U+009F), as the others.
            out += ' ';
            i += length;
        } else {
            out.append(value.substr(i, length));
            i += length;
        }
    }
    const size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string Duration(int ms) {
    const int seconds = ms / 1000;
    const int s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

std::optional<std::string> Placeholder(std::string_view name, const NowPlayingItem& item) {
    if (name == "title") {
        const std::string title = CleanTag(item.title);
        return title.empty() ? CleanTag(std::filesystem::path(item.file).stem().string()) : title;
    }
    if (name == "artist")
        return CleanTag(item.artist);
    if (name == "album")
        return CleanTag(item.album);
    if (name == "category")
        return CleanTag(item.category);
    if (name == "duration")
        return item.durationMs > 0 ? Duration(item.durationMs) : std::string();
    if (name == "nexttitle")
        return CleanTag(item.nextTitle);
    if (name == "nextartist")
        return CleanTag(item.nextArtist);
    if (name == "start")
        return CleanTag(item.startTime);
    return std::nullopt;
}

// Renders `part` (no braces inside); `anyEmpty` tells whether a placeholder
// in it came out empty.
std::string RenderPart(std::string_view part, const NowPlayingItem& item, bool& anyEmpty) {
    std::string out;
    anyEmpty = false;
    for (size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '\\' && i + 1 < part.size() && part[i + 1] == 'n') {
            out += '\n';
            ++i;
            continue;
        }
        if (part[i] != '%') {
            out += part[i];
            continue;
        }
        const size_t end = part.find('%', i + 1);
        if (end == std::string_view::npos) {
            out.append(part.substr(i));
            break;
        }
        const std::string_view name = part.substr(i + 1, end - i - 1);
        if (name.empty()) {
            out += '%';
        } else if (const auto value = Placeholder(name, item)) {
            anyEmpty = anyEmpty || value->empty();
            out += *value;
        } else {
            // Not ours: written as it stands, and its closing '%' may open the next.
            out.append(part.substr(i, end - i));
            i = end - 1;
            continue;
        }
        i = end;
    }
    return out;
}

} // namespace

std::string RenderNowPlaying(std::string_view textTemplate, const NowPlayingItem& item) {
    std::string out;
    bool anyEmpty = false;
    size_t i = 0;
    while (i < textTemplate.size()) {
        const size_t open = textTemplate.find('{', i);
        const size_t close = open == std::string_view::npos ? open : textTemplate.find('}', open);
        if (close == std::string_view::npos) {
            out += RenderPart(textTemplate.substr(i), item, anyEmpty);
            break;
        }
        out += RenderPart(textTemplate.substr(i, open - i), item, anyEmpty);
        const std::string optional =
            RenderPart(textTemplate.substr(open + 1, close - open - 1), item, anyEmpty);
        if (!anyEmpty)
            out += optional;
        i = close + 1;
    }
    return out;
}

std::string OneLine(std::string_view text) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string line = CleanTag(text.substr(start, end - start));
        if (!line.empty())
            out += (out.empty() ? "" : " - ") + line;
        start = end + 1;
    }
    return out;
}

} // namespace corvane
