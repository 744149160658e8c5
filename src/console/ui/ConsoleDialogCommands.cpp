#include "console/ui/ConsoleDialogCommands.h"

#include "audio/output/TMMWaveOut.h"
#include "console/ui/ConsolePlayLists.h"
#include "console/ui/ManualWindow.h"
#include "console/ui/TfrmQelAbout.h"
#include "console/ui/TfrmQelConfigSound.h"
#include "console/ui/TfrmQelConfigWizard.h"
#include "platform/DataFolder.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "playlists/ui/TfrmQelPlayList.h"
#include "playout/SoundConfiguration.h"
#include "tools/ConsoleTools.h"

#include <QUrl>
#include <system_error>

namespace corvane {

ConsoleDialogCommands::ConsoleDialogCommands(Context context, QObject* parent)
    : QObject(parent), c_(std::move(context)) {
    Bind("actWizard", [this] { ShowWizard(); });
    Bind("actSoundConfiguration", [this] { ShowSoundConfiguration(); });
    Bind("actAbout", [this] { ShowAbout(); });
    Bind("actVolumeControls", [this] { OpenMixer(); });
    Bind("actHelpContents", [this] { ShowHelpTopic("Overview"); });
    Bind("actHelpSearch", [this] { ShowHelpTopic("Index"); });
}

void ConsoleDialogCommands::Bind(const char* command, std::function<void()> work) {
    connect(c_.commands.Command(command), &QAction::triggered, this,
            [command, work = std::move(work)] { Guarded(command, work); });
    c_.commands.Implement(command);
}

std::filesystem::path ConsoleDialogCommands::ManualPage() const {
    // A portable console has its manual beside it; an installed one keeps its
    // settings in the user's data folder and its manual with the program.
    const std::filesystem::path program = ExecutableFolder();
    if (c_.programFolder != program && IsInstalledProgramFolder(program))
        return InstalledResource(program, "manual") / "index.html";
    return c_.programFolder / "manual" / "index.html";
}

void ConsoleDialogCommands::ShowHelpTopic(const std::string& topic) {
    const std::filesystem::path page = ManualPage();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(page, ec)) {
        c_.seams.prompter.Show("Unable to locate file:\r\n" + page.string(), MessageType::Information,
                               MessageButtons::Ok);
        return;
    }
    if (!c_.seams.shell.ShowsHtml()) {
        ShowManualWindow(page, topic);
        return;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(page.string()));
    url.setFragment(QString::fromStdString(topic));
    c_.seams.shell.Open(url.toString().toStdString());
}

void ConsoleDialogCommands::ShowManualWindow(const std::filesystem::path& page, const std::string& topic) {
    // One at a time: asking again brings it forward at the new topic.
    if (!manual_)
        manual_ = new ManualWindow(page, &c_.window);
    manual_->show();
    manual_->raise();
    manual_->activateWindow();
    manual_->ShowTopic(topic);
}

void ConsoleDialogCommands::ShowSoundConfiguration() {
    if (c_.onAir && c_.onAir())
        return;
    SoundConfiguration configuration(c_.output, c_.device);
    TfrmQelConfigSound dialog(configuration, &c_.window);
    dialog.exec();
}

WizardActions ConsoleDialogCommands::Actions() {
    WizardActions actions;
    actions.GeneratePlayList = [this] { c_.playLists.OpenPlayListManager(GenerateOnOpen::Yes); };
    actions.OpenPlayListManager = [this] { c_.playLists.OpenPlayListManager(GenerateOnOpen::No); };
    // The library's windows are reached through their console command once
    // the library is part of the console.
    if (c_.commands.Implemented("actAudioLibrary"))
        actions.ViewAudioLibrary = [this] { c_.commands.Command("actAudioLibrary")->trigger(); };
    if (c_.tools.AutoScanLibrary)
        actions.AutoScan = [this] { c_.tools.AutoScanLibrary(); };
    if (c_.commands.Implemented("actProperties"))
        actions.LoudnessSettings = [this] { c_.commands.Command("actProperties")->trigger(); };
    return actions;
}

void ConsoleDialogCommands::ShowWizard() {
    TfrmQelConfigWizard wizard(WizardStart::Welcome, Actions(), c_.seams.prompter, &c_.window);
    wizard.exec();
}

void ConsoleDialogCommands::ShowFirstRunWizard() {
    auto* wizard = new TfrmQelConfigWizard(WizardStart::FirstRun, Actions(), c_.seams.prompter, &c_.window);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->setWindowModality(Qt::ApplicationModal);
    wizard->show();
}

void ConsoleDialogCommands::ShowAbout() {
    TfrmQelAbout about(QString::fromStdString(c_.programFolder.string()), &c_.window);
    about.exec();
}

void ConsoleDialogCommands::OpenMixer() {
    OpenMixerControls(c_.seams.shell, c_.locateProgram, c_.desktop);
}

} // namespace corvane
