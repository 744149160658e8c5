#pragma once

#include "platform/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Writes the exception log so that no fault, however often it repeats, can
// fill a disk: an entry identical to the one before it (same sender, same
// message) is counted instead of written, and the count goes out as one line
// when another entry comes, at most a minute after the last line written, and
// when the writer ends. The file is rotated at MaxBytes: "zrexcept.log"
// becomes "zrexcept.log.1" (older ones move up to ".3"; the oldest is
// dropped). Thread of the caller (the data module's: main thread).
class ExceptionLogWriter {
public:
    static constexpr uint64_t MaxBytes = 1024 * 1024;
    static constexpr int KeptOldFiles = 3;
    static constexpr double SummaryEverySeconds = 60;

    ExceptionLogWriter(std::string path, std::string programFileName);
    // Writes what is still counted.
    ~ExceptionLogWriter();
    ExceptionLogWriter(const ExceptionLogWriter&) = delete;
    ExceptionLogWriter& operator=(const ExceptionLogWriter&) = delete;

    // Raises std::runtime_error when the file cannot be written.
    void Write(TDateTime now, std::string_view sender, std::string_view message);
    // Writes the count of repeats not yet written, if any.
    void Flush(TDateTime now);

private:
    void Append(const std::string& line);
    void Rotate();

    std::string path_;
    std::string programFileName_;
    std::string lastSender_;
    std::string lastMessage_;
    bool haveLast_ = false;
    uint64_t repeats_ = 0;
    TDateTime lastWritten_ = 0;
    TDateTime lastSeen_ = 0;
};

} // namespace corvane
