#include "data/ExceptionLogWriter.h"

#include "data/ExceptionLog.h"

#include <cmath>
#include <filesystem>

namespace corvane {

ExceptionLogWriter::ExceptionLogWriter(std::string path, std::string programFileName)
    : path_(std::move(path)), programFileName_(std::move(programFileName)) {}

ExceptionLogWriter::~ExceptionLogWriter() {
    try {
        Flush(lastSeen_);
    } catch (...) {
        // A log that cannot be written loses the count, as it loses lines.
    }
}

void ExceptionLogWriter::Write(TDateTime now, std::string_view sender, std::string_view message) {
    lastSeen_ = now;
    if (haveLast_ && sender == lastSender_ && message == lastMessage_) {
        ++repeats_;
        // In whole milliseconds: day fractions do not add up exactly.
        if (std::llround((now - lastWritten_) * SecondsPerDay * 1000) >= SummaryEverySeconds * 1000)
            Flush(now);
        return;
    }
    Flush(now);
    Append(FormatExceptionLogLine(now, programFileName_, sender, message));
    lastSender_ = sender;
    lastMessage_ = message;
    haveLast_ = true;
}

void ExceptionLogWriter::Flush(TDateTime now) {
    if (repeats_ == 0)
        return;
    const uint64_t repeats = repeats_;
    repeats_ = 0;
    Append(FormatExceptionLogLine(now, programFileName_, lastSender_,
                                  "The message before was repeated " + std::to_string(repeats) +
                                      (repeats == 1 ? " more time" : " more times")));
}

void ExceptionLogWriter::Append(const std::string& line) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path_, ec);
    if (!ec && size + line.size() > MaxBytes)
        Rotate();
    AppendToLogFile(path_, line);
    lastWritten_ = lastSeen_;
}

void ExceptionLogWriter::Rotate() {
    std::error_code ec;
    const auto old = [this](int n) { return path_ + "." + std::to_string(n); };
    std::filesystem::remove(old(KeptOldFiles), ec);
    for (int n = KeptOldFiles - 1; n >= 1; --n)
        std::filesystem::rename(old(n), old(n + 1), ec);
    std::filesystem::rename(path_, old(1), ec);
}

} // namespace corvane
