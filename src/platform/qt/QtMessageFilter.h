#pragma once

namespace corvane {

// Keeps Qt's notice "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to
// …" off the terminal: a session without a runtime folder (a bare X server,
// su, a service) is normal for a studio machine, Qt goes on with a folder of
// its own, and the line at every start only worries the operator. Every other
// message goes on to the handler that was installed before. The variable
// itself is left alone: the sound server's clients find their server through
// it, and pointing it at a new folder would lose the sound device. Call once,
// before the application object is made. Main thread.
void InstallQtMessageFilter();

} // namespace corvane
