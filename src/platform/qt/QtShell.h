#pragma once

#include "platform/Shell.h"

namespace corvane {

// Opens documents through the desktop's file associations (xdg-open via
// QDesktopServices) and starts programs detached.
class QtShell final : public Shell {
public:
    bool Open(const std::string& pathOrProgram, const std::string& parameters = {}) override;
    // Asks xdg-mime (a short process) each time: a browser may be installed
    // while the console runs.
    bool ShowsHtml() override;
};

} // namespace corvane
