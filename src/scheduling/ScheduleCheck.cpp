#include "scheduling/ScheduleCheck.h"

#include "scheduling/ScheduleGenerator.h"

#include <unordered_map>

namespace corvane {

std::vector<ScheduleViolation> CheckDaySchedule(const std::vector<SchedulingTitle>& rows,
                                                const std::vector<double>& starts,
                                                const SchedulingFormat& format) {
    // The same TitleID on two rows is one title; a row without one (0) is a title of its own.
    std::vector<SchedulingTitle> titles;
    std::vector<int> rowTitle;
    std::unordered_map<int64_t, int> byId;
    for (const SchedulingTitle& row : rows) {
        SchedulingTitle title = row;
        // What was played before the day is not the checked schedule's doing.
        title.played = false;
        if (row.titleId != 0) {
            const auto [it, added] = byId.emplace(row.titleId, static_cast<int>(titles.size()));
            if (!added) {
                rowTitle.push_back(it->second);
                continue;
            }
        }
        rowTitle.push_back(static_cast<int>(titles.size()));
        titles.push_back(std::move(title));
    }
    ScheduleGenerator rules(titles, format, 0, 0);
    std::vector<ScheduleViolation> violations;
    for (size_t r = 0; r < rows.size() && r < starts.size(); ++r) {
        const RuleSet broken = rules.PlaceAndCheck(rowTitle[r], 0, starts[r]);
        for (int rule = 0; rule < RuleCount; ++rule) {
            if (Contains(broken, static_cast<RuleId>(rule)))
                violations.push_back(
                    {static_cast<int>(r) + 1, starts[r], rows[r].name, static_cast<RuleId>(rule)});
        }
    }
    return violations;
}

} // namespace corvane
