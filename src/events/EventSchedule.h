#pragma once

#include "events/NoQuestionPrompter.h"
#include "platform/DateTime.h"
#include "platform/Seams.h"

#include <filesystem>
#include <string>

namespace corvane {

class EventHost;
class TdmQelData;

// What scheduled events do to the running schedule (cdsSchedule), with the
// console's own loaders but without a question or a dialog. Main thread.
class EventSchedule {
public:
    EventSchedule(TdmQelData& data, Seams seams, EventHost& host);

    // Replaces the running schedule by a schedule file (".wsl", any case) or a
    // play list (any other name). A schedule with changes is first written to
    // `asideFolder` as "unsaved-schedule-yyyymmdd-hhnnss.wsl" (the time is
    // `now`); returns that file, or an empty path when nothing was unsaved.
    // Throws when the file is missing or cannot be read; a play list that
    // cannot be read leaves the schedule as it was.
    std::filesystem::path Load(const std::filesystem::path& file, const std::filesystem::path& asideFolder,
                               TDateTime now);
    // Puts the rows after the one of `keptItem` (ItemPlayOrder; 0: the row
    // under the cursor) in a random order; that row and the rows before it
    // keep their places. Returns how many rows were shuffled.
    int ShuffleAfter(int keptItem);
    // The cursor on the first row in play order.
    void CursorToFirstRow();

private:
    std::filesystem::path WriteAside(const std::filesystem::path& folder, TDateTime now);

    TdmQelData& data_;
    Seams seams_;
    EventHost& host_;
    NoQuestionPrompter prompter_;
};

} // namespace corvane
