#pragma once

#include "scheduling/SchedulingModel.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Something in a format file that cannot be used, with its 1-based line
// (0 when it concerns the file as a whole).
struct FormatProblem {
    int line = 0;
    std::string message;
};

struct FormatReading {
    SchedulingFormat format;
    std::vector<FormatProblem> problems; // empty when the format can be used
};

// Reads the scheduler's format ("scheduling.ini"): "[Clock NAME]" sections
// of Slot1, Slot2, … keys, one "[Week]" and one "[Rules]". Every unknown
// section or key, malformed value, clock without slots and week line naming a
// missing clock is a problem with its line; nothing is ignored silently.
FormatReading ReadSchedulingFormat(std::string_view text);

// The same from a file; an unreadable file is one problem saying why.
FormatReading ReadSchedulingFormatFile(const std::filesystem::path& path);

// The name the console and the tool look for in a data folder.
inline constexpr const char* SchedulingFormatFileName = "scheduling.ini";

} // namespace corvane
