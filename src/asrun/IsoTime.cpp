#include "asrun/IsoTime.h"

#include <cstdio>
#include <ctime>
#include <unordered_map>

namespace corvane {
namespace {

// Seconds east of UTC the local zone keeps at this local time, asked of the
// C library once per local hour (zones change their offset on whole hours or
// half hours at most; a report formats hundreds of thousands of times).
long LocalOffsetSeconds(const CivilDateTime& c) {
    thread_local std::unordered_map<int64_t, long> known;
    const int64_t hour = ((int64_t{c.year} * 13 + c.month) * 32 + c.day) * 48 + c.hour * 2 + (c.minute >= 30);
    if (const auto it = known.find(hour); it != known.end())
        return it->second;
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    tm.tm_isdst = -1;
    const long offset = mktime(&tm) == static_cast<time_t>(-1) ? 0 : tm.tm_gmtoff;
    if (known.size() > 100000)
        known.clear();
    known.emplace(hour, offset);
    return offset;
}

// The number of `count` digits at `text[at]`; nothing when one is not a digit.
std::optional<int> Digits(std::string_view text, size_t at, size_t count) {
    if (text.size() < at + count)
        return std::nullopt;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
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
    const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    if (!year || !month || !day || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    c.year = *year;
    c.month = *month;
    c.day = *day;
    if (text.size() > 10) {
        if (text[10] != 'T' && text[10] != ' ')
            return std::nullopt;
        const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
        if (!hour || !minute || !second || text[13] != ':' || text[16] != ':')
            return std::nullopt;
        c.hour = *hour;
        c.minute = *minute;
        c.second = *second;
        if (text.size() > 19 && text[19] == '.') {
            const auto ms = Digits(text, 20, 3);
            if (!ms)
                return std::nullopt;
            c.millisecond = *ms;
        }
    }
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour > 23 || c.minute > 59 ||
        c.second > 59 || c.year < 1)
        return std::nullopt;
    return EncodeDateTime(c);
}

} // namespace corvane
