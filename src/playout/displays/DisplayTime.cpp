#include "playout/displays/DisplayTime.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

namespace corvane {

TimeParts SplitMs(long long ms) {
    if (ms < 0)
        ms = 0;
    const long long seconds = ms / 1000;
    return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60)};
}

std::string DurationText(long long ms) {
    const TimeParts t = SplitMs(ms);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hours, t.minutes, t.seconds);
    return text;
}

std::optional<TDateTime> ParseTimeOfDay(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::vector<int> parts;
    while (true) {
        const size_t colon = text.find(':');
        const std::string_view part = text.substr(0, colon);
        if (part.empty() || part.size() > 2 ||
            !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        int value = 0;
        std::from_chars(part.data(), part.data() + part.size(), value);
        parts.push_back(value);
        if (colon == std::string_view::npos)
            break;
        text.remove_prefix(colon + 1);
    }
    if (parts.size() > 3)
        return std::nullopt;
    parts.resize(3, 0);
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    return (parts[0] * 3600 + parts[1] * 60 + parts[2]) / SecondsPerDay;
}

} // namespace corvane
