#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

std::string KindReason(mode_t mode) {
    if (S_ISDIR(mode))
        return "is a folder, not a file";
    if (S_ISFIFO(mode))
        return "is a FIFO (named pipe), not a file";
    if (S_ISSOCK(mode))
        return "is a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "is a device, not a file";
    return "is not a regular file";
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

FileCheck CheckFile(const std::filesystem::path& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {FileKind::Missing, {}};
        return {FileKind::NotRegular, std::strerror(errno)};
    }
    struct stat target = link;
    if (S_ISLNK(link.st_mode) && ::stat(path.c_str(), &target) != 0) {
        std::error_code ec;
        const std::filesystem::path to = std::filesystem::read_symlink(path, ec);
        return {FileKind::NotRegular,
                "is a symbolic link to \"" + to.string() + "\", which " +
                    (errno == ENOENT ? std::string("does not exist")
                                     : std::string("cannot be reached: ") + std::strerror(errno))};
    }
    if (!S_ISREG(target.st_mode))
        return {FileKind::NotRegular, KindReason(target.st_mode)};
    return {FileKind::Regular, {}};
}

std::string ReadRegularFile(const std::filesystem::path& path, size_t limit) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0) {
        if (errno == ENOENT && CheckFile(path).kind == FileKind::NotRegular)
            throw EFileUnreadable(CheckFile(path).reason);
        throw EFileUnreadable(errno == ENOENT ? std::string("does not exist")
                                              : std::string("cannot be opened: ") + std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        throw EFileUnreadable(std::string("cannot be looked at: ") + std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        throw EFileUnreadable(KindReason(st.st_mode));
    std::string bytes;
    if (st.st_size > 0)
        bytes.reserve(std::min(limit, static_cast<size_t>(st.st_size)));
    char buffer[65536];
    while (bytes.size() < limit) {
        const ssize_t got = ::read(file.fd, buffer, std::min(sizeof buffer, limit - bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw EFileUnreadable(std::string("cannot be read: ") + std::strerror(errno));
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

std::filesystem::path WriteTarget(const std::filesystem::path& path) {
    std::filesystem::path at = path;
    // As many hops as the system itself follows before giving up (ELOOP).
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(at, ec))
            return at;
        const std::filesystem::path to = std::filesystem::read_symlink(at, ec);
        if (ec)
            return at;
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return at;
}

} // namespace corvane
