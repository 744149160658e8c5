#pragma once

#include "asrun/AsRunRecord.h"

#include <ostream>
#include <vector>

namespace corvane {

// Reports built from as-run records (in the order they were written). Each
// writes to `out`; times are ISO 8601 local time with milliseconds and the
// offset, lengths in seconds with milliseconds. CSV is RFC 4180 (a header
// row, fields quoted when they hold a comma, a quote or a line break).

// `asrun`: the records themselves, one row each.
void WriteAsRunCsv(const std::vector<AsRunRecord>& records, std::ostream& out);
// `asrun --format jsonl`: one JSON object per record, the as-run file's keys.
void WriteAsRunJsonLines(const std::vector<AsRunRecord>& records, std::ostream& out);
// `timing`: per clock hour with items, the planned start and end (from the
// items' scheduled starts, where they have one) against the actual start and
// end, the difference at the end (over +, under -) and the items that did
// not play out (skipped, failed).
void WriteTimingCsv(const std::vector<AsRunRecord>& records, std::ostream& out);
// `royalty`: one row per music title heard (items from the schedule and the
// cart wall, not spots or silences), with its play count.
void WriteRoyaltyCsv(const std::vector<AsRunRecord>& records, std::ostream& out);

} // namespace corvane
