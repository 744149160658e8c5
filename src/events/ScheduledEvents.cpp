#include "events/ScheduledEvents.h"

#include "data/ControlsSuspended.h"
#include "data/DateTimeText.h"
#include "data/Table.h"
#include "data/TdmQelData.h"
#include "events/DueEvent.h"
#include "events/EventHost.h"
#include "events/EventParams.h"
#include "events/EventRepeat.h"
#include "events/EventTypes.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <vector>

namespace corvane {
namespace {

// How the event repeats; nullopt for a one-off event or a Repeat that does
// not read (its event has failed saying so).
std::optional<EventRepeat> RepeatOf(const DueEvent& event) {
    try {
        return ReadRepeat(EventParams(event.params));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

DueEvent ReadEvent(Table& log) {
    DueEvent event;
    event.id = static_cast<int>(log.FieldByName("EventID").AsInteger());
    event.start = log.FieldByName("EventStart").AsDateTime();
    event.type = log.FieldByName("EventType").AsString();
    event.description = log.FieldByName("EventDescription").AsString();
    event.fileName = log.FieldByName("EventFileName").AsString();
    event.params = log.FieldByName("EventParams").AsString();
    return event;
}

// Set for the length of a tick, however it ends.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

} // namespace

ScheduledEvents::ScheduledEvents(Seams seams, TdmQelData& data, Timer& eventTimer, EventHost& host)
    : clock_(seams.clock), EventLog(data.EventLog), EventTimer(eventTimer), host_(host),
      actions_(data, seams, host) {
    EventTimer.SetOnTimer([this] { EventTimerTimer(); });
}

ScheduledEvents::~ScheduledEvents() {
    EventTimer.SetEnabled(false);
    EventTimer.SetOnTimer(nullptr);
}

std::string ScheduledEvents::PendingFilter(TDateTime now) {
    return "(EventStart > '" + FormatLocalDateTime(now) + "') and (EventStatus <> '" + Completed +
           "') and (EventStatus <> '" + Failed + "') and (EventStatus <> '" + Missed + "')";
}

void ScheduledEvents::StartEventProcessing() {
    SetNextEventStart(0);
    SetNextEventID(0);
    SetRunChecked(true);
}

void ScheduledEvents::EventTimerTimer() {
    if (!busy_)
        CheckScheduledEvents();
}

void ScheduledEvents::CheckScheduledEvents() {
    if (!EventLog.Active())
        return;
    BusyScope busy(busy_);
    ControlsSuspended suspended(EventLog);
    if (FNextEventID == 0) {
        FindNextEvent();
        if (FNextEventID == 0)
            return;
    }
    if (clock_.Now() < FNextEventStart)
        return;
    FireDueEvent();
}

void ScheduledEvents::FindNextEvent() {
    MarkMissedOccurrences();
    EventLog.SetFiltered(false);
    EventLog.SetFilter(PendingFilter(clock_.Now()));
    EventLog.SetFiltered(true);
    EventLog.First();
    TakeEventAtCursor();
}

void ScheduledEvents::FireDueEvent() {
    std::optional<DueEvent> fired;
    if (EventLog.Locate("EventID", int64_t{FNextEventID})) {
        const DueEvent event = ReadEvent(EventLog);
        // The row says what happened only once the action has run: a failed
        // action must never leave an event that reads "Completed".
        SetStatus(event.id, Carry(event));
        AddNextOccurrence(event);
        fired = event;
    }
    // The fired row has left the filter. The earliest pending event still
    // shown is the next one, wherever the action or the post left the cursor.
    EventLog.First();
    TakeEventAtCursor();
    if (fired)
        TellBacklog(*fired);
}

// Events run one a tick: many due at once queue up behind each other, each a
// second later than the one before. The operator is told when that starts
// and how late the last one ran.
void ScheduledEvents::TellBacklog(const DueEvent& fired) {
    const TDateTime now = clock_.Now();
    const bool behind = FNextEventID != 0 && FNextEventStart <= now;
    if (behind && !backlog_) {
        backlog_ = true;
        AddMessage("Events: more events are due than run now (one a second); the ones behind run late");
    } else if (!behind && backlog_) {
        backlog_ = false;
        const auto late = static_cast<long long>(std::floor((now - fired.start) * SecondsPerDay));
        AddMessage("Events: the last of the events due together (" + std::to_string(fired.id) + ") ran " +
                   std::to_string(late) + " s late");
    }
}

void ScheduledEvents::AddNextOccurrence(const DueEvent& event) {
    if (const auto repeat = RepeatOf(event))
        AppendOccurrence(event, NextOccurrence(event.start, *repeat, std::max(clock_.Now(), event.start)),
                         Queued);
}

void ScheduledEvents::MarkMissedOccurrences() {
    const TDateTime now = clock_.Now();
    EventLog.SetFiltered(false);
    EventLog.SetFilter("(EventStart <= '" + FormatLocalDateTime(now) + "') and (EventStatus <> '" +
                       Completed + "') and (EventStatus <> '" + Failed + "') and (EventStatus <> '" + Missed +
                       "')");
    EventLog.SetFiltered(true);
    std::vector<DueEvent> missed;
    for (EventLog.First(); !EventLog.Eof(); EventLog.Next())
        if (DueEvent event = ReadEvent(EventLog); RepeatOf(event))
            missed.push_back(std::move(event));
    EventLog.SetFiltered(false);
    for (const DueEvent& event : missed) {
        const EventRepeat repeat = *RepeatOf(event);
        SetStatus(event.id, Missed);
        // The row itself and every occurrence since, counted; the first
        // MissedRowsLogged get rows of their own.
        const int64_t count = 1 + OccurrencesAfter(event.start, repeat, now);
        TDateTime missed = NextOccurrence(event.start, repeat, event.start);
        for (int logged = 1; logged < MissedRowsLogged && missed <= now;
             ++logged, missed = NextOccurrence(event.start, repeat, missed))
            AppendOccurrence(event, missed, Missed);
        const TDateTime next = NextOccurrence(event.start, repeat, now);
        AppendOccurrence(event, next, Queued);
        AddMessage("Event " + std::to_string(event.id) + " \"" + event.type + "\" missed " +
                   std::to_string(count) + (count == 1 ? " occurrence" : " occurrences") +
                   " while no events ran; next at " + FormatLocalDateTime(next));
    }
}

void ScheduledEvents::AppendOccurrence(const DueEvent& event, TDateTime start, const char* status) {
    EventLog.Append();
    EventLog.FieldByName("EventStart").SetAsDateTime(start);
    EventLog.FieldByName("EventStatus").SetAsString(status);
    EventLog.FieldByName("EventDescription").SetAsString(event.description);
    EventLog.FieldByName("EventType").SetAsString(event.type);
    EventLog.FieldByName("EventFileName").SetAsString(event.fileName);
    EventLog.FieldByName("EventParams").SetAsString(event.params);
    EventLog.Post();
}

void ScheduledEvents::SetStatus(int id, const char* status) {
    if (!EventLog.Locate("EventID", int64_t{id}))
        return;
    EventLog.Edit();
    EventLog.FieldByName("EventStatus").SetAsString(status);
    EventLog.Post();
}

void ScheduledEvents::TakeEventAtCursor() {
    if (EventLog.Eof() || EventLog.IsEmpty()) {
        StopProcessing();
        return;
    }
    SetNextEventID(static_cast<int>(EventLog.FieldByName("EventID").AsInteger()));
    SetNextEventStart(EventLog.FieldByName("EventStart").AsDateTime());
}

void ScheduledEvents::StopProcessing() {
    SetNextEventStart(0);
    SetNextEventID(0);
    SetRunChecked(false);
}

const char* ScheduledEvents::Carry(const DueEvent& event) {
    try {
        const EventType* type = FindEventType(event.type);
        if (!type)
            throw std::runtime_error("no event type is called \"" + event.type + "\"");
        AddMessage(type->messageLine);
        actions_.Carry(*type, event);
        return Completed;
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        const std::string sender = "Event " + std::to_string(event.id) + " \"" + event.type + "\"";
        AddMessage(sender + " failed: " + ExceptionMessage(error));
        HandleException(sender, error);
        return Failed;
    }
}

void ScheduledEvents::ToggleRunScheduledEvents() {
    if (busy_)
        return;
    const bool checked = !runChecked_;
    if (!checked) {
        SetNextEventStart(0);
        SetNextEventID(0);
    }
    SetRunChecked(checked);
}

void ScheduledEvents::SetRunChecked(bool checked) {
    runChecked_ = checked;
    EventTimer.SetEnabled(checked);
    host_.ShowRunScheduledEvents(checked);
}

void ScheduledEvents::SetNextEventID(int id) {
    FNextEventID = id;
    AddMessage("Debug: NextScheduledEventID = " + std::to_string(id));
}

void ScheduledEvents::SetNextEventStart(TDateTime start) {
    FNextEventStart = start;
    AddMessage("Debug: NextScheduledEventDate = " + FormatLocalDateTime(start));
}

void ScheduledEvents::AddMessage(const std::string& line) {
    host_.AddMessage(line);
}

void ScheduledEvents::NewEvent(const std::function<EditorAnswer()>& showEditor) {
    EditWith(EditRow::Append, showEditor);
}

void ScheduledEvents::EditEvent(const std::function<EditorAnswer()>& showEditor) {
    if (EventLog.Active() && !EventLog.IsEmpty())
        EditWith(EditRow::Current, showEditor);
}

void ScheduledEvents::EditWith(EditRow row, const std::function<EditorAnswer()>& showEditor) {
    const bool wasEnabled = EventTimer.Enabled();
    EventTimer.SetEnabled(false);
    const auto editing = [this] {
        return EventLog.State() == TableState::Edit || EventLog.State() == TableState::Insert;
    };
    try {
        if (row == EditRow::Append)
            EventLog.Append();
        else
            EventLog.Edit();
        if (showEditor() == EditorAnswer::Apply) {
            if (editing())
                EventLog.Post();
            SetNextEventID(0);
        } else if (editing()) {
            EventLog.Cancel();
        }
    } catch (...) {
        if (editing())
            EventLog.Cancel();
        EventTimer.SetEnabled(wasEnabled);
        throw;
    }
    EventTimer.SetEnabled(wasEnabled);
}

void ScheduledEvents::RemoveEvent() {
    if (EventLog.Active() && !EventLog.IsEmpty())
        EventLog.Delete();
}

} // namespace corvane
