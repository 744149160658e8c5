#pragma once

#include "events/ScheduledEvents.h"

#include <QObject>
#include <memory>

class QAction;
class QMenu;
class QTableView;
class QWidget;

namespace corvane {

class ConsoleCore;
class TableGridModel;
class TdmQelData;
class TPlayoutConsole;

// The console's "Events" page bound to the event dispatch (ScheduledEvents)
// on the console's EventTimer and broadcast actions: the grid of EventLog,
// its popup with "&Run Scheduled Events", "New Event", "Edit Event" and
// "Remove Event", and the event editor. Main thread; every entry from a
// widget is guarded.
class EventsPage final : public QObject {
    Q_OBJECT
public:
    EventsPage(QWidget& window, QWidget& page, Clock& clock, TdmQelData& data, ConsoleCore& core,
               TPlayoutConsole& playout);
    ~EventsPage() override;

    ScheduledEvents& Events() { return *events_; }
    QTableView& Grid() { return *dxgEvents; }
    QMenu& Popup() { return *pmEvents; }
    QAction* Command(const char* name) const;

private:
    void NewEvent();
    void EditEvent();
    EditorAnswer ShowEditor();

    QWidget& window_;
    TdmQelData& data_;
    std::unique_ptr<ScheduledEvents> events_;
    TableGridModel* model_ = nullptr;
    QTableView* dxgEvents = nullptr;
    QMenu* pmEvents = nullptr;
    QAction* actRunScheduledEvents = nullptr;
};

} // namespace corvane
