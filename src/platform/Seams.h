#pragma once

#include "platform/Clock.h"
#include "platform/Dispatcher.h"
#include "platform/FileDialogs.h"
#include "platform/Prompter.h"
#include "platform/Shell.h"
#include "platform/Timer.h"

namespace corvane {

// Everything the Qt-free core needs of the outside world, handed in by the
// application (Qt implementations) or by a test (the virtual studio and
// scripted prompters). The referenced objects outlive the core.
struct Seams {
    Clock& clock;
    TimerFactory& timers;
    Dispatcher& dispatcher;
    Prompter& prompter;
    FileDialogs& fileDialogs;
    Shell& shell;
};

} // namespace corvane
