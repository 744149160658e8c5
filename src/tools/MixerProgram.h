#pragma once

#include <functional>
#include <optional>
#include <string>

namespace corvane {

class Shell;

// A program to start and what to start it with.
struct ProgramToStart {
    std::string program; // full path
    std::string parameters;
    friend bool operator==(const ProgramToStart&, const ProgramToStart&) = default;
};

// Finds a program by name on the system's search path: its full path, or
// nothing when it is not installed.
using ProgramLocator = std::function<std::optional<std::string>(const std::string& name)>;

// "&Volume / Mixer Controls": PulseAudio's volume control "pavucontrol" when
// it is installed, else the sound settings of the desktop the console runs on
// (`desktop` as the desktop names itself, e.g. "GNOME", "KDE", "XFCE"; a list
// separated by ':' is searched in order) when that desktop is known and its
// program installed, else nothing.
std::optional<ProgramToStart> MixerProgram(const ProgramLocator& locate, const std::string& desktop);

// Starts the mixer program through the shell; false when there is none or it
// could not be started.
bool OpenMixerControls(Shell& shell, const ProgramLocator& locate, const std::string& desktop);

} // namespace corvane
