#pragma once

#include "platform/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// A local date-time as ISO 8601 with milliseconds and the local zone's
// offset at that moment, "2026-12-11T14:03:07.250+01:00" (the process's
// time zone, TZ).
std::string FormatIsoLocal(TDateTime t);
// The local date-time of such a text (the offset is read past, not applied:
// the log and its reports keep the station's local time). Nothing when the
// text is not one.
std::optional<TDateTime> ParseIsoLocal(std::string_view text);
// "yyyy-mm-dd" of the local date.
std::string FormatIsoDate(TDateTime t);

} // namespace corvane
