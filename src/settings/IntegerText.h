#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane {

// A signed decimal integer, or a hexadecimal one after "0x"/"0X" (up to 8 hex
// digits, taken as a 32-bit pattern). Blanks around the number are allowed;
// anything else, an empty text or a value outside 32 bits gives nothing.
std::optional<int32_t> ParseInteger(std::string_view text);

} // namespace corvane
