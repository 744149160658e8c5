#include "settings/IntegerText.h"

#include <charconv>

namespace corvane {

std::optional<int32_t> ParseInteger(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        if (s.front() == '-' || s.front() == '+')
            return std::nullopt;
        uint32_t bits = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), bits, 16);
        if (ec != std::errc() || end != s.data() + s.size())
            return std::nullopt;
        return static_cast<int32_t>(bits);
    }
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty() || s.front() == '+')
        return std::nullopt;
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 10);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

} // namespace corvane
