// Program entry. The splash window shows first; then the data module, then the
// console; then the message loop runs until the console closes. A file named
// as the first argument (the desktop's "open" of one of the program's file
// types) is opened once the console shows.
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/device/PortAudioWaveInDevice.h"
#include "console/ui/CorvaneApplication.h"
#include "console/ui/TerminationSignals.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "console/ui/TfrmQelSplash.h"
#include "library/FileTypeRegistration.h"
#include "platform/DataFolder.h"
#include "platform/ProgramFolderLock.h"
#include "platform/ProgramOptions.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtDispatcher.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtMessageFilter.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtTimerFactory.h"
#include "station/Station.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>

namespace {

constexpr const char* Usage =
    "usage: Corvane [FILE]\n"
    "       Corvane --help | --version\n"
    "\n"
    "The Vantor Corvane playout console. FILE, a schedule (.wsl), play list (.ply),\n"
    "audio rack (.rck) or commercial list (.ads), is opened once the console shows.\n"
    "Settings and tables are kept beside the program when its folder can be written\n"
    "and it is not installed, else in $XDG_DATA_HOME/vantor-corvane\n"
    "(~/.local/share/vantor-corvane).\n";

std::string DataFolderLine() {
    const corvane::DataFolderChoice choice =
        corvane::ChooseDataFolder(corvane::ExecutableFolder(), corvane::ProcessEnvironment());
    return choice.folder.empty() ? choice.error + "\n" : "data folder: " + choice.folder.string() + "\n";
}

} // namespace

int main(int argc, char** argv) {
    // Answered before anything opens a window or a device.
    const bool versionAsked = std::any_of(
        argv + 1, argv + argc, [](const char* arg) { return std::string_view(arg) == "--version"; });
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "Corvane", Usage, std::cout,
                                                         versionAsked ? DataFolderLine() : ""))
        return *status;
    corvane::InstallQtMessageFilter();
    corvane::CorvaneApplication app(argc, argv);
    auto splash = std::make_unique<corvane::TfrmQelSplash>();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();

    const std::filesystem::path programFolder =
        QDir::cleanPath(QCoreApplication::applicationDirPath()).toStdString();
    // The settings and tables live in the data folder: the program's own when
    // it may be written, the user's when the program is installed.
    const corvane::DataFolderChoice dataFolder =
        corvane::ChooseDataFolder(programFolder, corvane::ProcessEnvironment());
    if (dataFolder.folder.empty()) {
        splash.reset();
        QMessageBox::critical(nullptr, "Vantor Corvane", QString::fromStdString(dataFolder.error));
        return 1;
    }
    // Held until the program ends: corvane-import refuses to write these
    // tables meanwhile, and the console does not start while an import does.
    auto folderLock = corvane::ProgramFolderLock::Take(dataFolder.folder, "Corvane");
    if (const auto* why = std::get_if<std::string>(&folderLock)) {
        splash.reset();
        QMessageBox::critical(nullptr, "Vantor Corvane",
                              QString::fromStdString("The console cannot start: its data folder " +
                                                     dataFolder.folder.string() + " is " + *why + "."));
        return 1;
    }
    corvane::QtClock clock;
    corvane::QtTimerFactory timers;
    corvane::QtDispatcher dispatcher;
    corvane::QtPrompter prompter;
    corvane::QtFileDialogs fileDialogs;
    corvane::QtShell shell;
    const corvane::Seams seams{clock, timers, dispatcher, prompter, fileDialogs, shell};

    corvane::PortAudioWaveDevice device(dispatcher);
    corvane::StationSetup setup{
        dataFolder.folder, QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString(), {}};
    // The file types are associated for this user at start-up. An installed
    // package registers them for every user; the user's own registration is
    // for a portable console.
    const std::string programPath = QCoreApplication::applicationFilePath().toStdString();
    if (!corvane::IsInstalledProgramFolder(programFolder))
        setup.registerFileTypes = [programPath] {
            corvane::RegisterFileTypes(programPath, corvane::UserXdgFolders());
        };
    // Audio logging records from the default input.
    corvane::Station station(
        seams, {device, [] { return std::make_unique<corvane::PortAudioWaveInDevice>(); }}, std::move(setup));
    auto console = std::make_unique<corvane::TfrmQeLiteMain>(station);
    prompter.SetParent(console.get());
    fileDialogs.SetParent(console.get());
    splash->accept();
    splash.reset();
    console->show();
    // A logout, a service manager or Ctrl+C closes the console as its own
    // close does: output stopped, tables and settings written.
    const corvane::TerminationSignals terminationSignals([&console](int) { console->CloseForTermination(); });
    if (argc > 1)
        console->OpenFileArgument(argv[1]);
    const int result = app.exec();
    // The console goes before the station, whose data module writes its
    // tables as it closes them.
    console.reset();
    return result;
}
