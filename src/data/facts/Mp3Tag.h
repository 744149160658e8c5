#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace corvane {

// The descriptive items of an MP3 file's 128-byte ID3 version 1 trailer, as
// UTF-8 text. Texts run to the first zero byte of their slot (or fill it),
// spaces kept; the year is trimmed only when read as a number.
struct Mp3Tag {
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string comment;
    std::string track; // decimal text
    std::string genre; // name; empty for numbers without one

    // The year as a decimal integer, or nothing when the trimmed slot is not one.
    std::optional<int> ReleaseYear() const;
};

// Reads a trailer; nothing when it does not begin with the bytes "TAG".
std::optional<Mp3Tag> ParseMp3Tag(std::span<const uint8_t, 128> trailer);

// The trailer of an MPEG audio file as the MPEG decoder reports it; nothing
// when the file has none, cannot be opened or holds no MPEG audio.
std::optional<Mp3Tag> ReadMp3Tag(const std::string& path);

} // namespace corvane
