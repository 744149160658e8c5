// The console window's side of the scheduled events: the Events page and its
// commands, and the start-up step that arms EventTimer. Main thread.
#include "console/ui/TfrmQeLiteMain.h"
#include "events/ui/EventsPage.h"

#include <QTabWidget>

namespace corvane {

void TfrmQeLiteMain::FillEventParts(ConsoleParts& parts) {
    if (!parts.StartEventProcessing)
        parts.StartEventProcessing = [this] {
            if (eventsPage_)
                eventsPage_->Events().StartEventProcessing();
        };
}

void TfrmQeLiteMain::BindEventsPage() {
    QWidget* page = ControlCenter_->findChild<QWidget*>("tsEvents");
    eventsPage_ = std::make_unique<EventsPage>(*this, *page, seams_.clock, data_, *core_, *playout_);
}

} // namespace corvane
