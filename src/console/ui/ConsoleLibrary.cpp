#include "console/ui/ConsoleLibrary.h"

#include "audio/device/WaveDevice.h"
#include "data/TdmQelData.h"
#include "library/LibraryAnalysis.h"
#include "library/LibraryAnalysis.h"
#include "library/LibraryBackup.h"
#include "library/ui/LibraryRowsMime.h"
#include "library/ui/TfrmQelFileImport.h"
#include "library/ui/TfrmQelParameterBrowse.h"
#include "library/ui/TfrmQelTitleDetail.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "settings/CorvaneSettings.h"
#include "tools/AudioPreview.h"
#include "tools/ConsoleTools.h"
#include "tools/PreviewPlayer.h"
#include "tools/ui/TfrmQelPlayAudio.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>

namespace corvane {

ConsoleLibrary::ConsoleLibrary(QWidget& window, ConsoleCommands& commands, QWidget* database, Seams seams,
                               TdmQelData& data, WaveDevice& output, const CorvaneSettings& settings,
                               ConsoleTools& tools, Links links)
    : window_(window), seams_(seams), data_(data), output_(output), tools_(tools), links_(std::move(links)),
      facts_(data) {
    setObjectName("ConsoleLibrary");
    tools_.BrowseParameters = [this](Table& table) { TfrmQelParameterBrowse::Browse(table, &window_); };
    tools_.PreviewAudio = [this, &settings](const std::string& path, PreviewMode mode) {
        PreviewSetup setup{output_, seams_, {}, {}, {}};
        setup.DeviceId = [this, &settings] { return PreviewDeviceId(output_, settings.PreviewDevice); };
        setup.External = [&settings] { return settings.ExternalAudioPreviewer; };
        setup.ShowModal = [this](PreviewPlayer& player) {
            TfrmQelPlayAudio previewer(player, &window_);
            previewer.RunModal();
        };
        return PreviewAudio(setup, path, mode);
    };
    tools_.AutoScanLibrary = [this] { Open(Opening::WithAutoScan); };
    tools_.ShowTitleDetails = [this](QWidget& owner) {
        auto* details = owner.findChild<TfrmQelTitleDetail*>(QString(), Qt::FindDirectChildrenOnly);
        if (!details)
            details = new TfrmQelTitleDetail(data_.cdsAudioLibrary, &owner);
        details->show();
        details->raise();
    };

    connect(commands.Command("actAudioLibrary"), &QAction::triggered, this,
            [this] { Guarded("actAudioLibrary", [&] { Open(Opening::Plain); }); });
    commands.Implement("actAudioLibrary");
    if (database)
        OfferBackup(*database);
}

// The library manager goes before the facts and routes it uses.
ConsoleLibrary::~ConsoleLibrary() {
    delete fileImport_.data();
}

// "&Database Management" gains the backup and the restore advice.
void ConsoleLibrary::OfferBackup(QWidget& database) {
    auto* button = qobject_cast<QToolButton*>(&database);
    if (!button || !button->menu())
        return;
    QMenu* menu = button->menu();
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

TfrmQelFileImport& ConsoleLibrary::Open(Opening opening) {
    if (!fileImport_) {
        FileImportLinks links;
        links.rules.Preview = [this](const std::string& path) {
            if (tools_.PreviewAudio)
                tools_.PreviewAudio(path, PreviewMode::Play);
        };
        links.rules.OnAir = links_.OnAir;
        links.rules.ProcessPendingMessages = links_.ProcessPendingMessages;
        links.AddTitlesToSchedule = links_.AddTitlesToSchedule;
        links.drag = {LibraryRowsMimeType,
                      [](const std::vector<Bookmark>& rows) { return LibraryRowsMimeData(rows); }};
        links.ShowHelpTopic = links_.ShowHelpTopic;
        links.analysis = links_.analysis;
        if (LibraryAnalysis* analysis = links_.analysis)
            links.rules.Imported = [analysis](const std::string& path) { analysis->Imported(path); };
        fileImport_ = new TfrmQelFileImport(data_, facts_, seams_, std::move(links), &window_);
    }
    TfrmQelFileImport& manager = *fileImport_;
    if (opening == Opening::WithAutoScan)
        manager.AutoScanWhenShown();
    manager.show();
    manager.raise();
    manager.activateWindow();
    return manager;
}

std::vector<std::string> ConsoleLibrary::PreviewOutputs() const {
    std::vector<std::string> names;
    for (int id = 0; id < output_.DeviceCount(); ++id)
        names.push_back(output_.ProductName(id));
    return names;
}

void ConsoleLibrary::OpenFileArgument(const std::string& path) {
    Guarded("frmQeLiteMain", [&] { corvane::OpenFileArgument(path, routes_, seams_.prompter); });
}

} // namespace corvane
