#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Whether a file name ends in ".mp3" or ".wav", in any letter case.
bool IsAudioFileName(std::string_view name);

enum class ScanOutcome { Complete, Cancelled };

// A folder (or a link in one) the walk could not search, and the system's reason.
struct ScanProblem {
    std::string path;
    std::string reason;
};

// What a running walk has seen so far; read from any thread.
struct ScanCounters {
    std::atomic<int> folders{0};
    std::atomic<int> files{0}; // audio files found
};

// ScanFolderForAudio: lists the audio files under `folder` depth-first, each
// folder's entries in the order the file system returns them, a sub-folder
// searched where it is met; every kind of entry counts, hidden ones too. The
// found paths are the folder joined with the name by '/'. A folder reached a
// second time (through a symbolic link, a link loop or a bind mount) is not
// searched again, and a folder that cannot be listed contributes nothing, so
// the walk always ends; each such folder, and each link that leads nowhere it
// can look (a loop), goes to `problems` when given. `cancel` is polled
// between entries. Any thread; it touches no table.
ScanOutcome ScanFolderForAudio(const std::string& folder, std::vector<std::string>& list,
                               const std::atomic<bool>& cancel, ScanCounters* counters = nullptr,
                               std::vector<ScanProblem>* problems = nullptr);

} // namespace corvane
