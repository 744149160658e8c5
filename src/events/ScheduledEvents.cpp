#include "events/ScheduledEvents.h"

#include "data/ControlsSuspended.h"
#include "data/DateTimeText.h"
#include "data/Table.h"
#include "events/EventTypes.h"

namespace corvane {
namespace {

constexpr const char* Completed = "Completed";

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

ScheduledEvents::ScheduledEvents(Clock& clock, Table& eventLog, Timer& eventTimer, EventConsole console)
    : clock_(clock), EventLog(eventLog), EventTimer(eventTimer), console_(std::move(console)) {
    EventTimer.SetOnTimer([this] { EventTimerTimer(); });
}

ScheduledEvents::~ScheduledEvents() {
    EventTimer.SetEnabled(false);
    EventTimer.SetOnTimer(nullptr);
}

std::string ScheduledEvents::PendingFilter(TDateTime now) {
    return "(EventStart > '" + FormatLocalDateTime(now) + "') and (EventStatus <> '" + Completed + "')";
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
    EventLog.SetFiltered(false);
    EventLog.SetFilter(PendingFilter(clock_.Now()));
    EventLog.SetFiltered(true);
    EventLog.First();
    TakeEventAtCursor();
}

void ScheduledEvents::FireDueEvent() {
    std::string typeName;
    const bool found = EventLog.Locate("EventID", int64_t{FNextEventID});
    if (found) {
        typeName = EventLog.FieldByName("EventType").AsString();
        EventLog.Edit();
        EventLog.FieldByName("EventStatus").SetAsString(Completed);
        EventLog.Post();
    }
    // The completed row has left the filter. The earliest pending event still
    // shown is the next one, wherever the post left the cursor.
    EventLog.First();
    TakeEventAtCursor();
    if (found)
        Carry(typeName);
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

void ScheduledEvents::Carry(const std::string& typeName) {
    const EventType* type = FindEventType(typeName);
    if (!type || type->action == EventAction::None)
        return;
    AddMessage(type->messageLine);
    const std::function<void()>* action = nullptr;
    switch (type->action) {
    case EventAction::StartBroadcast:
        action = &console_.StartBroadcast;
        break;
    case EventAction::StopBroadcast:
        action = &console_.StopBroadcast;
        break;
    case EventAction::PauseBroadcast:
        action = &console_.PauseBroadcast;
        break;
    case EventAction::DelayPauseBroadcast:
        action = &console_.DelayPauseBroadcast;
        break;
    case EventAction::None:
        break;
    }
    if (action && *action)
        (*action)();
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
    if (console_.ShowRunScheduledEvents)
        console_.ShowRunScheduledEvents(checked);
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
    if (console_.AddMessage)
        console_.AddMessage(line);
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
