#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// Replaces the file at `path` as one step: `write` creates the new content at
// the temporary path it is given (beside the old file, in the same folder);
// the new file is then flushed to disk and renamed over the old one, and the
// folder is flushed. If anything fails, the temporary file is removed, the old
// file is untouched, and ETableFileError naming `path` is raised.
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const std::string& tempPath)>& write);

// Writes `content` as a new file at `path` (for the temporary path that
// WriteFileAtomically hands its writer); raises std::runtime_error on failure.
void WriteNewFile(const std::string& path, std::string_view content);

} // namespace corvane
