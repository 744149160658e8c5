#include "tools/MixerProgram.h"

#include "platform/Shell.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace corvane {
namespace {

struct DesktopMixer {
    const char* desktop; // as in the desktop's own name, upper case
    const char* program;
    const char* parameters;
};

// The sound settings of the desktops that have them.
constexpr DesktopMixer DesktopMixers[] = {
    {"GNOME", "gnome-control-center", "sound"},
    {"UNITY", "gnome-control-center", "sound"},
    {"KDE", "systemsettings", "kcm_pulseaudio"},
    {"XFCE", "xfce4-mixer", ""},
    {"MATE", "mate-volume-control", ""},
    {"CINNAMON", "cinnamon-settings", "sound"},
    {"LXQT", "pavucontrol-qt", ""},
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

std::optional<ProgramToStart> MixerProgram(const ProgramLocator& locate, const std::string& desktop) {
    if (const auto pavucontrol = locate("pavucontrol"))
        return ProgramToStart{*pavucontrol, ""};
    std::istringstream names(desktop);
    std::string name;
    while (std::getline(names, name, ':')) {
        name = Upper(name);
        for (const DesktopMixer& mixer : DesktopMixers)
            if (name == mixer.desktop)
                if (const auto program = locate(mixer.program))
                    return ProgramToStart{*program, mixer.parameters};
    }
    return std::nullopt;
}

bool OpenMixerControls(Shell& shell, const ProgramLocator& locate, const std::string& desktop) {
    const auto mixer = MixerProgram(locate, desktop);
    return mixer && shell.Open(mixer->program, mixer->parameters);
}

} // namespace corvane
