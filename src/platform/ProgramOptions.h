#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace corvane {

// The version every program of the console reports (the project's version).
const char* CorvaneVersion();

// The answer to "--help" or "--version" anywhere among the arguments: the
// usage text or "<program> <version>" (plus `extraVersionLines`) on `out`,
// and the exit status 0 for the caller to return before doing anything else.
// Nothing when neither was asked.
std::optional<int> AnswerHelpOrVersion(int argc, const char* const* argv, const std::string& program,
                                       const std::string& usage, std::ostream& out,
                                       const std::string& extraVersionLines = {});

} // namespace corvane
