#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

std::optional<std::filesystem::path> EnsureRuntimeFolder(const std::filesystem::path& base) {
    if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set && *set)
        return std::filesystem::path(set);
    const std::filesystem::path folder = base / ("runtime-" + std::to_string(::getuid()));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    // Another user may have put something in a shared /tmp first: only our
    // own real folder will do, never one reached through a link.
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return std::nullopt;
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return std::nullopt;
    if (::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1) != 0)
        return std::nullopt;
    return folder;
}

} // namespace corvane
