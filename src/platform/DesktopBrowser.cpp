#include "platform/DesktopBrowser.h"

namespace corvane {

bool DesktopShowsHtml(const DesktopBrowserFacts& facts) {
    if (!facts.locate || !facts.locate("xdg-open"))
        return false;
    if (!facts.htmlDefault.empty() || !facts.browserVariable.empty())
        return true;
    // xdg-open's own fallbacks on a display; the text-mode ones (lynx, w3m)
    // would draw into the terminal the console was started from.
    for (const char* browser :
         {"x-www-browser", "firefox", "firefox-esr", "iceweasel", "seamonkey", "mozilla", "epiphany",
          "konqueror", "chromium", "chromium-browser", "google-chrome"})
        if (facts.locate(browser))
            return true;
    return false;
}

} // namespace corvane
