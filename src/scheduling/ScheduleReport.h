#pragma once

#include "scheduling/ScheduleGenerator.h"

#include <ostream>
#include <string>
#include <vector>

namespace corvane {

// "2026-12-14: 412 of 415 slots filled, 3 unfilled, 2 rules relaxed, 1 hour
// off by more than 5 s": the one line a run prints per day.
std::string DaySummaryLine(const std::string& dateText, const GeneratedDay& day,
                           const SchedulingFormat& format);

// The day's report as plain text: every slot with its title, the rules it
// kept and any relaxed; every unfilled slot with its reason and blocking
// rule; each rule's pass rate; each category's turnover; each hour's fit.
void WriteReportText(std::ostream& out, const std::string& dateText, const GeneratedDay& day,
                     const std::vector<SchedulingTitle>& library, const SchedulingFormat& format);

// The same slots as CSV (RFC 4180 quoting), one row per slot, filled or not.
void WriteReportCsv(std::ostream& out, const GeneratedDay& day, const std::vector<SchedulingTitle>& library);

// "ArtistSeparation, MaxInARow" for a set of rules; "" for none.
std::string RuleList(RuleSet rules);

// "06:03:15" for seconds after midnight.
std::string TimeOfDayText(double seconds);

} // namespace corvane
