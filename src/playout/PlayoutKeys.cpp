#include "playout/PlayoutKeys.h"

#include <filesystem>

namespace corvane {

KeyCommand PreviewKey(PlayoutKey key, KeyModifiers modifiers) {
    if (modifiers == KeyModifiers::Ctrl) {
        switch (key) {
        case PlayoutKey::Right:
            return KeyCommand::NextPage;
        case PlayoutKey::Left:
            return KeyCommand::PreviousPage;
        case PlayoutKey::F6:
            return KeyCommand::FadeToStop;
        default:
            return KeyCommand::None;
        }
    }
    if (modifiers == (KeyModifiers::Ctrl | KeyModifiers::Alt))
        return key == PlayoutKey::F12 ? KeyCommand::SoundConfig : KeyCommand::None;
    // X's default keymap turns Ctrl+Alt+F12 into a switch to virtual terminal
    // 12 that never reaches the program; Ctrl+Shift+F12 does.
    if (modifiers == (KeyModifiers::Ctrl | KeyModifiers::Shift) && key == PlayoutKey::F12)
        return KeyCommand::SoundConfig;
    switch (key) {
    case PlayoutKey::F3:
        return KeyCommand::PauseBroadcast;
    case PlayoutKey::F4:
        return KeyCommand::StopBroadcast;
    case PlayoutKey::F5:
        return KeyCommand::DelayPauseBroadcast;
    case PlayoutKey::F6:
        return KeyCommand::FadeToNext;
    case PlayoutKey::F7:
        return KeyCommand::AudioLogging;
    case PlayoutKey::F8:
        return KeyCommand::NextCommercial;
    case PlayoutKey::F9:
        return KeyCommand::StartBroadcast;
    default:
        return KeyCommand::None;
    }
}

int PageAfterStep(int page, int step, int pageCount) {
    const int next = page + step;
    return next >= 0 && next < pageCount ? next : -1;
}

const std::vector<PlayoutShortcut>& PlayoutShortcuts() {
    static const std::vector<PlayoutShortcut> shortcuts{
        {"&Play Selected", "Return"},
        {"&Fade to Selected", "Space"},
        {"Fade to Next", "F6"},
        {"Fade to Stop", "Ctrl+F6"},
        {"&Start", "Ctrl+F7"},
        {"St&op", "Ctrl+F8"},
        {"Pa&use", "Ctrl+F9"},
        {"&Preview Notes", "Ctrl+F7"},
        {"&Full Screen", "Ctrl+F11"},
        {"Minimize Corvane", "Ctrl+Alt+F11"},
        {"&Open Corvane", "Ctrl+Alt+F11"},
        {"Search &Audio Library...", "Ctrl+F"},
        {"Loc&k Console", "Ctrl+L"},
        {"&Volume / Mixer Controls", "Ctrl+Shift+V"},
    };
    return shortcuts;
}

} // namespace corvane
