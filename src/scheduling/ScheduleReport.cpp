#include "scheduling/ScheduleReport.h"

#include "data/CsvCell.h"

#include <cmath>
#include <cstdio>

namespace corvane {
namespace {

const char* KindName(SlotKind kind) {
    switch (kind) {
    case SlotKind::Category:
        return "Category";
    case SlotKind::Title:
        return "Title";
    case SlotKind::Break:
        return "Break";
    case SlotKind::Fill:
        return "Fill";
    }
    return "";
}

std::string Seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f s", value);
    return text;
}

int SlotCount(const GeneratedDay& day) {
    return day.MusicItems() + static_cast<int>(day.unfilled.size());
}

} // namespace

std::string RuleList(RuleSet rules) {
    std::string list;
    for (int r = 0; r < RuleCount; ++r) {
        if (Contains(rules, static_cast<RuleId>(r)))
            list += (list.empty() ? "" : ", ") + std::string(RuleName(static_cast<RuleId>(r)));
    }
    return list;
}

std::string TimeOfDayText(double seconds) {
    const long whole = std::lround(std::max(0.0, seconds));
    char text[16];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

std::string DaySummaryLine(const std::string& dateText, const GeneratedDay& day,
                           const SchedulingFormat& format) {
    int relaxed = 0;
    for (const ScheduledItem& item : day.items) {
        for (int r = 0; r < RuleCount; ++r) {
            if (Contains(item.broken, static_cast<RuleId>(r)) &&
                format.rules.IsBreakable(static_cast<RuleId>(r)))
                ++relaxed;
        }
    }
    return dateText + ": " + std::to_string(day.MusicItems()) + " of " + std::to_string(SlotCount(day)) +
           " slots filled, " + std::to_string(day.unfilled.size()) + " unfilled, " + std::to_string(relaxed) +
           " rules relaxed, " + std::to_string(day.HoursOff()) + " hours off by more than 5 s";
}

void WriteReportText(std::ostream& out, const std::string& dateText, const GeneratedDay& day,
                     const std::vector<SchedulingTitle>& library, const SchedulingFormat& format) {
    out << "Schedule report for " << dateText << "\n"
        << DaySummaryLine(dateText, day, format) << "\n\nSlots\n";
    for (const ScheduledItem& item : day.items) {
        out << TimeOfDayText(item.start) << "  hour " << item.hour << " slot " << item.slot << "  "
            << KindName(item.kind);
        if (item.kind == SlotKind::Break) {
            out << " " << item.length << " s reserved\n";
            continue;
        }
        const SchedulingTitle& title = library[static_cast<size_t>(item.titleIndex)];
        out << "  " << title.titleId << " " << title.artist << " - " << title.name << " [" << title.category
            << "]";
        out << "  kept: "
            << (RuleList(item.checked & ~item.broken).empty() ? "-" : RuleList(item.checked & ~item.broken));
        if (item.broken != 0)
            out << "  " << (item.kind == SlotKind::Title ? "fixed title breaks: " : "relaxed: ")
                << RuleList(item.broken)
                << (item.kind == SlotKind::Title ? "" : " (no title of the slot kept them)");
        out << "\n";
    }
    out << "\nUnfilled slots\n";
    if (day.unfilled.empty())
        out << "none\n";
    for (const UnfilledSlot& slot : day.unfilled) {
        out << "hour " << slot.hour << " slot " << slot.slot << " (clock " << slot.clock
            << "): " << slot.reason;
        if (slot.blockingRule)
            out << "; blocked by " << RuleName(*slot.blockingRule);
        out << "\n";
    }
    out << "\nRules (kept / checked)\n";
    for (int r = 0; r < RuleCount; ++r) {
        if (day.ruleChecks[r] == 0)
            continue;
        const RuleId rule = static_cast<RuleId>(r);
        char rate[16];
        std::snprintf(rate, sizeof rate, "%.1f%%", 100.0 * day.ruleKept[r] / day.ruleChecks[r]);
        out << RuleName(rule) << (format.rules.IsBreakable(rule) ? " (breakable)" : " (unbreakable)") << ": "
            << day.ruleKept[r] << " / " << day.ruleChecks[r] << " " << rate << "\n";
    }
    out << "\nCategories (distinct titles / titles in category, slots)\n";
    for (const auto& [category, turnover] : day.turnover)
        out << category << ": " << turnover.distinctScheduled << " / " << turnover.titlesInCategory << ", "
            << turnover.scheduled << "\n";
    out << "\nHours (end against plan)\n";
    for (const HourFit& hour : day.hours)
        out << "hour " << hour.hour << " (" << hour.clock << "): " << Seconds(hour.offSeconds)
            << (std::fabs(hour.offSeconds) > HourFitToleranceSeconds
                    ? (hour.offSeconds > 0 ? "  over" : "  under")
                    : "")
            << "\n";
}

void WriteReportCsv(std::ostream& out, const GeneratedDay& day, const std::vector<SchedulingTitle>& library) {
    out << "Start,Hour,Slot,Kind,TitleID,Artist,Title,Category,Length,RulesKept,RulesRelaxed,BlockingRule,"
           "Unfilled\n";
    for (const ScheduledItem& item : day.items) {
        out << TimeOfDayText(item.start) << "," << item.hour << "," << item.slot << "," << KindName(item.kind)
            << ",";
        if (item.kind == SlotKind::Break) {
            out << ",,,," << item.length << ",,,,\n";
            continue;
        }
        const SchedulingTitle& title = library[static_cast<size_t>(item.titleIndex)];
        out << title.titleId;
        for (const std::string& cell : {title.artist, title.name, title.category}) {
            out << ",";
            CsvCell(out, cell);
        }
        out << "," << item.length << ",";
        CsvCell(out, RuleList(item.checked & ~item.broken));
        out << ",";
        CsvCell(out, RuleList(item.broken));
        out << ",,\n";
    }
    for (const UnfilledSlot& slot : day.unfilled) {
        out << "," << slot.hour << "," << slot.slot << ",,,,,,,,,";
        CsvCell(out, slot.blockingRule ? RuleName(*slot.blockingRule) : "");
        out << ",";
        CsvCell(out, slot.reason);
        out << "\n";
    }
}

} // namespace corvane
