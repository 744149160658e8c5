#pragma once

#include <optional>

namespace corvane {

// The console's operating mode as the status bar shows it.
enum class OperatingMode { Design, Automatic };

// Which of the console's commands are available, as the on-air state leaves
// them; the window applies it to its menus and buttons. A command left empty
// keeps whatever state it had.
struct PlayoutCommands {
    bool FadeToNext = false;        // "Fade to &Next"
    bool FadeToSelected = false;    // "&Fade to Selected"
    bool SystemMenu = true;         // "&System"
    bool Start = false;             // "&Start"
    bool Wizard = true;             // "&Wizard"
    bool Stop = false;              // "St&op"
    bool Pause = false;             // "Pa&use"
    bool PlayLists = true;          // "Playlis&ts"
    bool LoadScheduleFile = true;   // "&Load Sc&hedule File"
    bool LoadPlaylist = true;       // "&Load Playlist"
    bool ClearSchedule = false;     // "Cle&ar Current Schedule"
    bool SaveScheduleFile = false;  // "&Save Schedule &File"
    bool ExportSchedule = false;    // "Export Schedule"
    bool MoveUp = false;            // "Move &Up"
    bool MoveDown = false;          // "Move Dow&n"
    std::optional<bool> Properties; // "&Properties"
    OperatingMode Mode = OperatingMode::Design;
    friend bool operator==(const PlayoutCommands&, const PlayoutCommands&) = default;
};

// Whether a jingle or a commercial plays directly while the console is off air.
struct DirectPlayout {
    bool jingle = false;
    bool commercial = false;
};

// The command table of the on-air state: with rows in the schedule the
// commands follow `onAir`, an empty schedule leaves only loading and set-up.
PlayoutCommands CommandsForOnAir(bool onAir, bool scheduleHasRows, DirectPlayout direct);

} // namespace corvane
