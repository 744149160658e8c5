#include "platform/DateTime.h"

#include <cmath>

namespace corvane {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian); Howard
// Hinnant's algorithm, exact over the whole range we use.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t EpochOffsetDays = -25569;

} // namespace

TDateTime EncodeDateTime(const CivilDateTime& c) {
    const int64_t days =
        DaysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) - EpochOffsetDays;
    const double ms = ((c.hour * 60.0 + c.minute) * 60.0 + c.second) * 1000.0 + c.millisecond;
    // Dates before the epoch keep the time of day as a positive fraction
    // counted away from zero, as the tables have always stored them.
    return days >= 0 ? days + ms / MsPerDay : days - ms / MsPerDay;
}

CivilDateTime DecodeDateTime(TDateTime t) {
    double whole = std::trunc(t);
    double fraction = std::fabs(t - whole);
    int64_t ms = std::llround(fraction * MsPerDay);
    if (ms >= static_cast<int64_t>(MsPerDay)) {
        ms -= static_cast<int64_t>(MsPerDay);
        whole += t >= 0 ? 1 : -1;
    }
    CivilDateTime c;
    CivilFromDays(static_cast<int64_t>(whole) + EpochOffsetDays, c.year, c.month, c.day);
    c.millisecond = static_cast<int>(ms % 1000);
    c.second = static_cast<int>(ms / 1000 % 60);
    c.minute = static_cast<int>(ms / 60000 % 60);
    c.hour = static_cast<int>(ms / 3600000);
    return c;
}

int DayOfWeek(TDateTime t) {
    // 1899-12-30 was a Saturday (7); negative dates count whole days towards zero.
    const int64_t days = static_cast<int64_t>(std::trunc(t));
    return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
}

} // namespace corvane
