#pragma once

#include <string>

namespace corvane {

// Number of genre names an ID3 version 1 genre byte can name.
inline constexpr int Id3GenreCount = 126;

// The name of an ID3 version 1 genre number; empty for 126 and above and for
// negative numbers.
std::string Id3GenreName(int number);

} // namespace corvane
