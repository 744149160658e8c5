#include "platform/ProgramFolderLock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// The holder's name is written as one record of this many bytes at the
// start of the file, padded with NULs: the file is never truncated, and a
// longer name written before is covered whole.
constexpr size_t HolderRecordBytes = 128;

std::string ReadHolder(int fd) {
    char text[HolderRecordBytes + 1] = {};
    const ssize_t n = ::pread(fd, text, HolderRecordBytes, 0);
    std::string holder(text, n > 0 ? static_cast<size_t>(n) : 0);
    holder = holder.substr(0, holder.find_first_of(std::string("\n\0", 2)));
    return holder.empty() ? "another program" : holder;
}

} // namespace

std::variant<std::unique_ptr<ProgramFolderLock>, std::string>
ProgramFolderLock::Take(const std::filesystem::path& folder, const std::string& holder) {
    const std::filesystem::path file = folder / ProgramFolderLockFileName;
    // Never through a link: a "corvane.lock" that points elsewhere (planted,
    // or left by a copy) must not get another file written over.
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        const int error = errno;
        return "not usable: cannot open " + file.string() + ": " +
               (error == ELOOP ? std::string("it is a symbolic link") : std::string(std::strerror(error)));
    }
    struct stat st {};
    std::string wrong;
    if (::fstat(fd, &st) != 0)
        wrong = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        wrong = "it is not a regular file";
    else if (st.st_nlink != 1)
        wrong = "it is another file's name too (a hard link)";
    if (!wrong.empty()) {
        ::close(fd);
        return "not usable: cannot open " + file.string() + ": " + wrong;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        std::string why =
            error == EWOULDBLOCK
                ? "in use by " + ReadHolder(fd)
                : "not usable: " + file.string() + " cannot be locked: " + std::string(std::strerror(error));
        ::close(fd);
        return why;
    }
    // Who holds it, for the message the next one gets.
    std::string text = holder + " (process " + std::to_string(::getpid()) + ")\n";
    text.resize(std::max(text.size(), HolderRecordBytes), '\0');
    if (::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
        // The lock holds without the name; the next one reads "another program".
    }
    return std::unique_ptr<ProgramFolderLock>(new ProgramFolderLock(fd));
}

ProgramFolderLock::~ProgramFolderLock() {
    // Closing releases the lock; the file stays, empty of meaning until the next holder.
    ::close(fd_);
}

} // namespace corvane
