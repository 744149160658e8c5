#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace corvane::uplink {

struct UplinkOptions {
    std::string date;                // "yyyymmdd": the day whose schedule is written
    std::filesystem::path bookings;  // the bookings CSV
    std::filesystem::path outFolder; // where "AdSched_yyyymmdd.xml" goes
    std::filesystem::path log;       // appended to; empty for none
};

// Exit codes: every row taken; the file written but rows left out; nothing written.
enum ExitCode { Written = 0, Failed = 1, WrittenWithRejects = 2 };

// The console's ad-schedule uplink: the day's rows of the bookings CSV become
// that day's "AdSched_yyyymmdd.xml" (the commercial list in the table store's
// XML form), written atomically. Bad rows are reported (file, line, reason)
// on `err` and in the log; a bookings file that cannot be read, or whose
// header lacks a column, leaves any earlier schedule of the day untouched.
int RunUplink(const UplinkOptions& options, std::ostream& err);

// The local time now in a strftime format ("%Y%m%d" is today).
std::string LocalTimeText(const char* format);

// The defaults when the console starts the uplink without parameters: today,
// "Ads/Updates/Bookings_yyyymmdd.csv" in the program folder, the schedule
// into the program folder, the log "corvane-uplink.log" beside it.
UplinkOptions DefaultOptions(const std::filesystem::path& programFolder, const std::string& today);

} // namespace corvane::uplink
