#pragma once

#include <functional>
#include <optional>
#include <string>

namespace corvane {

// What the desktop's "open" (xdg-open) would use to show an HTML page.
struct DesktopBrowserFacts {
    // Finds a program on the search path (its full path, or nothing).
    std::function<std::optional<std::string>(const std::string& name)> locate;
    // The desktop's default application for text/html (xdg-mime's answer; "" none).
    std::string htmlDefault;
    // The BROWSER environment variable ("" unset).
    std::string browserVariable;
};

// Whether the desktop can show an HTML page in a browser window: xdg-open is
// installed, and the desktop names an application for HTML, or BROWSER names
// one, or one of the graphical browsers xdg-open falls back to is installed.
// Without any, xdg-open fails after the fact with a screenful of errors on the
// terminal and the operator sees nothing.
bool DesktopShowsHtml(const DesktopBrowserFacts& facts);

} // namespace corvane
