#include "ConsoleWindow.h"
#include "console/ui/TerminationSignals.h"

#include <QTimer>
#include <csignal>
#include <filesystem>

namespace corvane::testing {
namespace {

// SIGTERM (a logout, a service manager) and SIGINT (Ctrl+C) end the program
// as closing the console does: the close runs, the settings are written.
TEST(TerminationSignals, CloseTheConsoleAsItsOwnCloseDoes) {
    for (const int signal : {SIGTERM, SIGINT}) {
        Window w;
        w.console->show();
        int caught = 0;
        const TerminationSignals catcher([&](int which) {
            caught = which;
            w.console->close();
        });
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(10'000);
        EXPECT_EQ(App().exec(), 0) << signal;
        EXPECT_EQ(caught, signal);
        EXPECT_TRUE(w.console->Core().Closing()) << signal;
        EXPECT_TRUE(std::filesystem::exists(w.folder / "corvane.ini")) << signal;
    }
}

} // namespace
} // namespace corvane::testing
