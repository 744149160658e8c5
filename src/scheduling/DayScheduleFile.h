#pragma once

#include "platform/DateTime.h"
#include "scheduling/ScheduleGenerator.h"

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

class Table;

// "2026-12-14": a day as schedule files and reports name it.
std::string DayText(TDateTime date);

// "<folder>/Logs/2026-12-14.wsl": where a generated day's schedule goes.
std::filesystem::path DaySchedulePath(const std::filesystem::path& dataFolder, TDateTime date);

// Fills `schedule` (the data module's cdsSchedule, emptied first, so its
// rules number the rows) with the day's titles in order: each row the
// library row's fields copied by name, ScheduleStart and ScheduleFinish the
// planned date-time (the breaks' reserved time included), and writes it to
// `path` atomically (a failed write leaves any previous file as it was).
// Break slots have no row. `library` is the table the day's title indexes
// point into, in natural order.
void WriteDaySchedule(const GeneratedDay& day, Table& library, Table& schedule, TDateTime date,
                      const std::filesystem::path& path);

// Each row's planned start in seconds after `date`'s midnight, in the
// schedule's order: its ScheduleStart, or where the rows before it end when
// it has none.
std::vector<double> PlannedStarts(Table& schedule, TDateTime date);

} // namespace corvane
