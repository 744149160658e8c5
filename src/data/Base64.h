#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Standard base64 (RFC 4648, with padding), as data packets store binary fields.
std::string EncodeBase64(std::string_view bytes);
// Blanks and line breaks are skipped; nothing when the text is not base64.
std::optional<std::string> DecodeBase64(std::string_view text);

} // namespace corvane
