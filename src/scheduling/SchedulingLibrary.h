#pragma once

#include "platform/DateTime.h"
#include "scheduling/SchedulingModel.h"

#include <string_view>
#include <vector>

namespace corvane {

class Table;

// The titles of a library (or schedule) table as the scheduler sees them, in
// the table's natural order. `dayZero` is midnight of the first day to
// schedule: each LastPlayed becomes seconds relative to it. A table without
// SchedulerCodes (a schedule) gives titles without codes.
std::vector<SchedulingTitle> SchedulingTitlesOf(Table& table, TDateTime dayZero);

// Reads a title's SchedulerCodes text: words separated by blanks or commas;
// "Hours=06-19" limits the hours the title may start in (end exclusive).
void ReadSchedulerCodes(std::string_view text, SchedulingTitle& title);

} // namespace corvane
