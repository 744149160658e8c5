#include "platform/DesktopBrowser.h"

#include <gtest/gtest.h>
#include <set>

namespace corvane {
namespace {

// Which programs are installed, as the facts' locate finds them.
DesktopBrowserFacts Facts(std::set<std::string> installed, std::string htmlDefault = {},
                          std::string browser = {}) {
    return {[installed](const std::string& name) -> std::optional<std::string> {
                if (!installed.contains(name))
                    return std::nullopt;
                return "/usr/bin/" + name;
            },
            std::move(htmlDefault), std::move(browser)};
}

TEST(DesktopBrowser, APageIsShownOnlyWhenXdgOpenHasAGraphicalBrowserToHandItTo) {
    const struct {
        const char* what;
        DesktopBrowserFacts facts;
        bool shows;
    } cases[] = {
        {"a bare machine", Facts({"xdg-open", "xdg-mime"}), false},
        {"the desktop's HTML application", Facts({"xdg-open"}, "firefox-esr.desktop"), true},
        {"BROWSER set", Facts({"xdg-open"}, "", "netsurf"), true},
        {"Debian's browser alternative", Facts({"xdg-open", "x-www-browser"}), true},
        {"chromium, found by xdg-open's own list", Facts({"xdg-open", "chromium"}), true},
        {"only a text-mode browser", Facts({"xdg-open", "lynx", "w3m", "www-browser"}), false},
        {"no xdg-open at all", Facts({"firefox"}, "firefox.desktop"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopShowsHtml(c.facts), c.shows) << c.what;
}

} // namespace
} // namespace corvane
