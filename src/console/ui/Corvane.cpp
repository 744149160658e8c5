// Program entry. The splash window shows first; then the data module, then the
// console; then the message loop runs until the console closes. A file named
// as the first argument (the desktop's "open" of one of the program's file
// types) is opened once the console shows.
#include "audio/device/PortAudioWaveDevice.h"
#include "console/ui/CorvaneApplication.h"
#include "console/ui/TerminationSignals.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "console/ui/TfrmQelSplash.h"
#include "data/TdmQelData.h"
#include "library/FileTypeRegistration.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtDispatcher.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtTimerFactory.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

int main(int argc, char** argv) {
    corvane::CorvaneApplication app(argc, argv);
    auto splash = std::make_unique<corvane::TfrmQelSplash>();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();

    const QString programFolder = QDir::cleanPath(QCoreApplication::applicationDirPath());
    corvane::QtClock clock;
    corvane::QtTimerFactory timers;
    corvane::QtDispatcher dispatcher;
    corvane::QtPrompter prompter;
    corvane::QtFileDialogs fileDialogs;
    corvane::QtShell shell;
    const corvane::Seams seams{clock, timers, dispatcher, prompter, fileDialogs, shell};

    corvane::TdmQelData data(programFolder.toStdString(),
                             QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString(),
                             clock, prompter, fileDialogs);
    corvane::PortAudioWaveDevice device(dispatcher);
    // The file types are associated for this user at start-up.
    corvane::ConsoleParts parts;
    const std::string programPath = QCoreApplication::applicationFilePath().toStdString();
    parts.RegisterFileTypes = [programPath] {
        corvane::RegisterFileTypes(programPath, corvane::UserXdgFolders());
    };
    auto console = std::make_unique<corvane::TfrmQeLiteMain>(seams, data, programFolder.toStdString(), device,
                                                             std::move(parts));
    prompter.SetParent(console.get());
    fileDialogs.SetParent(console.get());
    splash->accept();
    splash.reset();
    console->show();
    // A logout, a service manager or Ctrl+C closes the console as its own
    // close does: output stopped, tables and settings written.
    const corvane::TerminationSignals terminationSignals([&console](int) { console->close(); });
    if (argc > 1)
        console->OpenFileArgument(argv[1]);
    const int result = app.exec();
    // The console goes before the data module, which writes its tables as it closes them.
    console.reset();
    return result;
}
