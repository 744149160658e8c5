#include "scheduling/ArtistNames.h"

#include <algorithm>
#include <array>

namespace corvane {
namespace {

// Lower-case ASCII with runs of blanks as one space and no blanks at either end.
std::string FoldedWords(std::string_view text) {
    std::string out;
    bool blank = false;
    for (const char raw : text) {
        const unsigned char c = static_cast<unsigned char>(raw);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return out;
}

std::string WithoutLeadingThe(std::string name) {
    if (name.rfind("the ", 0) == 0 && name.size() > 4)
        name.erase(0, 4);
    return name;
}

} // namespace

std::string NormalisedName(std::string_view name) {
    return FoldedWords(name);
}

std::vector<std::string> NormalisedArtists(std::string_view credit) {
    std::string text = " " + FoldedWords(credit) + " ";
    // Separators that are words must stand between blanks ("Ft. Lauderdale
    // Band" is not split inside a word); signs split anywhere.
    constexpr std::array<std::string_view, 6> Words{" feat. ",     " feat ", " ft. ",
                                                    " featuring ", " vs. ",  " vs "};
    for (const std::string_view word : Words) {
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
            text.replace(at, word.size(), " | ");
    }
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '&' || c == ',' || c == '/'; }, '|');
    std::vector<std::string> artists;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('|', start), text.size());
        std::string part = WithoutLeadingThe(FoldedWords(std::string_view(text).substr(start, end - start)));
        if (!part.empty() && std::find(artists.begin(), artists.end(), part) == artists.end())
            artists.push_back(std::move(part));
        start = end + 1;
    }
    return artists;
}

} // namespace corvane
