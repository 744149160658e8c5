#include "data/ExceptionLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

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
    // O_NONBLOCK: a FIFO in the log's place must not hold the console until
    // something reads it; anything but a regular file is refused.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error(path + ": " + std::strerror(errno));
    struct stat st {};
    bool written = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    for (size_t done = 0; written && done < line.size();) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += written ? static_cast<size_t>(n) : 0;
    }
    const bool closed = ::close(fd) == 0;
    if (!written || !closed)
        throw std::runtime_error(path + ": cannot write");
}

} // namespace corvane
