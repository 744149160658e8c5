#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The keys the console looks at before its controls do.
enum class PlayoutKey { F3, F4, F5, F6, F7, F8, F9, F12, Left, Right, Other };

// The modifier keys held, as a set.
enum class KeyModifiers : unsigned { None = 0, Shift = 1, Alt = 2, Ctrl = 4 };
constexpr KeyModifiers operator|(KeyModifiers a, KeyModifiers b) {
    return static_cast<KeyModifiers>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// What a previewed key asks of the console.
enum class KeyCommand {
    None,
    NextPage,       // next page of the lower page control
    PreviousPage,   // previous page
    FadeToStop,     // actFadeToStop
    SoundConfig,    // the sound configuration dialog, when off air (Ctrl+Alt+F12, Ctrl+Shift+F12)
    PauseBroadcast, // when "Pa&use" is enabled
    StopBroadcast,  // when "St&op" is enabled
    DelayPauseBroadcast,
    FadeToNext,     // actFadeToNext; the key is consumed
    AudioLogging,   // the audio logging window
    NextCommercial, // the "F8: Next Commercial" button
    StartBroadcast, // when "&Start" is enabled
};

// The key preview table: function keys by the exact set of modifiers held.
KeyCommand PreviewKey(PlayoutKey key, KeyModifiers modifiers);

// The pages of the lower page control, in order.
inline const std::vector<std::string>& ControlCenterPages() {
    static const std::vector<std::string> pages{"Visuals", "Audio Rack",  "Commercials",
                                                "Events",  "Live Assist", "Speed Search"};
    return pages;
}

// The page Ctrl+Right (step +1) or Ctrl+Left (step -1) selects from `page`;
// -1 when it runs off either end (no page is then selected).
int PageAfterStep(int page, int step, int pageCount);

// The menu and tool-bar shortcuts of the playout commands, for the window to
// put on its actions ("Ctrl+F7" form).
struct PlayoutShortcut {
    std::string command;
    std::string shortcut;
};
const std::vector<PlayoutShortcut>& PlayoutShortcuts();

} // namespace corvane
