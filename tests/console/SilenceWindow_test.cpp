#include "ConsoleWindow.h"
#include "broadcast/ui/SilenceIndicator.h"
#include "support/ToneFiles.h"

#include <QStatusBar>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

// The status bar's silence light follows the station's alarm: plain while
// the air is heard, red once a silent title has played past the delay, and
// plain again when the next title is heard.
TEST(SilenceWindow, TheStatusBarLightTurnsRedWhileTheAirIsSilent) {
    Window w;
    SilenceIndicator* light = w.console->statusBar()->findChild<SilenceIndicator*>("SilenceIndicator");
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->text(), "Air: OK");

    CorvaneSettings& settings = w.console->Core().MutableSettings();
    settings.AutoCrossFade = false;
    settings.LoopScheduleContinuously = false;
    Table& schedule = w.data->cdsSchedule;
    for (const auto& [name, stretch] : {std::pair{"silent.wav", ToneStretch{0, 0, 8000}},
                                        std::pair{"tone.wav", ToneStretch{440, -12, 4000}}}) {
        WriteToneFile(w.folder.File(name), 44100, 2, {stretch});
        schedule.Append();
        schedule.FieldByName("LocalPathToFile").SetAsString(w.folder.File(name));
        schedule.Post();
    }
    schedule.First();
    w.station->Playout().StartItem();
    w.studio.studio.Run(6000);
    EXPECT_TRUE(light->Alarm());
    EXPECT_EQ(light->text(), "SILENCE ON AIR");
    EXPECT_NE(light->styleSheet().indexOf("#d00000"), -1);
    w.studio.studio.Run(4000);
    EXPECT_FALSE(light->Alarm());
    EXPECT_EQ(light->text(), "Air: OK");
}

} // namespace
} // namespace corvane::testing
