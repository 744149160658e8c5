#include "events/ui/EventsPage.h"

#include "data/TdmQelData.h"
#include "data/ui/TableGridModel.h"
#include "events/ui/TfrmQelEventWiz.h"
#include "platform/ExceptionGuard.h"

#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

namespace corvane {

EventsPage::EventsPage(QWidget& window, QWidget& page, TdmQelData& data, ScheduledEvents& events,
                       FileDialogs& fileDialogs)
    : window_(window), data_(data), events_(events), fileDialogs_(fileDialogs) {
    setObjectName("EventsPage");

    model_ = new TableGridModel(data_.EventLog,
                                {{"EventID", "Event ID"},
                                 {"EventStart", "Time"},
                                 {"EventType", "Type"},
                                 {"EventDescription", "Description"},
                                 {"EventStatus", "Status"},
                                 {"EventFileName", "Filename"},
                                 {"EventParams", "Settings"}},
                                nullptr);
    dxgEvents = new QTableView(&page);
    dxgEvents->setObjectName("dxgEvents");
    dxgEvents->setModel(model_);
    dxgEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dxgEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    dxgEvents->setSelectionMode(QAbstractItemView::SingleSelection);
    dxgEvents->verticalHeader()->hide();
    dxgEvents->setWordWrap(false);
    QHeaderView* columns = dxgEvents->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->resizeSection(0, 70);
    columns->resizeSection(1, 150);
    columns->resizeSection(2, 130);
    columns->setSectionResizeMode(3, QHeaderView::Stretch);
    columns->resizeSection(4, 90);
    dxgEvents->setColumnHidden(5, true);
    dxgEvents->setColumnHidden(6, true);
    dxgEvents->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dxgEvents->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { model_->MakeCurrent(current.row()); });
    auto* layout = qobject_cast<QVBoxLayout*>(page.layout());
    const int stretch = layout->count() - 1;
    if (stretch >= 0 && layout->itemAt(stretch)->spacerItem())
        delete layout->takeAt(stretch);
    layout->addWidget(dxgEvents, 1);

    pmEvents = new QMenu(&window);
    pmEvents->setObjectName("pmEvents");
    const auto add = [this](const char* name, const QString& caption, auto handler) {
        QAction* action = pmEvents->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [handler, name] { Guarded(name, handler); });
        return action;
    };
    actRunScheduledEvents = add("actRunScheduledEvents", "&Run Scheduled Events", [this] {
        events_.ToggleRunScheduledEvents();
        // Ignored while a tick runs: the mark shows what the rules decided.
        actRunScheduledEvents->setChecked(events_.RunScheduledEvents());
    });
    actRunScheduledEvents->setCheckable(true);
    pmEvents->addSeparator();
    add("actNewEvent", "New Event", [this] { NewEvent(); });
    add("actEditEvent", "Edit Event", [this] { EditEvent(); });
    add("actRemoveEvent", "Remove Event", [this] { events_.RemoveEvent(); });
    connect(dxgEvents, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmEvents->popup(dxgEvents->viewport()->mapToGlobal(at)); });
}

EventsPage::~EventsPage() {
    // The model listens to EventLog, which outlives the window.
    dxgEvents->setModel(nullptr);
    delete model_;
}

void EventsPage::ShowRunScheduledEvents(bool checked) {
    actRunScheduledEvents->setChecked(checked);
}

QAction* EventsPage::Command(const char* name) const {
    return pmEvents->findChild<QAction*>(name);
}

void EventsPage::NewEvent() {
    events_.NewEvent([this] { return ShowEditor(); });
}

void EventsPage::EditEvent() {
    events_.EditEvent([this] { return ShowEditor(); });
}

EditorAnswer EventsPage::ShowEditor() {
    TfrmQelEventWiz wiz(data_.EventLog, fileDialogs_, &window_);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        wiz.move(screen->availableGeometry().center() - wiz.rect().center());
    return wiz.exec() == QDialog::Accepted ? EditorAnswer::Apply : EditorAnswer::Cancel;
}

} // namespace corvane
