#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A file the import could not take, and why.
struct ImportFailure {
    std::string path;
    std::string reason;
};

struct ImportSummary {
    int files = 0;
    int imported = 0;
    // Already in the library: left as they were (measured if they were not).
    int alreadyInLibrary = 0;
    int analysed = 0;
    std::vector<ImportFailure> failed;
    // Imported, but their loudness could not be measured.
    std::vector<ImportFailure> notAnalysed;
    // What the operator should know beside the files (the loudness store
    // moved aside as damaged, or in use by another program).
    std::vector<std::string> notices;
};

// The program folder is held by a running console (or another import).
class FolderInUse : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder's library is shared on a server, which this tool does not write.
class LibraryOnServer : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `text` (a file name, a reason naming one) as it can be printed on one line
// of a terminal: control characters (a line feed would forge a line of its
// own, an escape sequence would drive the terminal), the C1 controls, a
// backslash and bytes that are not UTF-8 are written as escapes ("\n",
// "\x1b", "\\"); everything else is left as it is.
std::string PrintableText(std::string_view text);

// What the import has got to: files measured of all found.
using ImportProgress = std::function<void(int done, int total)>;

// Imports the files and the audio files under the folders named into the
// library of the program folder `folder`, as the library manager does (tags,
// durations, a path already in the library is not added again), measures
// each on worker threads into the folder's loudness store, and writes the
// library. Throws FolderInUse when a running console holds the folder
// (nothing is imported then), another error when its tables cannot be read
// or written.
ImportSummary ImportIntoLibrary(const std::filesystem::path& folder, const std::vector<std::string>& paths,
                                const ImportProgress& progress);

} // namespace corvane
