#include "ConsoleWindow.h"
#include "audio/decks/DeckFixtures.h"
#include "console/ui/ConsoleMeterPanel.h"
#include "console/ui/LedDigit.h"
#include "playout/PlayoutEngine.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableView>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

// The console window on the virtual output with a schedule of two short
// wave files, a.wav (3 s) then b.wav (3 s), the cursor on the first.
struct OnAirWindow : Window {
    OnAirWindow() {
        console->show();
        QCoreApplication::processEvents();
        for (const char* name : {"a.wav", "b.wav"}) {
            const std::string path = (folder.Path() / name).string();
            test::WriteWave16(path, 44100, 2, std::vector<int16_t>(44100 * 2 * 3, 4000));
            Table& s = data->cdsSchedule;
            s.Append();
            s.FieldByName("TitleName").SetAsString(name);
            s.FieldByName("LocalPathToFile").SetAsString(path);
            s.Post();
        }
        data->cdsSchedule.First();
        QCoreApplication::processEvents();
    }
    bool Enabled(const char* command) { return Command(command)->isEnabled(); }
    QString Title() { return console->findChild<QLabel*>("lblTitle")->text(); }
    bool DigitsLit() { return console->findChild<LedDigit*>("BigSS1")->isEnabled(); }
    // A key pressed on the schedule grid, where the operator's focus usually is.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&console->ScheduleGrid(), &press);
    }
};

TEST(PlayoutWindow, StartPlaysTheScheduleAndStopClearsTheItemDisplay) {
    OnAirWindow w;
    ASSERT_TRUE(w.Enabled("StartBroadcast"));
    EXPECT_FALSE(w.Enabled("StopBroadcast"));
    EXPECT_EQ(w.console->StatusText(1), "Automatic");

    w.Command("StartBroadcast")->trigger();
    w.studio.studio.Run(1000);
    EXPECT_TRUE(w.console->Playout().OutputPlaying());
    EXPECT_EQ(w.console->StatusText(0), "Playing: a.wav");
    EXPECT_EQ(w.console->StatusText(1), "Automatic");
    EXPECT_EQ(w.Title(), "a.wav");
    EXPECT_TRUE(w.DigitsLit());
    EXPECT_GT(w.console->findChild<QProgressBar*>("Gauge")->value(), 0);
    EXPECT_GT(w.console->MeterPanel().MMLevel1().Spots(), 0);
    EXPECT_FALSE(w.Enabled("StartBroadcast"));
    for (const char* command : {"StopBroadcast", "PauseBroadcast", "actFadeToNext", "actSkipRight"})
        EXPECT_TRUE(w.Enabled(command)) << command;

    // The end of the first item moves the schedule on by itself.
    w.studio.studio.Run(3000);
    EXPECT_EQ(w.console->StatusText(0), "Playing: b.wav");
    // The cursor stays on the operator's row, so "&Start" is offered for it;
    // moving it onto the item on air withdraws the offer.
    QTableView& grid = w.console->ScheduleGrid();
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_TRUE(w.Enabled("StartBroadcast"));
    grid.setCurrentIndex(grid.model()->index(1, 0));
    EXPECT_FALSE(w.Enabled("StartBroadcast"));

    w.Command("StopBroadcast")->trigger();
    w.studio.studio.Run(100);
    EXPECT_FALSE(w.console->Playout().OnAir());
    EXPECT_FALSE(w.console->Playout().OutputPlaying());
    EXPECT_EQ(w.Title(), "");
    EXPECT_EQ(w.console->StatusText(0), "");
    EXPECT_EQ(w.console->findChild<QProgressBar*>("Gauge")->value(), 0);
    EXPECT_TRUE(w.Enabled("StartBroadcast"));

    // An emptied schedule leaves nothing to start.
    w.data->cdsSchedule.EmptyDataSet();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.Enabled("StartBroadcast"));
    EXPECT_EQ(w.console->StatusText(1), "Design");
}

TEST(PlayoutWindow, PlaySelectedAndTheFunctionKeysReachPlayout) {
    OnAirWindow w;
    // F3 and F4 do nothing while their commands are disabled.
    w.Press(Qt::Key_F3);
    w.Press(Qt::Key_F4);
    EXPECT_FALSE(w.console->Playout().OnAir());

    // A double-click on a row plays it.
    QTableView& grid = w.console->ScheduleGrid();
    grid.setCurrentIndex(grid.model()->index(1, 0));
    emit grid.doubleClicked(grid.model()->index(1, 0));
    w.studio.studio.Run(500);
    EXPECT_EQ(w.console->StatusText(0), "Playing: b.wav");

    // A click at the middle of the gauge seeks to the middle of the item.
    auto* gauge = w.console->findChild<QProgressBar*>("Gauge");
    const QPointF middle(gauge->width() / 2, gauge->height() / 2);
    QMouseEvent click(QEvent::MouseButtonPress, middle, gauge->mapToGlobal(middle), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(gauge, &click);
    w.studio.studio.Run(300);
    EXPECT_NEAR(w.console->Playout().Remaining(), 1500, 400);

    w.Press(Qt::Key_F5);
    EXPECT_TRUE(w.console->Playout().DelayedPause());
    EXPECT_FALSE(w.console->findChild<QLabel*>("lblDelayedPause")->isHidden());

    w.Press(Qt::Key_F3);
    w.studio.studio.Run(200);
    EXPECT_TRUE(w.console->Playout().OutputPaused());
    // "&Start" resumes the paused output.
    w.Press(Qt::Key_F9);
    w.studio.studio.Run(200);
    EXPECT_FALSE(w.console->Playout().OutputPaused());
    w.Press(Qt::Key_F4);
    w.studio.studio.Run(200);
    EXPECT_FALSE(w.console->Playout().OnAir());

    // Ctrl+arrows walk the lower pages and run off the ends to no page.
    QTabWidget& pages = w.console->ControlCenter();
    pages.setCurrentIndex(0);
    w.Press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(pages.currentIndex(), 1);
    w.Press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(pages.currentIndex(), 0);
}

TEST(PlayoutWindow, ClosingOnAirStopsTheOutputForGood) {
    OnAirWindow w;
    w.Command("StartBroadcast")->trigger();
    w.studio.studio.Run(500);
    ASSERT_TRUE(w.console->Playout().OutputPlaying());
    ASSERT_TRUE(w.console->close());
    EXPECT_TRUE(w.console->Playout().Closing());
    EXPECT_FALSE(w.console->Playout().OutputPlaying());
    // Nothing starts again while the program closes.
    w.Command("StartBroadcast")->trigger();
    w.studio.studio.Run(500);
    EXPECT_FALSE(w.console->Playout().OutputPlaying());
}

} // namespace
} // namespace corvane::testing
