// The console window's side of the audio library and the previewer: the
// shared tool windows (parameter browser, previewer) it offers the other
// parts, the library manager behind "&Audio Library", the backup and restore
// advice on "&Database Management", and the file named on the command line.
// Main thread.
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsolePlayLists.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "library/FileArgument.h"
#include "library/LibraryBackup.h"
#include "library/ui/LibraryRowsMime.h"
#include "library/ui/TfrmQelFileImport.h"
#include "library/ui/TfrmQelParameterBrowse.h"
#include "library/ui/TfrmQelTitleDetail.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "playlists/ScheduleEditor.h"
#include "tools/AudioPreview.h"
#include "tools/PreviewPlayer.h"
#include "tools/ui/TfrmQelPlayAudio.h"

#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>

namespace corvane {

struct TfrmQeLiteMain::LibraryBinding {
    explicit LibraryBinding(TdmQelData& data) : facts(data) {}
    // The library manager goes before the facts and routes it uses.
    ~LibraryBinding() { delete fileImport.data(); }
    AudioFileFacts facts;
    QPointer<TfrmQelFileImport> fileImport;
    FileArgumentRoutes routes;
};

void TfrmQeLiteMain::LibraryBindingDeleter::operator()(LibraryBinding* binding) const {
    delete binding;
}

void TfrmQeLiteMain::BuildLibrary() {
    library_.reset(new LibraryBinding(data_));
    WaveDevice& device = station_.Output();
    tools_.BrowseParameters = [this](Table& table) { TfrmQelParameterBrowse::Browse(table, this); };
    tools_.PreviewAudio = [this, &device](const std::string& path, PreviewMode mode) {
        PreviewSetup setup{device, seams_, {}, {}, {}};
        setup.DeviceId = [this, &device] { return PreviewDeviceId(device, Core().Settings().PreviewDevice); };
        setup.External = [this] { return Core().Settings().ExternalAudioPreviewer; };
        setup.ShowModal = [this](PreviewPlayer& player) {
            TfrmQelPlayAudio window(player, this);
            window.RunModal();
        };
        return PreviewAudio(setup, path, mode);
    };
    tools_.AutoScanLibrary = [this] { OpenAudioLibrary(LibraryOpening::WithAutoScan); };
    tools_.ShowTitleDetails = [this](QWidget& owner) {
        auto* details = owner.findChild<TfrmQelTitleDetail*>(QString(), Qt::FindDirectChildrenOnly);
        if (!details)
            details = new TfrmQelTitleDetail(data_.cdsAudioLibrary, &owner);
        details->show();
        details->raise();
    };

    connect(commands_->Command("actAudioLibrary"), &QAction::triggered, this,
            [this] { Guarded("actAudioLibrary", [&] { OpenAudioLibrary(LibraryOpening::Plain); }); });
    commands_->Implement("actAudioLibrary");

    // "&Database Management" gains the backup and the restore advice.
    if (auto* database = findChild<QToolButton*>("btnDatabaseManagement"); database && database->menu()) {
        QMenu* menu = database->menu();
        QAction* backup = menu->addAction("&Backup Core Data");
        backup->setObjectName("actBackupCoreData");
        connect(backup, &QAction::triggered, this, [this] {
            Guarded("actBackupCoreData", [&] {
                QApplication::setOverrideCursor(Qt::WaitCursor);
                BackupAudioLibrary(data_.ApplicationFolder(), seams_.prompter);
                QApplication::restoreOverrideCursor();
            });
        });
        QAction* restore = menu->addAction("&Restore Core Data");
        restore->setObjectName("actRestoreCoreData");
        connect(restore, &QAction::triggered, this,
                [this] { Guarded("actRestoreCoreData", [&] { ShowRestoreAdvice(seams_.prompter); }); });
    }

    FileArgumentRoutes& routes = library_->routes;
    routes.LoadSchedule = [this](const std::string& path) { scheduleEditing_->LoadScheduleFile(path); };
    routes.LoadPlayList = [this](const std::string& path) { playLists_->OpenRecent(path); };
    routes.LoadRack = [this](const std::string& path) { station_.Rack().LoadRack(path); };
    routes.OpenCommercialList = [this](const std::string& path) { OpenCommercialsEditor(path); };
}

TfrmQelFileImport& TfrmQeLiteMain::OpenAudioLibrary(LibraryOpening opening) {
    if (!library_->fileImport) {
        FileImportLinks links;
        links.rules.Preview = [this](const std::string& path) {
            if (tools_.PreviewAudio)
                tools_.PreviewAudio(path, PreviewMode::Play);
        };
        links.rules.OnAir = [this] { return Playout().OnAir(); };
        links.rules.ProcessPendingMessages = [this] { ProcessPendingMessages(); };
        links.AddTitlesToSchedule = [this](const std::vector<Bookmark>& rows,
                                           const std::function<void()>& clear) {
            scheduleEditing_->Editor().AddTitlesToSchedule(rows, clear);
        };
        links.drag = {LibraryRowsMimeType,
                      [](const std::vector<Bookmark>& rows) { return LibraryRowsMimeData(rows); }};
        links.ShowHelpTopic = [this](const std::string& topic) {
            if (dialogs_)
                dialogs_->ShowHelpTopic(topic);
        };
        library_->fileImport = new TfrmQelFileImport(data_, library_->facts, seams_, std::move(links), this);
    }
    TfrmQelFileImport& window = *library_->fileImport;
    if (opening == LibraryOpening::WithAutoScan)
        window.AutoScanWhenShown();
    window.show();
    window.raise();
    window.activateWindow();
    return window;
}

std::vector<std::string> TfrmQeLiteMain::PreviewOutputs() const {
    std::vector<std::string> names;
    WaveDevice& device = station_.Output();
    for (int id = 0; id < device.DeviceCount(); ++id)
        names.push_back(device.ProductName(id));
    return names;
}

FileArgumentRoutes& TfrmQeLiteMain::FileRoutes() {
    return library_->routes;
}

void TfrmQeLiteMain::OpenFileArgument(const std::string& path) {
    Guarded("frmQeLiteMain", [&] { corvane::OpenFileArgument(path, library_->routes, seams_.prompter); });
}

} // namespace corvane
