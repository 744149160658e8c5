// The console window's side of the audio library and the previewer
// (ConsoleLibrary): what the library manager reaches in the console, and
// where a file named on the command line goes. Main thread.
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsolePlayLists.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "library/ui/TfrmQelFileImport.h"
#include "playlists/ScheduleEditor.h"

#include <QToolButton>

namespace corvane {

void TfrmQeLiteMain::BuildLibrary() {
    ConsoleLibrary::Links links;
    links.OnAir = [this] { return Playout().OnAir(); };
    links.ProcessPendingMessages = [this] { ProcessPendingMessages(); };
    links.AddTitlesToSchedule = [this](const std::vector<Bookmark>& rows,
                                       const std::function<void()>& clear) {
        scheduleEditing_->Editor().AddTitlesToSchedule(rows, clear);
    };
    links.ShowHelpTopic = [this](const std::string& topic) { dialogs_->ShowHelpTopic(topic); };
    library_ = std::make_unique<ConsoleLibrary>(
        *this, *commands_, findChild<QToolButton*>("btnDatabaseManagement"), seams_, data_, station_.Output(),
        Core().Settings(), tools_, std::move(links));
    FileArgumentRoutes& routes = library_->Routes();
    routes.LoadSchedule = [this](const std::string& path) { scheduleEditing_->LoadScheduleFile(path); };
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

} // namespace corvane
