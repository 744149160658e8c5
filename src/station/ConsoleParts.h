#pragma once

#include <functional>
#include <string>
#include <utility>

namespace corvane {

// The steps of start-up and shutdown that belong to other parts of the
// console (playout, schedule files, play lists, commercials, events, the
// audio rack, the wizard, the sound output). The station implements them over
// its parts and its view; the core's own tests record them. Main thread.
class ConsoleParts {
public:
    virtual ~ConsoleParts() = default;

    // Playout: records the on-air state and refreshes the commands.
    virtual void SetOnAir(bool onAir) = 0;
    // Playout: applies the on-air command table again for the current state,
    // without counting as an on-air change (after the schedule's rows changed).
    virtual void RefreshCommands() = 0;
    // Playout: starts the schedule row under the cursor.
    virtual void StartItem() = 0;
    // Reliability (the recovery copy after an unclean exit): the item on air
    // and the ms heard of it ({0, 0} when none); starting the row of an item
    // from a position.
    virtual std::pair<int, int> OnAirPlace() = 0;
    virtual void ResumeItem(int item, int positionMs) = 0;
    // Corvane.ini has been read at start-up: the parts take what they start
    // with from the settings (the output's queue of buffers, which the sound
    // configuration may change later; the stream).
    virtual void SettingsRead() = 0;
    // The operator changed the settings (Properties' "&Ok"): the parts that
    // follow them while running (the stream) follow them now.
    virtual void SettingsChanged() = 0;
    // Sound output: stops the output device (at close, before anything is saved).
    virtual void StopOutput() = 0;
    // Schedule files: loads a schedule file into the schedule.
    virtual void LoadScheduleFile(const std::string& path) = 0;
    // Play lists: rebuilds the "&Recent" play-list menu.
    virtual void RefreshRecentPlayLists() = 0;
    // File associations of the program's file types (nothing to do where an
    // installed package has made them).
    virtual void RegisterFileTypes() = 0;
    // Commercials: switches the break off (and restores "F8: Next Commercial").
    virtual void SetBreakActive(bool active) = 0;
    // Commercials: selects today's list and, when one was selected, loads it.
    virtual void SelectTodaysCommercialList() = 0;
    // Events: no next event, "&Run Scheduled Events" ticked, EventTimer running.
    virtual void StartEventProcessing() = 0;
    // Audio rack: loads a ".rck" or ".ply" rack file that exists.
    virtual void LoadRack(const std::string& path) = 0;
    // The configuration wizard on its first-run page, modal.
    virtual void ShowFirstRunWizard() = 0;
    // Library: opens the audio library shared on `server` and keeps it in step
    // with it; when the server cannot be reached, `openLocalCopy` opens the
    // console's last copy of it instead.
    virtual void OpenSharedLibrary(const std::string& server, const std::function<void()>& openLocalCopy) = 0;
};

} // namespace corvane
