#pragma once

#include <cstdint>

namespace corvane {

// A point in time as the console's tables store it: days since 30 December
// 1899 as a double, the fraction being the time of day (one second = 1/86400).
// Durations in tables use the same unit.
using TDateTime = double;

inline constexpr double MsPerDay = 86'400'000.0;
inline constexpr double SecondsPerDay = 86'400.0;

struct CivilDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    friend bool operator==(const CivilDateTime&, const CivilDateTime&) = default;
};

// Exact for dates from year 1 to 9999; the time is rounded to the millisecond.
TDateTime EncodeDateTime(const CivilDateTime& c);
CivilDateTime DecodeDateTime(TDateTime t);

// Day of the week, 1 = Sunday … 7 = Saturday (the tables' convention).
int DayOfWeek(TDateTime t);

} // namespace corvane
