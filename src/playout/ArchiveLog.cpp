#include "playout/ArchiveLog.h"

#include "platform/DateTime.h"
#include "platform/RegularFile.h"

#include <cstdio>
#include <ctime>
#include <memory>

namespace corvane {

namespace {

// The date in the user's short date format (the locale's "%x").
std::string ShortDate(TDateTime t) {
    const CivilDateTime c = DecodeDateTime(t);
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    char text[64];
    const size_t n = std::strftime(text, sizeof text, "%x", &tm);
    return std::string(text, n);
}

std::string HoursMinutes(TDateTime t) {
    const CivilDateTime c = DecodeDateTime(t);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", c.hour, c.minute);
    return text;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

ArchiveLog::ArchiveLog(std::filesystem::path programFolder, Clock& clock)
    : path_(std::move(programFolder) / FileName), clock_(clock) {}

std::string ArchiveLog::FormatLine(TDateTime dateReading, TDateTime timeReading, const std::string& file,
                                   const std::string& text) {
    return ShortDate(dateReading) + " " + HoursMinutes(timeReading) + "  " + file + " " + text + "\r\n";
}

void ArchiveLog::WriteArchiveLine(const std::string& file, const std::string& text) {
    // Never waits on a FIFO in the log's place (playout would stand still).
    if (CheckFile(path_).kind == FileKind::NotRegular)
        throw EArchiveLogError("Cannot open file \"" + path_.string() + "\": it " + CheckFile(path_).reason);
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path_.c_str(), "ab"));
    if (!out)
        throw EArchiveLogError("Cannot open file \"" + path_.string() + "\"");
    // Two readings of the clock, date first, as the line has always been made.
    const TDateTime date = clock_.Now();
    const std::string line = FormatLine(date, clock_.Now(), file, text);
    const bool written = std::fwrite(line.data(), 1, line.size(), out.get()) == line.size();
    const bool closed = std::fclose(out.release()) == 0;
    if (!written || !closed)
        throw EArchiveLogError("Cannot write to file \"" + path_.string() + "\"");
}

} // namespace corvane
