#include "asrun/IsoTime.h"

#include <cstdio>
#include <ctime>

namespace corvane {
namespace {

// Seconds east of UTC the local zone keeps at this local time.
long LocalOffsetSeconds(const CivilDateTime& c) {
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    tm.tm_isdst = -1;
    if (mktime(&tm) == static_cast<time_t>(-1))
        return 0;
    return tm.tm_gmtoff;
}

} // namespace

std::string FormatIsoLocal(TDateTime t) {
    const CivilDateTime c = DecodeDateTime(t);
    const long offset = LocalOffsetSeconds(c);
    const long magnitude = offset < 0 ? -offset : offset;
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld", c.year, c.month,
                  c.day, c.hour, c.minute, c.second, c.millisecond, offset < 0 ? '-' : '+', magnitude / 3600,
                  magnitude / 60 % 60);
    return text;
}

std::string FormatIsoDate(TDateTime t) {
    const CivilDateTime c = DecodeDateTime(t);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
    return text;
}

std::optional<TDateTime> ParseIsoLocal(std::string_view text) {
    CivilDateTime c;
    int consumed = 0;
    const std::string copy(text.substr(0, 40));
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%n", &c.year, &c.month, &c.day, &consumed) != 3 ||
        consumed != 10)
        return std::nullopt;
    if (copy.size() > 10) {
        if (copy[10] != 'T' && copy[10] != ' ')
            return std::nullopt;
        int timeConsumed = 0;
        if (std::sscanf(copy.c_str() + 11, "%2d:%2d:%2d%n", &c.hour, &c.minute, &c.second, &timeConsumed) !=
                3 ||
            timeConsumed != 8)
            return std::nullopt;
        if (copy.size() > 19 && copy[19] == '.' && std::sscanf(copy.c_str() + 20, "%3d", &c.millisecond) != 1)
            return std::nullopt;
    }
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour > 23 || c.minute > 59 ||
        c.second > 59 || c.millisecond < 0 || c.millisecond > 999 || c.year < 1)
        return std::nullopt;
    return EncodeDateTime(c);
}

} // namespace corvane
