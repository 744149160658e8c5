#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace corvane::schedule {

// Exit statuses: every rule kept; slots unfilled or rules relaxed (all
// reported); usage or unreadable input (the file and the reason told).
inline constexpr int AllKept = 0;
inline constexpr int SomethingReported = 1;
inline constexpr int BadInput = 2;

inline constexpr const char* Usage =
    "usage: corvane-schedule --folder DIR --from YYYY-MM-DD --days N [--format FILE] [--seed N]\n"
    "       corvane-schedule --check FILE.wsl [--format FILE] [--folder DIR]\n";

// Runs the tool on its arguments (without the program name): one summary
// line per generated day, or one line per violation, on `out`; problems on
// `err`. Returns the exit status.
int RunScheduleTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace corvane::schedule
