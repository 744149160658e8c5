#include "events/EventRepeat.h"

#include "events/EventParams.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>
#include <string>

namespace corvane {
namespace {

int64_t ToMs(TDateTime t) {
    return std::llround(t * MsPerDay);
}

TDateTime FromMs(int64_t ms) {
    return static_cast<double>(ms) / MsPerDay;
}

bool IsWeekday(TDateTime t) {
    const int day = DayOfWeek(t); // 1 = Sunday … 7 = Saturday
    return day >= 2 && day <= 6;
}

} // namespace

std::optional<EventRepeat> ReadRepeat(const EventParams& params) {
    const auto value = params.Get("Repeat");
    if (!value)
        return std::nullopt;
    std::string v = *value;
    std::transform(v.begin(), v.end(), v.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (v == "hourly")
        return EventRepeat::Hourly;
    if (v == "daily")
        return EventRepeat::Daily;
    if (v == "weekdays")
        return EventRepeat::Weekdays;
    if (v == "weekly")
        return EventRepeat::Weekly;
    throw std::invalid_argument("parameter Repeat=" + *value + " is not hourly, daily, weekdays or weekly");
}

namespace {

// One step of the series (weekdays: a day, weekends then passed over).
int64_t StepMs(EventRepeat repeat) {
    constexpr int64_t Hour = 3'600'000, Day = 24 * Hour;
    return repeat == EventRepeat::Hourly ? Hour : repeat == EventRepeat::Weekly ? 7 * Day : Day;
}

} // namespace

TDateTime NextOccurrence(TDateTime start, EventRepeat repeat, TDateTime after) {
    const int64_t step = StepMs(repeat);
    const int64_t from = ToMs(start), limit = ToMs(after);
    int64_t next = from + step;
    if (limit >= next)
        next = from + ((limit - from) / step + 1) * step;
    while (repeat == EventRepeat::Weekdays && !IsWeekday(FromMs(next)))
        next += step;
    return FromMs(next);
}

int64_t OccurrencesAfter(TDateTime start, EventRepeat repeat, TDateTime upTo) {
    const int64_t step = StepMs(repeat), from = ToMs(start), limit = ToMs(upTo);
    if (limit < from + step)
        return 0;
    const int64_t steps = (limit - from) / step;
    if (repeat != EventRepeat::Weekdays)
        return steps;
    // Five weekdays in every whole week, then the days left over one by one.
    int64_t count = steps / 7 * 5;
    for (int64_t k = steps / 7 * 7 + 1; k <= steps; ++k)
        count += IsWeekday(FromMs(from + k * step)) ? 1 : 0;
    return count;
}

} // namespace corvane
