#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// Every error of the table store: a misused table (not in edit mode, empty
// table), a bad value for a field, an invalid filter.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A table file that cannot be read or written. The message names the file.
class ETableFileError : public EDatabaseError {
public:
    ETableFileError(const std::string& fileName, const std::string& reason)
        : EDatabaseError("Table file \"" + fileName + "\": " + reason), fileName_(fileName) {}
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// The silent withdrawal of an operation: a table rule throws it to refuse a new
// row, a post or a delete without a message. It propagates to the caller, and
// the application's exception handler ignores it.
class EAbort : public std::runtime_error {
public:
    EAbort() : std::runtime_error("Operation aborted") {}
};

// Withdraws the operation in progress silently (see EAbort).
[[noreturn]] inline void Abort() {
    throw EAbort();
}

} // namespace corvane
