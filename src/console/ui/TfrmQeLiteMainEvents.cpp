// The console window's side of the scheduled events: the Events page over the
// station's event dispatch. Main thread.
#include "console/ui/TfrmQeLiteMain.h"
#include "events/ui/EventsPage.h"

#include <QTabWidget>

namespace corvane {

void TfrmQeLiteMain::BindEventsPage() {
    QWidget* page = ControlCenter_->findChild<QWidget*>("tsEvents");
    eventsPage_ = std::make_unique<EventsPage>(*this, *page, data_, station_.Events(), seams_.fileDialogs);
}

void TfrmQeLiteMain::ShowRunScheduledEvents(bool checked) {
    eventsPage_->ShowRunScheduledEvents(checked);
}

} // namespace corvane
