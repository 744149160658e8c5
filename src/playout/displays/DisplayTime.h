#pragma once

#include "platform/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// A span of time split for the two-digit displays: whole hours (not limited
// to a day), minutes 0..59, seconds 0..59.
struct TimeParts {
    int hours = 0, minutes = 0, seconds = 0;
    friend bool operator==(const TimeParts&, const TimeParts&) = default;
};

// Milliseconds split into whole hours, minutes and seconds; below 0 is 0.
TimeParts SplitMs(long long ms);

// A length in ms as "hh:nn:ss". Lengths of a day or more keep counting the
// hours ("25:00:00") instead of wrapping into a time of day.
std::string DurationText(long long ms);

// A time of day typed as "h", "h:nn" or "h:nn:ss" (hours 0..23, minutes and
// seconds 0..59), as a fraction of a day; nothing when it is not a time.
std::optional<TDateTime> ParseTimeOfDay(std::string_view text);

} // namespace corvane
