#pragma once

#include "events/ScheduledEvents.h"

#include <QObject>

class QAction;
class QMenu;
class QTableView;
class QWidget;

namespace corvane {

class FileDialogs;
class TableGridModel;
class TdmQelData;

// The console's "Events" page bound to the station's event dispatch
// (ScheduledEvents): the grid of EventLog,
// its popup with "&Run Scheduled Events", "New Event", "Edit Event" and
// "Remove Event", and the event editor. Main thread; every entry from a
// widget is guarded.
class EventsPage final : public QObject {
    Q_OBJECT
public:
    EventsPage(QWidget& window, QWidget& page, TdmQelData& data, ScheduledEvents& events,
               FileDialogs& fileDialogs);
    ~EventsPage() override;

    ScheduledEvents& Events() { return events_; }
    // The check of "&Run Scheduled Events", as the dispatch decided it.
    void ShowRunScheduledEvents(bool checked);
    QTableView& Grid() { return *dxgEvents; }
    QMenu& Popup() { return *pmEvents; }
    QAction* Command(const char* name) const;

private:
    void NewEvent();
    void EditEvent();
    EditorAnswer ShowEditor();

    QWidget& window_;
    TdmQelData& data_;
    ScheduledEvents& events_;
    FileDialogs& fileDialogs_;
    TableGridModel* model_ = nullptr;
    QTableView* dxgEvents = nullptr;
    QMenu* pmEvents = nullptr;
    QAction* actRunScheduledEvents = nullptr;
};

} // namespace corvane
