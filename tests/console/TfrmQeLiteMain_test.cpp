#include "console/ui/CorvaneApplication.h"
#include "console/ui/TfrmQeLiteMain.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(TfrmQeLiteMain, OpensTitledAndClosesCleanly) {
    int argc = 1;
    char name[] = "console_ui_tests";
    char* argv[] = {name, nullptr};
    CorvaneApplication app(argc, argv);
    TfrmQeLiteMain console;
    console.show();
    EXPECT_EQ(console.windowTitle(), "Vantor Corvane");
    QTimer::singleShot(0, &console, [&] { console.close(); });
    EXPECT_EQ(app.exec(), 0);
    EXPECT_FALSE(console.isVisible());
}

} // namespace
} // namespace corvane
