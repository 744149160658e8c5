#pragma once

#include "platform/Seams.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtDispatcher.h"
#include "platform/qt/QtTimerFactory.h"
#include "studio/RecordingShell.h"
#include "studio/ScriptedFileDialogs.h"
#include "studio/ScriptedPrompter.h"

namespace corvane::testing {

// The seams of a console on the real clock and Qt's event loop (for runs on a
// real sound server), with scripted stand-ins for the operator's prompts, file
// dialogs and the shell. Needs a QCoreApplication; main thread.
struct QtSeams {
    QtClock clock;
    QtTimerFactory timers;
    QtDispatcher dispatcher;
    ScriptedPrompter prompter;
    ScriptedFileDialogs fileDialogs;
    RecordingShell shell;
    Seams seams() { return Seams{clock, timers, dispatcher, prompter, fileDialogs, shell}; }
};

} // namespace corvane::testing
