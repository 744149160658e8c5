#pragma once

#include "asrun/AsRunRecord.h"

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

// Records read back from as-run files, and what could not be read.
struct AsRunRead {
    // In the order their start lines were written; a record whose end line
    // is missing (the program ended while it was on air) has no actualEnd
    // and EndedBy::Unknown.
    std::vector<AsRunRecord> records;
    // One line per damaged line skipped or file that could not be read,
    // naming the file and the line number.
    std::vector<std::string> messages;
};

// Reads one day's file. A damaged line (cut short by a crash, edited by
// hand) is skipped with a message; every other line is read.
void ReadAsRunFile(const std::filesystem::path& file, AsRunRead& into);
// Every day's file in `folder` from `fromDay` to `toDay` ("yyyy-mm-dd",
// both included), day by day; days without a file are no error.
AsRunRead ReadAsRunDays(const std::filesystem::path& folder, const std::string& fromDay,
                        const std::string& toDay);

} // namespace corvane
