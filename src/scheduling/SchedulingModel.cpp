#include "scheduling/SchedulingModel.h"

#include "data/Value.h"

#include <algorithm>
#include <array>

namespace corvane {
namespace {

constexpr std::array<const char*, RuleCount> RuleNames{
    "ArtistSeparation", "ArtistSeparationSongs", "TitleSeparation", "AlbumSeparation", "MinimumRest",
    "MaxInARow",        "HorizontalSeparation",  "Dayparts"};

} // namespace

const std::string& Week::ClockAt(int weekday, int hour) const {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if ((it->days >> weekday & 1u) != 0 && hour >= it->firstHour && hour < it->endHour)
            return it->clock;
    }
    return defaultClock;
}

const char* RuleName(RuleId rule) {
    return RuleNames[static_cast<size_t>(rule)];
}

bool RuleFromName(const std::string& name, RuleId& rule) {
    for (size_t i = 0; i < RuleNames.size(); ++i) {
        if (SameTextIgnoringCase(name, RuleNames[i])) {
            rule = static_cast<RuleId>(i);
            return true;
        }
    }
    return false;
}

bool SchedulingRules::IsBreakable(RuleId rule) const {
    return Priority(rule) > 0;
}

int SchedulingRules::Priority(RuleId rule) const {
    const auto it = std::find(breakable.begin(), breakable.end(), rule);
    return it == breakable.end() ? 0 : static_cast<int>(breakable.end() - it);
}

const HourClock* SchedulingFormat::FindClock(const std::string& name) const {
    for (const HourClock& clock : clocks) {
        if (SameTextIgnoringCase(clock.name, name))
            return &clock;
    }
    return nullptr;
}

} // namespace corvane
