#include "ConsoleWindow.h"
#include "audio/decks/DeckFixtures.h"
#include "playout/PlayoutEngine.h"
#include "studio/VirtualWaveInDevice.h"
#include "tools/ui/TfrmQelLockConsole.h"

#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

// The console with one 10 s wave file of a constant 4000 in its schedule.
struct ToolsWindow : Window {
    ToolsWindow() {
        station->UseRecordingInput(input);
        console->show();
        QCoreApplication::processEvents();
        const std::string path = (folder.Path() / "a.wav").string();
        test::WriteWave16(path, 44100, 2, std::vector<int16_t>(44100 * 2 * 10, 4000));
        Table& s = data->cdsSchedule;
        s.Append();
        s.FieldByName("TitleName").SetAsString("a.wav");
        s.FieldByName("LocalPathToFile").SetAsString(path);
        s.Post();
        data->cdsSchedule.First();
        QCoreApplication::processEvents();
    }
    // The level played at `ms` after the output opened.
    double LevelAt(int64_t ms) { return device.Played().PeakLevel({ms, ms + 100}); }

    VirtualWaveInDevice input{studio.studio};
};

void Press(QWidget* w, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(w, &press);
}

TEST(ToolsWindow, TheLockHoldsTheConsoleWhilePlayoutGoesOnUnderneath) {
    ToolsWindow w;
    ASSERT_TRUE(w.Command("actLockConsole")->isEnabled());
    EXPECT_EQ(w.Command("actLockConsole")->shortcut(), QKeySequence("Ctrl+L"));
    w.Command("StartBroadcast")->trigger();
    w.studio.studio.Run(500);
    const uint64_t before = w.device.Played().Frames();
    bool refusedClose = false;
    uint64_t playedWhileLocked = 0;
    QTimer::singleShot(0, [&] {
        auto* lock = qobject_cast<TfrmQelLockConsole*>(QApplication::activeModalWidget());
        ASSERT_NE(lock, nullptr);
        lock->close();
        refusedClose = lock->isVisible();
        w.studio.studio.Run(2000);
        playedWhileLocked = w.device.Played().Frames() - before;
        Press(lock, Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier);
    });
    w.Command("actLockConsole")->trigger();
    EXPECT_TRUE(refusedClose);
    EXPECT_GE(playedWhileLocked, 2000u * 44100 / 1000);
    EXPECT_TRUE(w.console->Playout().OutputPlaying());
}

TEST(ToolsWindow, F7AndTheLiveAssistButtonOpenOneAudioLoggingWindow) {
    ToolsWindow w;
    EXPECT_EQ(w.console->AudioLogging(), nullptr);
    Press(&w.console->ScheduleGrid(), Qt::Key_F7, Qt::NoModifier);
    QWidget* snoop = w.console->AudioLogging();
    ASSERT_NE(snoop, nullptr);
    EXPECT_TRUE(snoop->isVisible());
    EXPECT_EQ(snoop->windowTitle(), "Audio Logging");
    auto* button = w.console->findChild<QToolButton*>("btnSnooping");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "F7: Snooping         ");
    button->click();
    EXPECT_EQ(w.console->AudioLogging(), snoop);
    snoop->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.console->AudioLogging(), nullptr);
}

TEST(ToolsWindow, ThePluginSitsBeforeTheOutputAndActsOnlyOnceStarted) {
    ToolsWindow w;
    PlayoutEngine& playout = w.console->Playout();
    EXPECT_EQ(playout.mmAudioOut().Input(), &w.console->DspPlugin());
    EXPECT_EQ(w.console->DspPlugin().Input(), &playout.MMRingBuffer1());
    EXPECT_FALSE(w.console->DspPlugin().Enabled());
    QMenu& plugins = w.console->PluginsMenu();
    QStringList captions;
    for (QAction* a : plugins.actions())
        captions << a->text();
    EXPECT_EQ(captions, (QStringList{"&Load Plugin", "Start Plugin", "Stop Plugin", "Configure Plugin"}));
    EXPECT_TRUE(w.console->SchedulePopup().actions().contains(plugins.menuAction()));

    w.Command("StartBroadcast")->trigger();
    w.studio.studio.Run(1000);
    w.studio.fileDialogs.Choose({PLUGIN_GAIN});
    plugins.actions()[0]->trigger();
    w.studio.studio.Run(2000);
    // Loaded, not started: the air is as before.
    EXPECT_NEAR(w.LevelAt(2900), 4000.0 / 32768, 1e-4);
    plugins.actions()[1]->trigger();
    w.studio.studio.Run(3000);
    // What is queued already plays out; later buffers are halved.
    EXPECT_NEAR(w.LevelAt(5900), 2000.0 / 32768, 1e-4);
    plugins.actions()[2]->trigger();
    w.studio.studio.Run(3000);
    EXPECT_NEAR(w.LevelAt(8900), 4000.0 / 32768, 1e-4);
    EXPECT_TRUE(w.studio.prompter.Messages().empty());
}

} // namespace
} // namespace corvane::testing

namespace corvane::testing {
namespace {

TEST(ToolsWindow, ConfiguringALadspaPluginShowsItsControlsAsAForm) {
    ToolsWindow w;
    w.studio.fileDialogs.Choose({"/usr/lib/ladspa/hard_limiter_1413.so"});
    QMenu& plugins = w.console->PluginsMenu();
    plugins.actions()[0]->trigger();
    ASSERT_TRUE(w.console->DspPlugin().PluginLoaded());
    QStringList names;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), "Hard Limiter");
        for (auto* label : form->findChildren<QLabel*>())
            names << label->text();
        form->findChild<QDoubleSpinBox*>("edtControl0")->setValue(-6);
        form->accept();
    });
    plugins.actions()[3]->trigger();
    EXPECT_TRUE(names.contains("dB limit"));
    EXPECT_FLOAT_EQ(w.console->DspPlugin().Controls()[0].value, -6.0f);
}

} // namespace
} // namespace corvane::testing
