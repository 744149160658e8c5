#pragma once

#include "platform/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The local date-time text form of the tables: "yyyy-mm-dd hh:nn:ss", with
// ".zzz" milliseconds only when they are not zero, the date left out on day 0
// (30 December 1899) and the time left out at midnight. Filter literals
// compared with date-time fields are read in this form.
std::string FormatLocalDateTime(TDateTime t);
std::string FormatLocalDate(TDateTime t);
std::string FormatLocalTime(TDateTime t);

// True for a real calendar date in the years 1 to 9999.
bool IsValidDate(const CivilDateTime& c);

// True for a date-time within the years 1 to 9999, the range the tables hold.
bool IsValidDateTime(double t);

// Reads "yyyy-mm-dd", "dd/mm/yyyy" or "hh:nn[:ss[.zzz]]", or a date followed by
// a blank or "T" and a time. Nothing when the text is not a valid date-time.
std::optional<TDateTime> ParseLocalDateTime(std::string_view text);

} // namespace corvane
