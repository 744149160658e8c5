#pragma once

#include "platform/DateTime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The file and time names the commercials go by: a day's list is named after
// its date ("yyyymmdd.ads") or, as a weekly list, after its day ("Thursday.ads");
// the ad-booking system's day is "AdSched_yyyymmdd.xml"; break times are
// "hh:nn" texts compared as plain text.

inline constexpr const char* CommercialListExtension = ".ads";
inline constexpr const char* CommercialListFolderName = "ads";

// "hh:nn" of the time of day, 24-hour and zero-padded.
std::string TimeOfDayText(TDateTime when);
// "yyyymmdd" of the date.
std::string DateText(TDateTime when);
// The default name of that day's commercial list, "yyyymmdd.ads".
std::string DateListName(TDateTime when);
// "AdSched_yyyymmdd.xml", that day's ad schedule from the ad-booking system.
std::string AdScheduleFileName(TDateTime when);

// The long name of the day of the week of a date, in the operator's language.
using DayNameSource = std::function<std::string(TDateTime when)>;
// English names, for a console without a language of its own (tests, tools).
std::string EnglishDayName(TDateTime when);

// Which entry of a list-folder listing is today's list: the one named after
// the date, else the one named after the day, else the last; nothing for an
// empty listing. Names match without regard to letter case, as file names on
// the stations' file servers do.
std::optional<size_t> TodaysListEntry(const std::vector<std::string>& entries, TDateTime today,
                                      const DayNameSource& dayName);

// File names in the order the console lists them: by name without regard to
// letter case, then by byte, so the order never depends on the file system's.
bool NameBefore(const std::string& a, const std::string& b);

// Whether two texts are equal without regard to ASCII letter case.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

} // namespace corvane
