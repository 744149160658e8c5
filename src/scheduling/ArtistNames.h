#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The artists an artist credit names, each normalised so that spellings of
// one artist compare equal: ASCII letters folded to lower case, blanks
// collapsed, a leading "The " dropped, and the credit split on "feat.",
// "ft.", "featuring", "vs.", "&", "," and "/", so that
// "The Beatles feat. Billy Preston" counts for "beatles" and "billy preston".
// Empty parts are left out; an empty credit names nobody.
std::vector<std::string> NormalisedArtists(std::string_view credit);

// A title or album name compared the same way (case and blanks), not split.
std::string NormalisedName(std::string_view name);

} // namespace corvane
