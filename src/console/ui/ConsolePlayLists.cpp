#include "console/ui/ConsolePlayLists.h"

#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "playlists/PlayListIntoSchedule.h"
#include "playlists/RecentPlayLists.h"
#include "playlists/ui/RecentPlayListMenu.h"
#include "playlists/ui/TfrmQelPlayList.h"
#include "station/ConsoleCore.h"

#include <QApplication>
#include <QDateTime>
#include <filesystem>
#include <system_error>

namespace corvane {
namespace {

// How long a long load may hold the main thread before the sound output's
// posted work and the painting get their turn (ms).
constexpr qint64 PumpIntervalMs = 50;

} // namespace

ConsolePlayLists::ConsolePlayLists(Context context, QObject* parent)
    : QObject(parent), c_(std::move(context)) {
    Bind("actPlayLists", [this] { OpenPlayListManager(GenerateOnOpen::No); });
    Bind("actLoadPlayList", [this] { LoadPlayList(); });
}

void ConsolePlayLists::Bind(const char* command, std::function<void()> work) {
    connect(c_.commands.Command(command), &QAction::triggered, this,
            [command, work = std::move(work)] { Guarded(command, work); });
    c_.commands.Implement(command);
}

void ConsolePlayLists::RefreshRecentPlayLists() {
    FillRecentPlayListMenu(c_.recentMenu, RecentPlayLists(c_.data.PlayListHistory).Entries(),
                           RecentClearItem::NotOffered,
                           [this](const std::string& path) { OpenRecent(path); });
}

void ConsolePlayLists::OpenPlayListManager(GenerateOnOpen generate) {
    if (c_.onAir && c_.onAir())
        return;
    struct Refresh {
        ConsolePlayLists& owner;
        ~Refresh() {
            Guarded("RefreshRecentPlayLists", [&] { owner.RefreshRecentPlayLists(); });
        }
    } refresh{*this};
    TfrmQelPlayList::OpenPlayListManager(c_.data, c_.seams, c_.tools, c_.showHelpTopic, generate, &c_.window);
}

bool ConsolePlayLists::Load(std::optional<std::string> path) {
    PlayListLoadHost host;
    host.PlayListDefaultDirectory = [this] { return c_.core.Settings().PlayListDefaultDirectory; };
    host.SetPlayListDefaultDirectory = [this](const std::string& folder) {
        c_.core.MutableSettings().PlayListDefaultDirectory = folder;
    };
    host.ShowTotalDuration = [this](int seconds) { c_.core.ShowTotalDuration(seconds); };
    host.SetBusy = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    host.KeepResponsive = [this] { KeepResponsive(); };
    return LoadPlayListIntoSchedule(c_.data, c_.seams, host, std::move(path)) == PlayListLoad::Loaded;
}

void ConsolePlayLists::LoadPlayList() {
    if (c_.onAir && c_.onAir())
        return;
    if (Load(std::nullopt))
        c_.data.cdsSchedule.First();
    if (c_.setOnAir)
        c_.setOnAir(false);
}

void ConsolePlayLists::OpenRecent(const std::string& path) {
    const bool onAir = c_.onAir && c_.onAir();
    if (!onAir) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec))
            Load(path);
        else
            c_.seams.prompter.Show("Unable to locate file:\r\n" + path, MessageType::Information,
                                   MessageButtons::Ok);
    }
    if (c_.setOnAir)
        c_.setOnAir(onAir);
}

// Only posted work, timers and painting run; the operator's own input waits
// until the load is done (the hourglass is showing).
void ConsolePlayLists::KeepResponsive() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (lastPumpMs_ >= 0 && now - lastPumpMs_ < PumpIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    lastPumpMs_ = now;
}

} // namespace corvane
