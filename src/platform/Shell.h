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
};

} // namespace corvane
