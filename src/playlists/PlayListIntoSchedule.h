#pragma once

#include "platform/Seams.h"

#include <functional>
#include <optional>
#include <string>

namespace corvane {

class TdmQelData;

// The play-list file dialogs' filter for opening.
inline constexpr const char* PlayListOpenFilter = "Corvane Playlist [*.ply]|*.ply|All Files [*.*]|*.*";
// The message of a play list that cannot be read.
inline constexpr const char* UnreadablePlayListMessage =
    "Unable to open selected play list, please ensure that a valid play list file is selected";

// What loading a play list into the schedule needs of the console. Each is
// optional. Main thread.
struct PlayListLoadHost {
    // The play-list folder setting: where the dialog starts, and where the
    // last play list loaded came from.
    std::function<std::string()> PlayListDefaultDirectory;
    std::function<void(const std::string& folder)> SetPlayListDefaultDirectory;
    // The schedule's total (seconds).
    std::function<void(int seconds)> ShowTotalDuration;
    std::function<void(bool busy)> SetBusy;
    // Runs between the rows of a long load (posted work, painting).
    std::function<void()> KeepResponsive;
};

enum class PlayListLoad { Loaded, Cancelled, Unreadable };

// "&Load Playlist" and the console's recent play lists: replaces the running
// schedule with the titles of a play list file (`path`, or the file the
// operator picks). A schedule with unsaved changes is replaced only after the
// operator agrees; cancelling that question or the dialog, or a file that
// cannot be read, leaves the schedule as it was. Titles no longer in the
// library, or whose file is gone, are skipped without a message. The
// schedule's cursor ends on its first row; the library's stays where it was.
PlayListLoad LoadPlayListIntoSchedule(TdmQelData& data, Seams seams, const PlayListLoadHost& host,
                                      std::optional<std::string> path);

} // namespace corvane
