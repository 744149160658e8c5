#pragma once

#include "scheduling/SchedulingModel.h"

#include <string>
#include <vector>

namespace corvane {

// One rule a row of a checked schedule breaks. `row` is 1-based.
struct ScheduleViolation {
    int row = 0;
    double start = 0; // seconds after the day's midnight
    std::string title;
    RuleId rule{};
};

// Checks a day's schedule made elsewhere against the format's rules, row by
// row in its order: `rows` are the schedule's titles (a title is known by
// its TitleID, so that the same title twice is the same title), `starts`
// each row's planned start in seconds after midnight.
std::vector<ScheduleViolation> CheckDaySchedule(const std::vector<SchedulingTitle>& rows,
                                                const std::vector<double>& starts,
                                                const SchedulingFormat& format);

} // namespace corvane
