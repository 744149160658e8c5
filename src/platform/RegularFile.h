#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace corvane {

// What stands at a path the console reads. A folder, a FIFO, a device or a
// symbolic link that leads nowhere (a share not mounted) is there but cannot be
// read as a file: it is never taken for a missing file, which the console
// would start empty and later write over.
enum class FileKind { Missing, Regular, NotRegular };

struct FileCheck {
    FileKind kind = FileKind::Missing;
    // Why a path that is there cannot be read, e.g. "is a FIFO, not a file".
    std::string reason;
};

// Looks without opening, so it never blocks. Any thread.
FileCheck CheckFile(const std::filesystem::path& path);

// Why a file could not be read; what() is the reason alone, without the name,
// so that each caller can put the name where its message has it.
class EFileUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's bytes (at most `limit` of them). A FIFO or device is opened
// without waiting for a writer and refused, as is a folder; the reason is
// thrown as EFileUnreadable. Any thread.
std::string ReadRegularFile(const std::filesystem::path& path, size_t limit = static_cast<size_t>(-1));

// Where a write to `path` lands: a symbolic link is followed to the file it
// names, so that replacing the file keeps the link a link.
std::filesystem::path WriteTarget(const std::filesystem::path& path);

} // namespace corvane
