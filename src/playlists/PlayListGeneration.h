#pragma once

#include <functional>
#include <optional>
#include <string>

namespace corvane {

class TdmQelData;

// "Auto Generate ": the input box's caption and its starting answer.
inline constexpr const char* NumberOfSongsCaption = "Select Number of Songs";
inline constexpr const char* DefaultNumberOfSongs = "10";

// The number of titles an answer of the input box asks for: the answer
// without surrounding blanks, read as a decimal integer; anything else (words,
// an empty answer, a number beyond an int) asks for 10. Zero or a negative
// number asks for none. Nothing when the operator cancelled.
std::optional<int> NumberOfSongs(const std::optional<std::string>& answer);

// Appends `count` rows to the play list (cdsPlayList), each naming a title
// drawn uniformly at random from the whole library, independently of every
// other draw; the generator is seeded anew from the clock each time. Rows
// follow those the play list already has. Titles are drawn whether or not
// their files exist. With an empty library each row gets TitleID 0. The
// library's current row and both tables' grids are restored afterwards, also
// after an error. `keepResponsive` runs between rows of a long generation.
// Nothing happens when the play list is not open. Main thread.
void GeneratePlayList(TdmQelData& data, int count, const std::function<void()>& keepResponsive = {});

} // namespace corvane
