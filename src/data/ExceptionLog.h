#pragma once

#include "platform/DateTime.h"

#include <string>
#include <string_view>

namespace corvane {

// One line of the exception log "zrexcept.log": the date and time as
// "dd-mmm-yyyy hh:nn:ss" (English short month name), the program's file name,
// the sender ("Unassigned Sender" when none), the message, each of the first
// three followed by two blanks, ending in CR LF.
std::string FormatExceptionLogLine(TDateTime now, std::string_view programFileName, std::string_view sender,
                                   std::string_view message);

// Appends `line` to the file, creating it if needed; raises std::runtime_error
// when the file cannot be opened or written.
void AppendToLogFile(const std::string& path, std::string_view line);

} // namespace corvane
