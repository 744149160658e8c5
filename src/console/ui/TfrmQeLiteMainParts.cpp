// The console window's side of the station's parts: playout's displays, the
// "Commercials", "Events" and "Audio Rack" pages, the tools and the DSP
// plug-in, the audio library and the play lists with the smaller dialogs. Each
// part's page or binding class does the work; the window hands it the widgets
// and shows what the station tells it. Main thread throughout; every entry
// from a widget goes through the exception guard.
#include "commercials/ui/CommercialsPage.h"
#include "commercials/ui/ConsoleCommercials.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsoleDisplayPages.h"
#include "console/ui/ConsolePlayLists.h"
#include "console/ui/ConsolePlayout.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/ScheduleGridModel.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "data/TdmQelData.h"
#include "events/ui/EventsPage.h"
#include "library/ui/TfrmQelFileImport.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "playlists/ScheduleEditor.h"
#include "rack/ui/AudioRackPage.h"
#include "tools/ui/PluginsMenu.h"
#include "tools/ui/TfrmQelLockConsole.h"
#include "tools/ui/TfrmQelSnoop.h"

#include <QApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

namespace corvane {

// --- Playout's displays ---

void TfrmQeLiteMain::ClearItemHeard() {
    displays_->ClearItemInfo();
    SetGauge(0);
}

void TfrmQeLiteMain::ShowDelayedPause(bool visible) {
    displayPages_->ShowDelayedPause(visible);
}

void TfrmQeLiteMain::HoldGridRepaint(bool hold) {
    dxgSchedule->setUpdatesEnabled(!hold);
}

void TfrmQeLiteMain::RepaintGrid(int currentItem, int nextItem, uint64_t currentRow) {
    SetPlayingItems(currentItem, nextItem, currentRow);
    dxgSchedule->viewport()->update();
}

void TfrmQeLiteMain::SetBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmQeLiteMain::ApplyPlayoutCommands(const PlayoutCommands& commands) {
    playoutBinding_->ApplyCommands(commands);
}

// --- Commercials ---

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

// The day's long name in the operator's language (Qt counts Monday as 1).
std::string TfrmQeLiteMain::LongDayName(TDateTime when) const {
    const int qtDay = (DayOfWeek(when) + 5) % 7 + 1;
    return QLocale::system().standaloneDayName(qtDay, QLocale::LongFormat).toStdString();
}

void TfrmQeLiteMain::BindCommercialCommands() {
    commercials_ = std::make_unique<ConsoleCommercials>(
        ConsoleCommercials::Widgets{*this, *commands_, *commercialsPage_,
                                    *menuBar()->findChild<QMenu*>("mnuSystem"),
                                    *findChild<QToolButton*>("btnTripCommercial")},
        seams_, data_, station_.Commercials(), station_.Ads(), Core().ProgramFolder(), tools_);
}

bool TfrmQeLiteMain::CloseCommercialsEditor(CloseQuestions questions) {
    TfrmQelCommercials* editor = commercials_ ? commercials_->Editor() : nullptr;
    if (!editor)
        return true;
    if (questions == CloseQuestions::None) {
        editor->CloseWithoutQuestion();
        return true;
    }
    return editor->close();
}

TfrmQelCommercials* TfrmQeLiteMain::CommercialsEditor() {
    return commercials_->Editor();
}

void TfrmQeLiteMain::OpenCommercialsEditor(const std::string& listFile) {
    commercials_->OpenEditor(listFile);
}

// --- Events ---

void TfrmQeLiteMain::BindEventsPage() {
    QWidget* page = ControlCenter_->findChild<QWidget*>("tsEvents");
    eventsPage_ = std::make_unique<EventsPage>(*this, *page, data_, station_.Events(), seams_.fileDialogs);
}

void TfrmQeLiteMain::ShowRunScheduledEvents(bool checked) {
    eventsPage_->ShowRunScheduledEvents(checked);
}

void TfrmQeLiteMain::ShowStreamState(StreamState state) {
    // The reason goes to the tool tip: the message list is not in view.
    IcecastStream* stream = station_.Stream();
    streamIndicator_->Show(state, stream != nullptr ? stream->LastReason() : std::string());
}

void TfrmQeLiteMain::ShowSilenceAlarm(bool on) {
    silenceIndicator_->Show(on);
}

// --- Audio rack ---

void TfrmQeLiteMain::BindAudioRackPage() {
    QWidget* page = ControlCenter_->findChild<QWidget*>("tsAudioRack");
    rackPage_ =
        std::make_unique<AudioRackPage>(AudioRackPage::Widgets{*this, *page, *pnlCartRackLabel, *commands_},
                                        seams_, data_, station_.Rack(), tools_);
}

void TfrmQeLiteMain::EnableRackButtons(bool up, bool down) {
    rackPage_->EnableRackButtons(up, down);
}

// --- Tools: audio logging (F7, the Live Assist button) and the console lock ("Loc&k Console", Ctrl+L) ---

void TfrmQeLiteMain::BuildTools() {
    Implement("actLockConsole", &TfrmQeLiteMain::LockConsole);
    if (auto* snooping = findChild<QToolButton*>("btnSnooping"))
        connect(snooping, &QToolButton::clicked, this,
                [this] { Guarded("btnSnooping", [&] { OpenAudioLogging(); }); });
}

void TfrmQeLiteMain::OpenAudioLogging() {
    // One window at most: opening it again brings it to the front.
    if (!snoop_)
        snoop_ = new TfrmQelSnoop(station_.RecordingInput(), seams_, station_.Core().ProgramFolder(), this);
    snoop_->show();
    snoop_->raise();
    snoop_->activateWindow();
}

void TfrmQeLiteMain::LockConsole() {
    TfrmQelLockConsole::LockConsole(this);
}

// --- The DSP plug-in: the "Plugins" menu of the schedule grid's popup ---

void TfrmQeLiteMain::BuildPlugins() {
    mnuPlugins = &AddPluginsMenu(*pmSchedule, *this, station_.DspPlugin(), station_.Plugins());
}

// --- Audio library: what the library manager reaches in the console, and where a file named on the command
// line goes ---

void TfrmQeLiteMain::BuildLibrary() {
    ConsoleLibrary::Links links;
    links.OnAir = [this] { return Playout().OnAir(); };
    links.ProcessPendingMessages = [this] { ProcessPendingMessages(); };
    links.AddTitlesToSchedule = [this](const std::vector<Bookmark>& rows,
                                       const std::function<void()>& clear) {
        scheduleEditing_->Editor().AddTitlesToSchedule(rows, clear);
    };
    links.ShowHelpTopic = [this](const std::string& topic) { dialogs_->ShowHelpTopic(topic); };
    links.analysis = &station_.TitleAnalysis();
    library_ = std::make_unique<ConsoleLibrary>(
        *this, *commands_, findChild<QToolButton*>("btnDatabaseManagement"), seams_, data_, station_.Output(),
        Core().Settings(), tools_, std::move(links));
    FileArgumentRoutes& routes = library_->Routes();
    routes.LoadSchedule = [this](const std::string& path) { station_.Schedule().LoadScheduleFile(path); };
    routes.LoadPlayList = [this](const std::string& path) { playLists_->OpenRecent(path); };
    routes.LoadRack = [this](const std::string& path) { station_.Rack().LoadRack(path); };
    routes.OpenCommercialList = [this](const std::string& path) { OpenCommercialsEditor(path); };
}

TfrmQelFileImport& TfrmQeLiteMain::OpenAudioLibrary(LibraryOpening opening) {
    return library_->Open(opening);
}

FileArgumentRoutes& TfrmQeLiteMain::FileRoutes() {
    return library_->Routes();
}

void TfrmQeLiteMain::OpenFileArgument(const std::string& path) {
    library_->OpenFileArgument(path);
}

// --- Play lists and the smaller dialogs ---

// Start-up rebuilds the recent menu (before the window is shown) and shows the
// wizard at the first showing.
void TfrmQeLiteMain::RefreshRecentPlayLists() {
    playLists_->RefreshRecentPlayLists();
}

void TfrmQeLiteMain::ShowFirstRunWizard() {
    dialogs_->ShowFirstRunWizard();
}

void TfrmQeLiteMain::BuildPlayListsAndDialogs() {
    auto* recent = new QMenu("&Recent", this);
    recent->setObjectName("mnuRecentPlayLists");
    QMenu* file = menuBar()->findChild<QMenu*>("mnuFile");
    file->insertMenu(commands_->Command("actWizard"), recent);
    file->insertSeparator(commands_->Command("actWizard"));

    const auto onAir = [this] { return Playout().OnAir(); };
    playLists_ = new ConsolePlayLists({*this, *commands_, *recent, data_, seams_, Core(), tools_, onAir,
                                       [this](bool on) { Playout().SetOnAir(on); },
                                       [this](const std::string& topic) { dialogs_->ShowHelpTopic(topic); }},
                                      this);
    dialogs_ = new ConsoleDialogCommands({*this, *commands_, seams_, *playLists_, Playout().mmAudioOut(),
                                          station_.Output(), onAir, Core().ProgramFolder(),
                                          [](const std::string& name) -> std::optional<std::string> {
                                              const QString path = QStandardPaths::findExecutable(
                                                  QString::fromStdString(name));
                                              if (path.isEmpty())
                                                  return std::nullopt;
                                              return path.toStdString();
                                          },
                                          qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString(), tools_},
                                         this);
}

} // namespace corvane
