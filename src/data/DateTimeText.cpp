#include "data/DateTimeText.h"

#include <cstdio>

namespace corvane {
namespace {

// Reads exactly `digits` decimal digits at `pos`, advancing it.
bool Digits(std::string_view s, size_t& pos, size_t digits, int& out) {
    if (pos + digits > s.size())
        return false;
    int n = 0;
    for (size_t i = 0; i < digits; ++i) {
        const char c = s[pos + i];
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    pos += digits;
    out = n;
    return true;
}

bool Expect(std::string_view s, size_t& pos, char c) {
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// Reads 1 or 2 digits.
bool ShortNumber(std::string_view s, size_t& pos, int& out) {
    if (Digits(s, pos, 2, out))
        return true;
    return Digits(s, pos, 1, out);
}

// Sets the date of `out` only when the whole date was read.
bool ParseDate(std::string_view s, size_t& pos, CivilDateTime& out) {
    const size_t start = pos;
    CivilDateTime c = out;
    bool read = Digits(s, pos, 4, c.year) && Expect(s, pos, '-') && ShortNumber(s, pos, c.month) &&
                Expect(s, pos, '-') && ShortNumber(s, pos, c.day);
    if (!read) {
        pos = start;
        c = out;
        read = ShortNumber(s, pos, c.day) && Expect(s, pos, '/') && ShortNumber(s, pos, c.month) &&
               Expect(s, pos, '/') && Digits(s, pos, 4, c.year);
    }
    if (read)
        out = c;
    return read;
}

bool ParseTime(std::string_view s, size_t& pos, CivilDateTime& c) {
    if (!ShortNumber(s, pos, c.hour) || !Expect(s, pos, ':') || !Digits(s, pos, 2, c.minute))
        return false;
    if (Expect(s, pos, ':')) {
        if (!Digits(s, pos, 2, c.second))
            return false;
        if (Expect(s, pos, '.') && !Digits(s, pos, 3, c.millisecond))
            return false;
    }
    return true;
}

bool ValidTime(const CivilDateTime& c) {
    return c.hour < 24 && c.minute < 60 && c.second < 60;
}

std::string Format(const char* format, int a, int b, int c) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

} // namespace

bool IsValidDate(const CivilDateTime& c) {
    static constexpr int DaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (c.year < 1 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 ||
        c.day > DaysIn[c.month - 1])
        return false;
    const bool leap = (c.year % 4 == 0 && c.year % 100 != 0) || c.year % 400 == 0;
    return c.month != 2 || c.day <= 28 || leap;
}

bool IsValidDateTime(double t) {
    // 0001-01-01 is day -693593; times before 1899 count away from zero.
    return t > -693594.0 && t < 2958466.0;
}

std::string FormatLocalDate(TDateTime t) {
    const CivilDateTime c = DecodeDateTime(t);
    return Format("%04d-%02d-%02d", c.year, c.month, c.day);
}

std::string FormatLocalTime(TDateTime t) {
    const CivilDateTime c = DecodeDateTime(t);
    std::string text = Format("%02d:%02d:%02d", c.hour, c.minute, c.second);
    if (c.millisecond != 0)
        text += Format(".%03d", c.millisecond, 0, 0);
    return text;
}

std::string FormatLocalDateTime(TDateTime t) {
    // As the tables have always shown them: no date part for a bare time of
    // day or a duration, no time part at midnight.
    const CivilDateTime c = DecodeDateTime(t);
    if (c.year == 1899 && c.month == 12 && c.day == 30)
        return FormatLocalTime(t);
    if (c.hour == 0 && c.minute == 0 && c.second == 0 && c.millisecond == 0)
        return FormatLocalDate(t);
    return FormatLocalDate(t) + " " + FormatLocalTime(t);
}

std::optional<TDateTime> ParseLocalDateTime(std::string_view text) {
    CivilDateTime c;
    size_t pos = 0;
    if (ParseDate(text, pos, c)) {
        if (!IsValidDate(c))
            return std::nullopt;
        if (pos == text.size())
            return EncodeDateTime(c);
        if (!Expect(text, pos, ' ') && !Expect(text, pos, 'T'))
            return std::nullopt;
    } else {
        pos = 0;
    }
    if (!ParseTime(text, pos, c) || pos != text.size() || !ValidTime(c))
        return std::nullopt;
    return EncodeDateTime(c);
}

} // namespace corvane
