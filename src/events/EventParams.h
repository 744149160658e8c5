#pragma once

#include "platform/DateTime.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// An event's EventParams: "Key=Value;Key=Value". Keys are read without
// regard to case; blanks around keys and values are dropped; a value may hold
// ';' inside double quotes. An empty text has no parameters. A part without
// '=' or a key given twice is an error (std::invalid_argument naming it), so a
// mistyped parameter fails the event instead of being ignored.
class EventParams {
public:
    explicit EventParams(const std::string& text);

    // The value, or nullopt when the key is not given.
    std::optional<std::string> Get(const std::string& key) const;
    // Fails (std::invalid_argument) on a key that is none of `known`, so
    // that a misspelt key is not silently ignored.
    void AllowOnly(const std::vector<std::string>& known) const;

    // "yes"/"true"/"1" or "no"/"false"/"0"; `absent` when not given.
    bool Flag(const std::string& key, bool absent) const;
    // A length: whole minutes ("90"), "h:mm" or "h:mm:ss"; in ms. nullopt
    // when not given.
    std::optional<int64_t> LengthMs(const std::string& key) const;
    // A count of whole seconds; nullopt when not given.
    std::optional<int> Seconds(const std::string& key) const;

private:
    std::map<std::string, std::string> values_; // keys in lower case
};

// Splits a command line into arguments at blanks; a part in double quotes is
// one argument without its quotes. No shell reads it: no variables, globs or
// redirections.
std::vector<std::string> SplitArguments(const std::string& text);

// A file name with a date-time pattern: each part in braces is written with
// `when`, its letters read as yyyy (year), yy, mm (month), dd, hh (24-hour),
// nn (minute) and ss; any other character is kept. "show-{yyyymmdd-hhnn}.wav"
// at 6 o'clock on 11 December 2026 is "show-20261211-0600.wav". An unclosed
// brace is an error (std::invalid_argument).
std::string ExpandDateTimePattern(const std::string& pattern, TDateTime when);

} // namespace corvane
