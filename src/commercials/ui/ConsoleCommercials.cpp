#include "commercials/ui/ConsoleCommercials.h"

#include "commercials/AdSchedule.h"
#include "commercials/CommercialBreaks.h"
#include "commercials/ui/CommercialsPage.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "tools/ConsoleTools.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace corvane {

ConsoleCommercials::ConsoleCommercials(Widgets widgets, Seams seams, TdmQelData& data,
                                       CommercialBreaks& breaks, AdSchedule& ads,
                                       std::filesystem::path programFolder, ConsoleTools& tools)
    : w_(widgets), seams_(seams), data_(data), breaks_(breaks), ads_(ads),
      programFolder_(std::move(programFolder)), tools_(tools) {
    setObjectName("ConsoleCommercials");
    Bind("actRapidFadeToNextCommercial", [this] { breaks_.StartCommercialBreak(); });
    Bind("actStopCommercialResume", [this] { breaks_.actStopCommercialResume(); });
    QAction* nextOnly = w_.commands.Command("actViewNextCommercialOnly");
    nextOnly->setCheckable(true);
    Bind("actViewNextCommercialOnly", [this, nextOnly] {
        breaks_.ToggleNextOnly();
        nextOnly->setChecked(breaks_.NextOnly());
    });
    Bind("actPlaySelectedCommercial", [this] { breaks_.PlaySelectedItem(); });
    Bind("actRefreshCommercials", [this] { breaks_.ReloadCurrentList(); });
    Bind("actRefreshCommercialLists", [this] {
        w_.page.ShowLists(breaks_.ListFolder(), breaks_.ListEntries());
        breaks_.SelectTodaysCommercialList();
    });
    Bind("actImportAdSchedule", [this] { ads_.ImportAdSchedule(); });
    Bind("actRefreshAdSchedule",
         [this] { ads_.RefreshAdSchedule([this](bool hold) { w_.page.HoldGrid(hold); }); });
    Bind("actAdBreakConfiguration", [this] {
        if (tools_.BrowseParameters)
            tools_.BrowseParameters(data_.cdsAdTimes);
    });
    // The parameter browser belongs to the library part: offered only when it is there.
    w_.systemMenu.addSeparator();
    w_.systemMenu.addAction(w_.commands.Command("actImportAdSchedule"));
    w_.systemMenu.addAction(w_.commands.Command("actRefreshAdSchedule"));
    connect(&w_.systemMenu, &QMenu::aboutToShow, this, [this] {
        w_.commands.SetEnabled("actAdBreakConfiguration", static_cast<bool>(tools_.BrowseParameters));
    });
    w_.commands.SetEnabled("actAdBreakConfiguration", static_cast<bool>(tools_.BrowseParameters));

    w_.trip.setEnabled(true);
    connect(&w_.trip, &QToolButton::clicked, this,
            [this] { Guarded("btnTripCommercial", [&] { breaks_.TripCommercial(); }); });
    connect(&w_.page, &CommercialsPage::ListChosen, this, [this](const QString& entry) {
        Guarded("rzCommercials", [&] { breaks_.SelectList(entry.toStdString()); });
    });
    // The grid popup's shortcuts work wherever the console has the focus.
    w_.window.addActions(w_.page.GridPopup().actions());

    // The editor: the tool bar's check-style button opens and closes it; the
    // list popup opens it empty or on the current list, unless it is open.
    w_.commands.Command("actCommercials")->setCheckable(true);
    Bind("actCommercials", [this] {
        if (editor_)
            editor_->close();
        else
            OpenEditor("");
        w_.commands.Command("actCommercials")->setChecked(!editor_.isNull());
    });
    Bind("actNewCommercialList", [this] {
        if (!editor_)
            OpenEditor("");
    });
    Bind("actEditCommercialList", [this] {
        if (!editor_)
            OpenEditor(breaks_.CurrentList());
    });
}

void ConsoleCommercials::Bind(const char* command, std::function<void()> work) {
    connect(w_.commands.Command(command), &QAction::triggered, this,
            [command, work = std::move(work)] { Guarded(command, work); });
    w_.commands.Implement(command);
}

TfrmQelCommercials* ConsoleCommercials::Editor() const {
    return editor_;
}

void ConsoleCommercials::ShowBreakActive(bool active) {
    w_.trip.setText(active ? "F8: Stop Commercial" : "F8: Next Commercial");
}

void ConsoleCommercials::OpenEditor(const std::string& listFile) {
    if (!editor_) {
        TfrmQelCommercials::Previewer preview;
        if (tools_.PreviewAudio)
            preview = [this](const std::string& path) {
                if (tools_.PreviewAudio)
                    tools_.PreviewAudio(path, PreviewMode::Play);
            };
        editor_ = new TfrmQelCommercials(seams_, data_, breaks_.ListFolder(), programFolder_,
                                         std::move(preview), &w_.window);
        // Closing frees the editor: the button comes up and the page lists
        // what was saved meanwhile. This binding goes before the window's
        // children do, so an editor freed with the window calls nothing here.
        connect(editor_, &QObject::destroyed, this, [this] {
            w_.commands.Command("actCommercials")->setChecked(false);
            w_.page.ShowLists(breaks_.ListFolder(), breaks_.ListEntries());
        });
    }
    w_.commands.Command("actCommercials")->setChecked(true);
    editor_->ShowWith(listFile);
}

} // namespace corvane
