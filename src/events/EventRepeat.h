#pragma once

#include "platform/DateTime.h"

#include <cstdint>
#include <optional>

namespace corvane {

class EventParams;

// How an event repeats, from its parameter Repeat.
enum class EventRepeat { Hourly, Daily, Weekdays, Weekly };

// Repeat=hourly, daily, weekdays (Monday to Friday) or weekly, without regard
// to case; nullopt when the event does not repeat. Any other value is an
// error (std::invalid_argument).
std::optional<EventRepeat> ReadRepeat(const EventParams& params);

// The first occurrence strictly after `after` (not before `start`) of a
// series that began at `start`: start plus whole hours, days or weeks (weekdays: whole days that
// fall on Monday to Friday). Times are the tables' wall-clock date-times, so
// a daily event keeps its time of day; counted in whole milliseconds, so a
// year of hourly steps does not drift.
TDateTime NextOccurrence(TDateTime start, EventRepeat repeat, TDateTime after);

// How many occurrences of the series fall after `start`, up to and including
// `upTo`: counted, not stepped through, so years of hourly occurrences missed
// cost the main thread no more than one.
int64_t OccurrencesAfter(TDateTime start, EventRepeat repeat, TDateTime upTo);

} // namespace corvane
