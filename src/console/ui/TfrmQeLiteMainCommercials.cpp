// The console window's side of the commercials: the "Commercials" page, the
// breaks on air bound to playout, the ad schedule and their commands. Main
// thread throughout; every entry from a widget goes through the exception guard.
#include "commercials/AdSchedule.h"
#include "commercials/CommercialBreaks.h"
#include "commercials/ui/CommercialsPage.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "console/playout/TPlayoutConsole.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"

#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <filesystem>
#include <stdexcept>

namespace corvane {
namespace {

// The day's long name in the operator's language (Qt counts Monday as 1).
std::string SystemDayName(TDateTime when) {
    const int qtDay = (DayOfWeek(when) + 5) % 7 + 1;
    return QLocale::system().standaloneDayName(qtDay, QLocale::LongFormat).toStdString();
}

} // namespace

// The core calls these during start-up; the breaks exist from just before
// FormCreate until just after FormDestroy.
void TfrmQeLiteMain::FillCommercialParts(ConsoleParts& parts) {
    if (!parts.SetBreakActive)
        parts.SetBreakActive = [this](bool active) {
            if (commercials_)
                commercials_->SetBreakActive(active);
        };
    if (!parts.SelectTodaysCommercialList)
        // A list the store cannot read is logged, not a failed start-up stage.
        parts.SelectTodaysCommercialList = [this] {
            if (commercials_)
                Guarded("SelectTodaysCommercialList", [&] { commercials_->SelectAndLoadTodaysList(); });
        };
}

// Playout hands a break's port closes over, and tells when its reset ended one.
void TfrmQeLiteMain::FillCommercialsHost(PlayoutHost& host) {
    host.SetBreakActive = [this](bool active) {
        if (commercials_)
            commercials_->SetBreakActive(active);
    };
    host.CommercialPortClosed = [this](int port) {
        if (commercials_)
            commercials_->CommercialPortClosed(port);
    };
}

QWidget* TfrmQeLiteMain::BuildCommercialsPage() {
    commercialsPage_ = new CommercialsPage(data_.cdsVantorAdList, *commands_);
    return commercialsPage_;
}

void TfrmQeLiteMain::BuildCommercials() {
    CommercialsView view;
    view.ShowBreakActive = [this](bool active) {
        findChild<QToolButton*>("btnTripCommercial")
            ->setText(active ? "F8: Stop Commercial" : "F8: Next Commercial");
    };
    view.ShowCurrentList = [this](const std::string& entry) { commercialsPage_->ShowCurrentList(entry); };
    view.HoldGrid = [this](bool hold) { commercialsPage_->HoldGrid(hold); };
    view.ShowNextBreakTime = [this](const std::string& time) { displays_->SetNextBreakTime(time); };
    view.LongDayName = SystemDayName;
    commercials_ =
        std::make_unique<CommercialBreaks>(*playout_, data_, core_->Settings(), seams_.clock, view);
    adSchedule_ = std::make_unique<AdSchedule>(data_, seams_.clock, seams_.shell, core_->ProgramFolder());
    BindCommercialCommands();
}

void TfrmQeLiteMain::ShowCommercialListFolder(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw std::runtime_error("Directory not found: " + folder);
    commercials_->SetListFolder(folder);
    commercialsPage_->ShowLists(folder, commercials_->ListEntries());
}

void TfrmQeLiteMain::BindCommercialCommands() {
    const auto bind = [this](const char* command, auto work) {
        connect(commands_->Command(command), &QAction::triggered, this,
                [command, work] { Guarded(command, work); });
        commands_->Implement(command);
    };
    CommercialBreaks& breaks = *commercials_;
    bind("actRapidFadeToNextCommercial",
         [this, &breaks] { breaks.StartCommercialBreak(core_->Settings().FadeOutCommercial); });
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
    bind("actImportAdSchedule", [this] { adSchedule_->ImportAdSchedule(); });
    bind("actRefreshAdSchedule",
         [this] { adSchedule_->RefreshAdSchedule([this](bool hold) { commercialsPage_->HoldGrid(hold); }); });
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

bool TfrmQeLiteMain::CloseCommercialsEditor(CloseQuestions questions) {
    if (!commercialsEditor_)
        return true;
    if (questions == CloseQuestions::None) {
        commercialsEditor_->CloseWithoutQuestion();
        return true;
    }
    return commercialsEditor_->close();
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
        commercialsEditor_ = new TfrmQelCommercials(seams_, data_, commercials_->ListFolder(),
                                                    core_->ProgramFolder(), std::move(preview), this);
        // Closing frees the editor: the button comes up and the page lists
        // what was saved meanwhile. The command list, the window's first
        // child, is gone before the window's children are, so an editor freed
        // with the window calls nothing here.
        connect(commercialsEditor_, &QObject::destroyed, commands_, [this] {
            commands_->Command("actCommercials")->setChecked(false);
            if (commercials_)
                commercialsPage_->ShowLists(commercials_->ListFolder(), commercials_->ListEntries());
        });
    }
    commands_->Command("actCommercials")->setChecked(true);
    commercialsEditor_->ShowWith(listFile);
}

} // namespace corvane
