// Where the console's windows open with no window manager to place them (the
// offscreen platform has none): each as its description says, never at 0,0
// over the console's menus.
#include "ConsoleWindow.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "library/ui/TfrmQelFileImport.h"
#include "library/ui/TfrmQelTitleDetail.h"

#include <QApplication>
#include <QScreen>
#include <functional>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

QRect FreeScreen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// The window is on the screen and centred on `around` (to a few pixels of
// rounding), unless the screen's edge keeps it from being centred there.
void ExpectCentredOn(const QWidget& window, const QRect& around, const char* what) {
    SCOPED_TRACE(what);
    const QRect placed = window.frameGeometry();
    const QRect free = FreeScreen();
    EXPECT_TRUE(free.contains(placed.topLeft())) << placed.x() << "," << placed.y();
    QRect centred = placed;
    centred.moveCenter(around.center());
    if (free.contains(centred)) {
        EXPECT_NEAR(placed.center().x(), around.center().x(), 3);
        EXPECT_NEAR(placed.center().y(), around.center().y(), 3);
    }
    EXPECT_NE(placed.topLeft(), QPoint(0, 0)) << "the corner a window opens in when nothing places it";
}

TEST(WindowPlacement, EachWindowOpensWhereItsDescriptionSaysWithoutAWindowManager) {
    Window w([](const TempFolder& folder) {
        WriteText(folder.Path() / SettingsFileName, "[Corvane_General]\nWelcomeDone=1\n");
    });
    w.console->show();
    QApplication::processEvents();
    ExpectCentredOn(*w.console, FreeScreen(), "console");
    // Moved by the operator, the console stays where it was put.
    w.console->move(20, 30);
    QApplication::processEvents();
    const QRect console = w.console->frameGeometry();

    QWidget& library = w.console->OpenAudioLibrary(TfrmQeLiteMain::LibraryOpening::Plain);
    QApplication::processEvents();
    ExpectCentredOn(library, FreeScreen(), "library manager");

    w.console->Tools().ShowTitleDetails(library);
    QApplication::processEvents();
    ExpectCentredOn(*library.findChild<TfrmQelTitleDetail*>(), library.frameGeometry(), "title details");

    w.console->OpenCommercialsEditor("");
    QApplication::processEvents();
    ExpectCentredOn(*w.console->CommercialsEditor(), FreeScreen(), "commercials editor");

    VirtualWaveInDevice input{w.studio.studio};
    w.station->UseRecordingInput(input);
    w.console->OpenAudioLogging();
    QApplication::processEvents();
    ExpectCentredOn(*w.console->AudioLogging(), console, "audio logging");
}

} // namespace
} // namespace corvane::testing
