#include "data/ExceptionLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace corvane {

std::string FormatExceptionLogLine(TDateTime now, std::string_view programFileName, std::string_view sender,
                                   std::string_view message) {
    static constexpr const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const CivilDateTime c = DecodeDateTime(now);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%02d-%s-%04d %02d:%02d:%02d  ", c.day, Months[(c.month + 11) % 12],
                  c.year, c.hour, c.minute, c.second);
    std::string line = stamp;
    line += programFileName;
    line += "  ";
    line += sender.empty() ? std::string_view("Unassigned Sender") : sender;
    line += "  ";
    line += message;
    line += "\r\n";
    return line;
}

void AppendToLogFile(const std::string& path, std::string_view line) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        throw std::runtime_error(path + ": " + std::strerror(errno));
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed)
        throw std::runtime_error(path + ": cannot write");
}

} // namespace corvane
