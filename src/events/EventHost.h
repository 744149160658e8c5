#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvane {

// What a due event drives. The station implements it over its parts
// (playout, commercial breaks, the recorder, the schedule, the library), so
// an action the station does not provide is a compile error rather than an
// event that silently does nothing.
//
// Each action either does what its event type says or throws an error whose
// text says why it could not; the dispatch then marks the event "Failed".
// Main thread. No action asks the operator anything or waits for long: slow
// work (programs, copies, checks) runs elsewhere and reports through
// AddMessage when it ends.
class EventHost {
public:
    virtual ~EventHost() = default;

    // --- Broadcast (the console's actions) ---
    virtual void StartBroadcast() = 0;
    virtual void StopBroadcast() = 0;
    virtual void PauseBroadcast() = 0;
    virtual void DelayPauseBroadcast() = 0;
    // Whether the console is on air, and the ItemPlayOrder of the item on
    // air (0: none).
    virtual bool OnAir() const = 0;
    virtual int OnAirItem() const = 0;

    // --- Commercials ---
    // Trips the next break as F8 does, fading the item on air over
    // FadeOutCommercial; today's list is selected first when none is
    // loaded. Throws when no break went on air.
    virtual void StartCommercialBreak() = 0;
    // "Stop Commercial Break and Resume"; throws when no break is on air.
    virtual void StopCommercialBreak() = 0;
    // Starts the ad-schedule import when it is installed; false when not.
    virtual bool StartAdScheduleImport() = 0;
    // Selects today's commercial list and loads it again; throws when there
    // is none.
    virtual void ReloadTodaysCommercials() = 0;

    // --- Audio logging ---
    // Records the input into `path` from its start, as the audio logging
    // tool does; stops by itself after `maxMs` unless that is negative.
    // Throws when the recording cannot start (one is running already, no
    // input, an unwritable file).
    virtual void StartRecording(const std::string& path, int64_t maxMs) = 0;
    // Ends the recording; throws when none runs.
    virtual void StopRecording() = 0;
    // Pauses the recording, or resumes it when paused; throws when none runs.
    // Returns true when it is paused now.
    virtual bool PauseRecording() = 0;

    // --- The schedule ---
    // Replaces the running schedule by a schedule file, asking nothing (what
    // was unsaved has been written aside); it becomes the last one loaded.
    // Throws when the file cannot be read, leaving no schedule.
    virtual void ReplaceSchedule(const std::string& path) = 0;
    // The schedule's total (seconds) in the console's display.
    virtual void ShowScheduleTotal(int seconds) = 0;
    // The schedule file loaded last (the settings' LastScheduleLocation);
    // empty when none.
    virtual std::string LastScheduleFile() const = 0;

    // --- Where things are ---
    // The program folder: relative file names of events are taken from it.
    virtual std::filesystem::path ProgramFolder() const = 0;

    // --- What the dispatch shows ---
    // A line in the console's message list.
    virtual void AddMessage(const std::string& line) = 0;
    // The check of "&Run Scheduled Events".
    virtual void ShowRunScheduledEvents(bool checked) = 0;
};

} // namespace corvane
