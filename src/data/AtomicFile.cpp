#include "data/AtomicFile.h"

#include "data/DataErrors.h"
#include "platform/RegularFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace corvane {
namespace {

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Flushes a file or folder to disk; the rename is only safe once the data is.
void Sync(const std::string& path, int flags, const char* what) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(SystemError(what));
    const int rc = ::fsync(fd);
    const int saved = errno;
    ::close(fd);
    // Some file systems cannot flush a folder; the file itself is what matters.
    if (rc != 0 && !(flags & O_DIRECTORY && (saved == EINVAL || saved == EBADF))) {
        errno = saved;
        throw std::runtime_error(SystemError(what));
    }
}

std::string TempPathFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path p(path);
    std::string name = ".";
    name += p.filename().string();
    name += ".tmp-";
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter.fetch_add(1));
    return (p.parent_path() / name).string();
}

} // namespace

void WriteFileAtomically(const std::string& path,
                         const std::function<void(const std::string& tempPath)>& write) {
    // Through a symbolic link to the file it names: the link stays a link.
    const std::string target = WriteTarget(path).string();
    const FileCheck there = CheckFile(target);
    if (there.kind == FileKind::NotRegular)
        throw ETableFileError(path, "not written: it " + there.reason);
    const std::string temp = TempPathFor(target);
    try {
        write(temp);
        Sync(temp, O_RDONLY, "cannot flush the new file");
        if (std::rename(temp.c_str(), target.c_str()) != 0)
            throw std::runtime_error(SystemError("cannot replace the file"));
    } catch (const std::exception& e) {
        std::remove(temp.c_str());
        throw ETableFileError(path, std::string("not written: ") + e.what());
    }
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    try {
        Sync(folder.empty() ? "." : folder.string(), O_RDONLY | O_DIRECTORY, "cannot flush the folder");
    } catch (const std::exception& e) {
        throw ETableFileError(path, std::string("written, but ") + e.what());
    }
}

void WriteNewFile(const std::string& path, std::string_view content) {
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (!f)
        throw std::runtime_error(SystemError("cannot create the new file"));
    const size_t written = std::fwrite(content.data(), 1, content.size(), f);
    const bool ok = written == content.size() && std::fflush(f) == 0;
    const int saved = errno;
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        errno = saved;
        throw std::runtime_error(SystemError("cannot write the new file"));
    }
}

} // namespace corvane
