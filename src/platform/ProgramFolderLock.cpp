#include "platform/ProgramFolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corvane {

namespace {

std::string ReadHolder(int fd) {
    char text[256] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    std::string holder(text, n > 0 ? static_cast<size_t>(n) : 0);
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\0'))
        holder.pop_back();
    return holder.empty() ? "another program" : holder;
}

} // namespace

std::variant<std::unique_ptr<ProgramFolderLock>, std::string>
ProgramFolderLock::Take(const std::filesystem::path& folder, const std::string& holder) {
    const std::filesystem::path file = folder / ProgramFolderLockFileName;
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return "cannot open " + file.string() + ": " + std::strerror(errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        std::string why = error == EWOULDBLOCK ? "in use by " + ReadHolder(fd)
                                               : "cannot be locked: " + std::string(std::strerror(error));
        ::close(fd);
        return why;
    }
    // Who holds it, for the message the next one gets.
    const std::string text = holder + " (process " + std::to_string(::getpid()) + ")\n";
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
        // The lock holds without the name; the next one reads "another program".
    }
    return std::unique_ptr<ProgramFolderLock>(new ProgramFolderLock(fd));
}

ProgramFolderLock::~ProgramFolderLock() {
    // Closing releases the lock; the file stays, empty of meaning until the next holder.
    ::close(fd_);
}

} // namespace corvane
