#pragma once

#include "events/DueEvent.h"
#include "events/EventSchedule.h"
#include "events/EventTypes.h"
#include "events/ProgramRunner.h"
#include "library/AudioCacheRefresh.h"
#include "library/AudioVerification.h"
#include "platform/Seams.h"

namespace corvane {

class EventHost;
class TdmQelData;

// Carries out due events: reads an event's file name and parameters, checks
// them, and acts through the host or on the schedule. Carry returns when the
// action was taken and throws an error saying what failed otherwise (a
// missing file, a parameter that does not read, a part that refused).
// Main thread; nothing here asks the operator or waits for long.
class EventActions {
public:
    // How long an "Execute File" program may run unless its Limit says.
    static constexpr int DefaultProgramLimitSeconds = 600;

    EventActions(TdmQelData& data, Seams seams, EventHost& host);

    void Carry(const EventType& type, const DueEvent& event);

private:
    void StartRecording(const DueEvent& event);
    void LoadPlaylist(const DueEvent& event);
    void ShufflePlaylist(const DueEvent& event);
    void Reset();
    void FullReset(const DueEvent& event);
    void RefreshCommercials();
    void ExecuteFile(const DueEvent& event);
    void VerifyAudioCache();
    void RefreshAudioCache();
    void VerificationFinished();
    void RefreshFinished(const AudioCacheRefresh::Outcome& outcome);
    // Writes a report of the library's cache into the program folder as
    // "<stem>-yyyymmdd-hhnnss.txt"; returns its path.
    std::filesystem::path WriteReport(const std::string& stem, const std::vector<std::string>& lines);
    // Where an unsaved schedule is written aside: beside the last schedule
    // file, else in the program folder.
    std::filesystem::path AsideFolder() const;

    TdmQelData& data_;
    Seams seams_;
    EventHost& host_;
    EventSchedule schedule_;
    std::vector<std::string> verificationLines_;
    // Their workers go first, before what they report to.
    ProgramRunner programs_;
    AudioVerification verification_;
    AudioCacheRefresh cacheRefresh_;

public:
    // The programs "Execute File" started that are still running.
    const ProgramRunner& Programs() const { return programs_; }
    // Waits until the background checks and copies of the cache events have
    // done their last file; their reports are then posted to the main thread.
    void WaitForCacheWork() {
        verification_.WaitForChecks();
        cacheRefresh_.WaitForCopies();
    }
};

} // namespace corvane
