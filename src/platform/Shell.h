#pragma once

#include <string>

namespace corvane {

// The desktop shell's "open": shows a document in the program the desktop
// associates with it, or starts a program. Main thread; returns at once.
class Shell {
public:
    virtual ~Shell() = default;
    // False when the desktop could not open it (no such file, no program).
    virtual bool Open(const std::string& pathOrProgram, const std::string& parameters = {}) = 0;
    // Whether "open" of an HTML page would show it in a browser; a desktop
    // without one reports its failure only on the terminal.
    virtual bool ShowsHtml() = 0;
};

} // namespace corvane
