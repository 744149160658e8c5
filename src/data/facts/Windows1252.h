#pragma once

#include <span>
#include <string>

namespace corvane {

// Text stored in the Windows-1252 code page (ID3 version 1 tags), as UTF-8.
// The five bytes the code page leaves undefined map to the control characters
// of the same number, as Windows itself decodes them, so nothing is lost.
std::string Windows1252ToUtf8(std::span<const unsigned char> bytes);

} // namespace corvane
