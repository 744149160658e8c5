#include "commercials/CommercialListNames.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace corvane {

std::string TimeOfDayText(TDateTime when) {
    const CivilDateTime c = DecodeDateTime(when);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", c.hour % 100, c.minute % 100);
    return text;
}

std::string DateText(TDateTime when) {
    const CivilDateTime c = DecodeDateTime(when);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", c.year % 10000, c.month % 100, c.day % 100);
    return text;
}

std::string DateListName(TDateTime when) {
    return DateText(when) + CommercialListExtension;
}

std::string AdScheduleFileName(TDateTime when) {
    return "AdSched_" + DateText(when) + ".xml";
}

std::string EnglishDayName(TDateTime when) {
    static const char* const names[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    return names[(DayOfWeek(when) + 6) % 7];
}

bool NameBefore(const std::string& a, const std::string& b) {
    const auto lowered = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    const std::string la = lowered(a), lb = lowered(b);
    return la != lb ? la < lb : a < b;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<size_t> TodaysListEntry(const std::vector<std::string>& entries, TDateTime today,
                                      const DayNameSource& dayName) {
    if (entries.empty())
        return std::nullopt;
    const auto find = [&](const std::string& name) -> std::optional<size_t> {
        for (size_t i = 0; i < entries.size(); ++i)
            if (SameTextIgnoringCase(entries[i], name))
                return i;
        return std::nullopt;
    };
    if (auto byDate = find(DateListName(today)))
        return byDate;
    if (auto byDay = find((dayName ? dayName(today) : EnglishDayName(today)) + CommercialListExtension))
        return byDay;
    return entries.size() - 1;
}

} // namespace corvane
