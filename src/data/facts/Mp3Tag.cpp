#include "data/facts/Mp3Tag.h"

#include "audio/platform/MpegDecoder.h"
#include "data/facts/Id3Genres.h"
#include "data/facts/Windows1252.h"

#include <algorithm>
#include <cctype>

namespace corvane {

namespace {

std::string Item(std::span<const uint8_t, 128> trailer, size_t offset, size_t width) {
    const auto slot = trailer.subspan(offset, width);
    const auto end = std::find(slot.begin(), slot.end(), uint8_t{0});
    return Windows1252ToUtf8({slot.data(), static_cast<size_t>(end - slot.begin())});
}

} // namespace

std::optional<int> Mp3Tag::ReleaseYear() const {
    const auto isSpace = [](char c) { return c > 0 && c <= ' '; };
    auto first = std::find_if_not(year.begin(), year.end(), isSpace);
    auto last = std::find_if_not(year.rbegin(), year.rend(), isSpace).base();
    if (first >= last)
        return std::nullopt;
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    if (first == last || !std::all_of(first, last, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    for (auto it = first; it != last; ++it)
        value = value * 10 + (*it - '0'); // at most four digits: no overflow
    return negative ? -value : value;
}

std::optional<Mp3Tag> ParseMp3Tag(std::span<const uint8_t, 128> trailer) {
    if (trailer[0] != 'T' || trailer[1] != 'A' || trailer[2] != 'G')
        return std::nullopt;
    Mp3Tag tag;
    tag.title = Item(trailer, 3, 30);
    tag.artist = Item(trailer, 33, 30);
    tag.album = Item(trailer, 63, 30);
    tag.year = Item(trailer, 93, 4);
    tag.comment = Item(trailer, 97, 28);
    // ID3 version 1.1 keeps the track in byte 126 behind a zero in byte 125;
    // without that zero the two bytes are the end of a longer comment and
    // there is no track.
    tag.track = std::to_string(trailer[125] == 0 ? trailer[126] : 0);
    tag.genre = Id3GenreName(trailer[127]);
    return tag;
}

std::optional<Mp3Tag> ReadMp3Tag(const std::string& path) {
    try {
        MpegDecoder reader;
        if (reader.SetFileName(path) != MpegOk || reader.Empty())
            return std::nullopt;
        return ParseMp3Tag(reader.Info().id3v1);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace corvane
