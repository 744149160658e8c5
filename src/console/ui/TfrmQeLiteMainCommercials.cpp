// The console window's side of the commercials: the "Commercials" page bound
// to the station's breaks on air and ad schedule, and their commands. Main
// thread throughout; every entry from a widget goes through the exception guard.
#include "commercials/AdSchedule.h"
#include "commercials/CommercialBreaks.h"
#include "commercials/ui/CommercialsPage.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"

#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace corvane {

QWidget* TfrmQeLiteMain::BuildCommercialsPage() {
    commercialsPage_ = new CommercialsPage(data_.cdsVantorAdList, *commands_);
    return commercialsPage_;
}

void TfrmQeLiteMain::ShowBreakActive(bool active) {
    findChild<QToolButton*>("btnTripCommercial")
        ->setText(active ? "F8: Stop Commercial" : "F8: Next Commercial");
}

void TfrmQeLiteMain::ShowCurrentCommercialList(const std::string& entry) {
    commercialsPage_->ShowCurrentList(entry);
}

void TfrmQeLiteMain::HoldCommercialGrid(bool hold) {
    commercialsPage_->HoldGrid(hold);
}

void TfrmQeLiteMain::ShowNextBreakTime(const std::string& time) {
    displays_->SetNextBreakTime(time);
}

// The day's long name in the operator's language (Qt counts Monday as 1).
std::string TfrmQeLiteMain::LongDayName(TDateTime when) const {
    const int qtDay = (DayOfWeek(when) + 5) % 7 + 1;
    return QLocale::system().standaloneDayName(qtDay, QLocale::LongFormat).toStdString();
}

void TfrmQeLiteMain::BindCommercialCommands() {
    const auto bind = [this](const char* command, auto work) {
        connect(commands_->Command(command), &QAction::triggered, this,
                [command, work] { Guarded(command, work); });
        commands_->Implement(command);
    };
    CommercialBreaks& breaks = station_.Commercials();
    AdSchedule& ads = station_.Ads();
    bind("actRapidFadeToNextCommercial", [&breaks] { breaks.StartCommercialBreak(); });
    bind("actStopCommercialResume", [&breaks] { breaks.actStopCommercialResume(); });
    QAction* nextOnly = commands_->Command("actViewNextCommercialOnly");
    nextOnly->setCheckable(true);
    bind("actViewNextCommercialOnly", [&breaks, nextOnly] {
        breaks.ToggleNextOnly();
        nextOnly->setChecked(breaks.NextOnly());
    });
    bind("actPlaySelectedCommercial", [&breaks] { breaks.PlaySelectedItem(); });
    bind("actRefreshCommercials", [&breaks] { breaks.ReloadCurrentList(); });
    bind("actRefreshCommercialLists", [this, &breaks] {
        commercialsPage_->ShowLists(breaks.ListFolder(), breaks.ListEntries());
        breaks.SelectTodaysCommercialList();
    });
    bind("actImportAdSchedule", [&ads] { ads.ImportAdSchedule(); });
    bind("actRefreshAdSchedule",
         [this, &ads] { ads.RefreshAdSchedule([this](bool hold) { commercialsPage_->HoldGrid(hold); }); });
    bind("actAdBreakConfiguration", [this] {
        if (tools_.BrowseParameters)
            tools_.BrowseParameters(data_.cdsAdTimes);
    });
    // The parameter browser belongs to the library part: offered only when it is there.
    QMenu* system = menuBar()->findChild<QMenu*>("mnuSystem");
    system->addSeparator();
    system->addAction(commands_->Command("actImportAdSchedule"));
    system->addAction(commands_->Command("actRefreshAdSchedule"));
    connect(system, &QMenu::aboutToShow, this, [this] {
        commands_->SetEnabled("actAdBreakConfiguration", static_cast<bool>(tools_.BrowseParameters));
    });
    commands_->SetEnabled("actAdBreakConfiguration", static_cast<bool>(tools_.BrowseParameters));

    auto* trip = findChild<QToolButton*>("btnTripCommercial");
    trip->setEnabled(true);
    connect(trip, &QToolButton::clicked, this,
            [&breaks] { Guarded("btnTripCommercial", [&] { breaks.TripCommercial(); }); });
    connect(commercialsPage_, &CommercialsPage::ListChosen, this, [&breaks](const QString& entry) {
        Guarded("rzCommercials", [&] { breaks.SelectList(entry.toStdString()); });
    });
    // The grid popup's shortcuts work wherever the console has the focus.
    addActions(commercialsPage_->GridPopup().actions());

    // The editor: the tool bar's check-style button opens and closes it; the
    // list popup opens it empty or on the current list, unless it is open.
    QAction* editor = commands_->Command("actCommercials");
    editor->setCheckable(true);
    bind("actCommercials", [this] {
        if (commercialsEditor_)
            commercialsEditor_->close();
        else
            OpenCommercialsEditor("");
        commands_->Command("actCommercials")->setChecked(!commercialsEditor_.isNull());
    });
    bind("actNewCommercialList", [this] {
        if (!commercialsEditor_)
            OpenCommercialsEditor("");
    });
    bind("actEditCommercialList", [this, &breaks] {
        if (!commercialsEditor_)
            OpenCommercialsEditor(breaks.CurrentList());
    });
}

TfrmQelCommercials* TfrmQeLiteMain::CommercialsEditor() {
    return commercialsEditor_;
}

void TfrmQeLiteMain::OpenCommercialsEditor(const std::string& listFile) {
    if (!commercialsEditor_) {
        TfrmQelCommercials::Previewer preview;
        if (tools_.PreviewAudio)
            preview = [this](const std::string& path) {
                if (tools_.PreviewAudio)
                    tools_.PreviewAudio(path, PreviewMode::Play);
            };
        commercialsEditor_ = new TfrmQelCommercials(seams_, data_, station_.Commercials().ListFolder(),
                                                    Core().ProgramFolder(), std::move(preview), this);
        // Closing frees the editor: the button comes up and the page lists
        // what was saved meanwhile. The command list, the window's first
        // child, is gone before the window's children are, so an editor freed
        // with the window calls nothing here.
        connect(commercialsEditor_, &QObject::destroyed, commands_, [this] {
            commands_->Command("actCommercials")->setChecked(false);
            commercialsPage_->ShowLists(station_.Commercials().ListFolder(),
                                        station_.Commercials().ListEntries());
        });
    }
    commands_->Command("actCommercials")->setChecked(true);
    commercialsEditor_->ShowWith(listFile);
}

} // namespace corvane
