#pragma once

#include "events/EventActions.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/Seams.h"
#include "platform/Timer.h"

#include <functional>
#include <string>

namespace corvane {

class EventHost;
struct DueEvent;
class Table;
class TdmQelData;

// How the event editor was closed.
enum class EditorAnswer { Apply, Cancel };

// The event list's dispatch, Qt-free: EventTimer ticks every second; the tick
// finds the next pending event of EventLog through the table's filter, waits
// for its time and carries it out through the host. The row then says what
// happened: "Completed" when the action was taken, "Failed" (with a line in
// the message list and the exception log) when it was not.
// The table is shown by the Events page, whose grid sees the filter too.
// Main thread; re-entered ticks (a modal window opened by an action lets the
// timer tick again) are kept out by the busy flag.
class ScheduledEvents {
public:
    // `eventTimer` is the console's EventTimer; this object sets its tick.
    // The events are data's EventLog; what they do acts on data's tables and
    // through the host.
    ScheduledEvents(Seams seams, TdmQelData& data, Timer& eventTimer, EventHost& host);
    ~ScheduledEvents();
    ScheduledEvents(const ScheduledEvents&) = delete;
    ScheduledEvents& operator=(const ScheduledEvents&) = delete;

    // Start-up: no next event known, "&Run Scheduled Events" checked, the timer running.
    void StartEventProcessing();
    // The timer's tick: CheckScheduledEvents unless a tick is still running.
    void EventTimerTimer();
    void CheckScheduledEvents();

    // "&Run Scheduled Events": ignored while busy; otherwise toggles processing.
    void ToggleRunScheduledEvents();
    bool RunScheduledEvents() const { return runChecked_; }

    // "New Event" / "Edit Event": the timer rests while `showEditor` runs on
    // the new or current row; Apply posts the row and has the next tick look
    // for the next event again, Cancel drops the change.
    void NewEvent(const std::function<EditorAnswer()>& showEditor);
    void EditEvent(const std::function<EditorAnswer()>& showEditor);
    // "Remove Event": the current row goes, without a question.
    void RemoveEvent();

    bool Busy() const { return busy_; }
    // The programs "Execute File" events started that are still running.
    const ProgramRunner& Programs() const { return actions_.Programs(); }
    // Waits for the background work of the cache events (tests).
    void WaitForCacheWork() { actions_.WaitForCacheWork(); }
    int NextEventID() const { return FNextEventID; }
    TDateTime NextEventStart() const { return FNextEventStart; }

    // The filter that leaves the events due strictly after `now` that have
    // not fired yet (neither completed, failed nor missed); the date-time is
    // written in the table's own text form so that the filter reads back
    // exactly that moment.
    static std::string PendingFilter(TDateTime now);

    // The statuses an event row ends with.
    static constexpr const char* Queued = "Queued";
    static constexpr const char* Completed = "Completed";
    static constexpr const char* Failed = "Failed";
    static constexpr const char* Missed = "Missed";
    // At most this many rows are logged for one repeating event's occurrences
    // missed while the console was off.
    static constexpr int MissedRowsLogged = 100;

private:
    void TellBacklog(const DueEvent& fired);
    enum class EditRow { Append, Current };

    void FindNextEvent();
    void FireDueEvent();
    // Takes the event under the table's cursor as the next one, or stops
    // processing when the cursor is past the last pending event.
    void TakeEventAtCursor();
    void StopProcessing();
    void SetRunChecked(bool checked);
    void SetNextEventID(int id);
    void SetNextEventStart(TDateTime start);
    void AddMessage(const std::string& line);
    // Carries the event out; the status its row takes.
    const char* Carry(const DueEvent& event);
    void SetStatus(int id, const char* status);
    // A repeating event that fired gets its next occurrence as a new row.
    void AddNextOccurrence(const DueEvent& event);
    // Repeating events whose time passed while nothing fired them: each
    // missed occurrence is logged as a "Missed" row, none is carried out, and
    // the next occurrence after now is added.
    void MarkMissedOccurrences();
    void AppendOccurrence(const DueEvent& event, TDateTime start, const char* status);
    void EditWith(EditRow row, const std::function<EditorAnswer()>& showEditor);

    Clock& clock_;
    Table& EventLog;
    Timer& EventTimer;
    EventHost& host_;
    EventActions actions_;
    int FNextEventID = 0;
    TDateTime FNextEventStart = 0;
    bool busy_ = false;
    // Events due have been waiting behind each other since the last message.
    bool backlog_ = false;
    bool runChecked_ = false;
};

} // namespace corvane
