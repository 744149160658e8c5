// The console window's tools: audio logging (F7, the Live Assist button) and
// the console lock ("Loc&k Console", Ctrl+L).
#include "console/ui/TfrmQeLiteMain.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "tools/ui/TfrmQelLockConsole.h"
#include "tools/ui/TfrmQelSnoop.h"

#include <QToolButton>

namespace corvane {

void TfrmQeLiteMain::BuildTools() {
    Implement("actLockConsole", &TfrmQeLiteMain::LockConsole);
    if (auto* snooping = findChild<QToolButton*>("btnSnooping"))
        connect(snooping, &QToolButton::clicked, this,
                [this] { Guarded("btnSnooping", [&] { OpenAudioLogging(); }); });
}

void TfrmQeLiteMain::OpenAudioLogging() {
    // One window at most: opening it again brings it to the front.
    if (!snoop_)
        snoop_ = new TfrmQelSnoop(station_.RecordingInput(), seams_, this);
    snoop_->show();
    snoop_->raise();
    snoop_->activateWindow();
}

void TfrmQeLiteMain::LockConsole() {
    TfrmQelLockConsole::LockConsole(this);
}

} // namespace corvane
