#pragma once

#include "platform/Clock.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace corvane {

// "archive.log" could not be opened or written.
class EArchiveLogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The plain-text archive of playout events beside the program: one line per
// event, "<short date> <hh:nn>  <file> <text>", ended by CR LF. The file is
// opened for each line and closed again, so other programs may read it
// between lines; nothing here ever truncates it. Main thread.
class ArchiveLog {
public:
    static constexpr const char* FileName = "archive.log";

    ArchiveLog(std::filesystem::path programFolder, Clock& clock);

    // Appends one line (creating the file when needed); throws
    // EArchiveLogError when the file cannot be opened or written.
    void WriteArchiveLine(const std::string& file, const std::string& text);
    std::filesystem::path Path() const { return path_; }

    // The line as written, for a given moment (date and time read apart).
    static std::string FormatLine(TDateTime dateReading, TDateTime timeReading, const std::string& file,
                                  const std::string& text);

private:
    std::filesystem::path path_;
    Clock& clock_;
};

} // namespace corvane
