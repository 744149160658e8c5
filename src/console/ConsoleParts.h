#pragma once

#include <functional>
#include <string>
#include <utility>

namespace corvane {

// The steps of start-up and shutdown that belong to other parts of the
// console (playout, schedule files, play lists, commercials, events, the
// audio rack, the wizard, the sound output). Each is connected when its part
// is built into the console; an empty one is a part not present, and the
// step that would call it is left out (never imitated). Main thread.
struct ConsoleParts {
    // Playout: records the on-air state and refreshes the commands.
    std::function<void(bool onAir)> SetOnAir;
    // Playout: applies the on-air command table again for the current state,
    // without counting as an on-air change (after the schedule's rows changed).
    std::function<void()> RefreshCommands;
    // Playout: starts the schedule row under the cursor.
    std::function<void()> StartItem;
    // Reliability (the recovery copy after an unclean exit): the item on air
    // and the ms heard of it ({0, 0} when none); starting the row of an item
    // from a position.
    std::function<std::pair<int, int>()> OnAirPlace;
    std::function<void(int item, int positionMs)> ResumeItem;
    // Sound output: the number of buffers its queue holds, as the settings
    // give it at start-up (the sound configuration may change it later).
    std::function<void(int buffers)> UseOutputBuffers;
    // Sound output: stops the output device (at close, before anything is saved).
    std::function<void()> StopOutput;
    // Schedule files: loads a schedule file into the schedule.
    std::function<void(const std::string& path)> LoadScheduleFile;
    // Play lists: rebuilds the "&Recent" play-list menu.
    std::function<void()> RefreshRecentPlayLists;
    // File associations of the program's file types.
    std::function<void()> RegisterFileTypes;
    // Commercials: switches the break off (and restores "F8: Next Commercial").
    std::function<void(bool active)> SetBreakActive;
    // Commercials: selects today's list and, when one was selected, loads it.
    std::function<void()> SelectTodaysCommercialList;
    // Events: no next event, "&Run Scheduled Events" ticked, EventTimer running.
    std::function<void()> StartEventProcessing;
    // Audio rack: loads a ".rck" or ".ply" rack file that exists.
    std::function<void(const std::string& path)> LoadRack;
    // The configuration wizard on its first-run page, modal.
    std::function<void()> ShowFirstRunWizard;
};

} // namespace corvane
