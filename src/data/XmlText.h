#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Appends `text` as XML character data or attribute text: the markup
// characters escaped, and control characters (line breaks included) as
// character references, so memo text keeps its CR LF pairs.
void AppendXmlEscaped(std::string& out, std::string_view text);

} // namespace corvane
