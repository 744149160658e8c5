#pragma once

#include "asrun/AsRunRecord.h"

#include <optional>
#include <string>

namespace corvane {

// The as-run log's lines and the JSON-lines report share one form: a JSON
// object per line with the keys kind, id, source, playOrder, sourceDetail,
// scheduledStart, actualStart, actualEnd, raised, endedBy, reason, titleId,
// title, artist, album, composer, label, year, category, file, durationMs
// (times in ISO 8601 local time with milliseconds and the offset). A key
// whose value is not known is left out.

// A whole record on one line, with no line end.
std::string RecordLine(const AsRunRecord& record);
// The line that closes the record `id`: "line":"end", its end and how.
std::string EndLine(const std::string& id, TDateTime actualEnd, EndedBy endedBy, const std::string& reason);

// One line read back: a record (a start, or whole) or the end of one.
struct AsRunLine {
    bool isEnd = false;
    AsRunRecord record;
};
// Nothing when the line is not one of the log's lines (damaged, cut short).
std::optional<AsRunLine> ParseAsRunLine(const std::string& line);

} // namespace corvane
