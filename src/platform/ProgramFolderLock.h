#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <variant>

namespace corvane {

// The file in a program folder whose lock says who writes its tables now.
inline constexpr const char* ProgramFolderLockFileName = "corvane.lock";

// Held while a program writes the tables of a program folder: the console
// for as long as it runs, corvane-import for an import. Only one may hold it,
// so an import never writes a library a running console holds, and a console
// never starts on one an import is writing. An advisory lock on
// "corvane.lock" (flock): the system releases it when the holder ends, even
// after a crash, so a stale lock file never blocks anyone.
class ProgramFolderLock {
public:
    // Takes the folder's lock for `holder` (the program's name), or says why
    // it cannot, in words that follow "the folder … is": "in use by Corvane
    // (process 4711)", or "not usable: " and the lock file with the system's
    // error.
    static std::variant<std::unique_ptr<ProgramFolderLock>, std::string>
    Take(const std::filesystem::path& folder, const std::string& holder);
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock&) = delete;
    ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

private:
    explicit ProgramFolderLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace corvane
