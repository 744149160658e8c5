#include "CommercialListFiles.h"
#include "audio/decks/DeckFixtures.h"
#include "commercials/AdSchedule.h"
#include "commercials/CommercialBreaks.h"
#include "commercials/ui/CommercialsPage.h"
#include "console/ConsoleWindow.h"
#include "console/ui/LedDigit.h"
#include "playout/PlayoutEngine.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

std::string Tone(const std::filesystem::path& path, double seconds, int16_t level = 4000) {
    test::WriteWave16(path.string(), 44100, 2,
                      std::vector<int16_t>(static_cast<size_t>(seconds * 44100) * 2, level));
    return path.string();
}

// The console window on Monday 5 January 2026, 09:00, with the day's list
// (two spots at 09:30, one at 11:00) and another list in the program
// folder's "Ads" folder, and a schedule of two music items.
struct CommercialsWindow : Window {
    CommercialsWindow()
        : Window([](const TempFolder& folder) {
              const std::filesystem::path ads = folder / "Ads";
              std::filesystem::create_directories(ads);
              const std::string s1 = Tone(folder / "spot1.wav", 1), s2 = Tone(folder / "spot2.wav", 1);
              WriteCommercialList(ads / "20260105.ads",
                                  {{"09:30", s1, 1}, {"09:30", s2, 1}, {"11:00", s1, 1}});
              WriteCommercialList(ads / "Other.ads", {{"10:15", s2, 1}});
          }) {
        for (const char* name : {"a.wav", "b.wav"}) {
            Table& s = data->cdsSchedule;
            s.Append();
            s.FieldByName("TitleName").SetAsString(name);
            s.FieldByName("LocalPathToFile").SetAsString(Tone(folder / name, 30));
            s.Post();
        }
        data->cdsSchedule.First();
        console->show();
        QCoreApplication::processEvents();
    }
    CommercialsPage& Page() { return console->CommercialsPageWidget(); }
    CommercialBreaks& Breaks() { return console->Commercials(); }
    QString CurrentListEntry() {
        QTreeWidgetItem* item = Page().Lists().currentItem();
        return item ? item->text(0) : QString();
    }
    QStringList Groups() {
        QStringList groups;
        for (int g = 0; g < Page().Grid().topLevelItemCount(); ++g)
            groups << Page().Grid().topLevelItem(g)->text(0) +
                          QString(" x%1").arg(Page().Grid().topLevelItem(g)->childCount());
        return groups;
    }
    QString Trip() { return console->findChild<QToolButton*>("btnTripCommercial")->text(); }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&console->ScheduleGrid(), &press);
    }
    int Digit(const char* name) { return console->findChild<LedDigit*>(name)->Value(); }
};

TEST(CommercialsWindow, StartUpLoadsTodaysListAndTheCountdownRuns) {
    CommercialsWindow w;
    EXPECT_EQ(w.CurrentListEntry(), "20260105.ads");
    EXPECT_EQ(w.Page().Lists().topLevelItemCount(), 2);
    EXPECT_EQ(w.Groups(), (QStringList{"Break Time: 09:30 x2", "Break Time: 11:00 x1"}));
    EXPECT_EQ(w.Page().Footer().text(), "Total Duration: 3");
    EXPECT_EQ(w.console->Displays().NextBreakTime(), "09:30");
    EXPECT_EQ(w.Trip(), "F8: Next Commercial");
    EXPECT_TRUE(w.console->findChild<QToolButton*>("btnTripCommercial")->isEnabled());

    w.studio.studio.Run(1000);
    EXPECT_EQ(w.Digit("DownLed1") * 10 + w.Digit("DownLed2"), 29);
    EXPECT_EQ(w.Digit("DownLed3") * 10 + w.Digit("DownLed4"), 59);

    // Another list chosen by the operator is loaded; "View Next Commercial
    // Only" restricts it to the next break.
    QTreeWidget& lists = w.Page().Lists();
    lists.setCurrentItem(lists.findItems("Other.ads", Qt::MatchFixedString).front());
    EXPECT_EQ(w.Groups(), (QStringList{"Break Time: 10:15 x1"}));
    EXPECT_EQ(w.console->Displays().NextBreakTime(), "10:15");
    lists.setCurrentItem(lists.findItems("20260105.ads", Qt::MatchFixedString).front());
    w.Command("actViewNextCommercialOnly")->trigger();
    EXPECT_TRUE(w.Command("actViewNextCommercialOnly")->isChecked());
    EXPECT_EQ(w.Groups(), (QStringList{"Break Time: 09:30 x2"}));
    w.Command("actViewNextCommercialOnly")->trigger();
    EXPECT_EQ(w.Groups().size(), 2);

    const QByteArray shots = qgetenv("CORVANE_SCREENSHOT_DIR");
    if (shots.isEmpty())
        return;
    w.console->ControlCenter().setCurrentIndex(2);
    QApplication::processEvents();
    w.console->grab().save(QString::fromUtf8(shots) + "/commercials-page.png");
    w.console->ControlCenter().setCurrentIndex(4);
    QApplication::processEvents();
    w.console->grab().save(QString::fromUtf8(shots) + "/commercials-countdown.png");
}

TEST(CommercialsWindow, AListTheStoreCannotReadIsLoggedWithoutAMessage) {
    Window w([](const TempFolder& folder) {
        std::filesystem::create_directories(folder / "Ads");
        WriteText(folder / "Ads" / "20260105.ads", "not a table");
    });
    EXPECT_TRUE(w.studio.prompter.Messages().empty());
    EXPECT_NE(ReadText(w.folder / "zrexcept.log").find("SelectTodaysCommercialList"), std::string::npos);
    EXPECT_EQ(w.console->Commercials().NextBreakTime(), "");
}

TEST(CommercialsWindow, F8TripsTheBreakAndStopsIt) {
    CommercialsWindow w;
    w.Command("StartBroadcast")->trigger();
    w.studio.studio.Run(2000);
    const int music = w.console->Playout().CurrentItem();
    w.Press(Qt::Key_F8);
    EXPECT_TRUE(w.console->Playout().CommercialBreak());
    EXPECT_EQ(w.Trip(), "F8: Stop Commercial");
    EXPECT_EQ(w.Groups(), (QStringList{"Break Time: 09:30 x2"}));
    w.studio.studio.Run(300);
    w.Press(Qt::Key_F8);
    w.studio.studio.Run(3000);
    EXPECT_FALSE(w.console->Playout().CommercialBreak());
    EXPECT_EQ(w.Trip(), "F8: Next Commercial");
    EXPECT_NE(w.console->Playout().CurrentItem(), music) << "the schedule resumed after the break";
    EXPECT_EQ(w.Groups().size(), 2);

    // Ctrl+F5 trips the next break too; the console's stop ends it.
    w.Press(Qt::Key_F5, Qt::ControlModifier);
    w.Command("actRapidFadeToNextCommercial")->trigger();
    EXPECT_TRUE(w.console->Playout().CommercialBreak());
    w.Command("StopBroadcast")->trigger();
    EXPECT_FALSE(w.console->Playout().CommercialBreak());
    EXPECT_EQ(w.Trip(), "F8: Next Commercial");
}

TEST(CommercialsWindow, PlaySelectedItemPlaysTheRowUnderTheCursorOffAir) {
    CommercialsWindow w;
    QTreeWidget& grid = w.Page().Grid();
    grid.setCurrentItem(grid.topLevelItem(0)->child(1));
    EXPECT_EQ(w.data->cdsVantorAdList.FieldByName("NetworkPathToFile").AsString(),
              (w.folder / "spot2.wav").string());
    w.Command("actPlaySelectedCommercial")->trigger();
    EXPECT_TRUE(w.console->Playout().DirectCommercialPlayout());
    EXPECT_EQ(w.console->Playout().Deck(3).FileName(), (w.folder / "spot2.wav").string());
    EXPECT_FALSE(w.console->Playout().CommercialBreak());
}

TEST(CommercialsWindow, TheAdScheduleIsRefreshedLinkedToTheBreakTimesAndImportedByTheUplink) {
    CommercialsWindow w;
    Table& times = w.data->cdsAdTimes;
    for (const char* time : {"08:00", "12:00"}) {
        times.Append();
        times.FieldByName("BreakTime").SetAsString(time);
        times.Post();
    }
    times.First();
    WriteCommercialList(w.folder / "AdSched_20260104.xml", {{"08:00", "yesterday.wav"}});
    w.Command("actRefreshAdSchedule")->trigger();
    EXPECT_EQ(w.Groups().size(), 2) << "only today's file is taken";

    WriteCommercialList(w.folder / "AdSched_20260105.xml",
                        {{"08:00", "a1.wav"}, {"08:00", "a2.wav"}, {"12:00", "b1.wav"}, {"10:00", "c1.wav"}});
    w.Command("actRefreshAdSchedule")->trigger();
    EXPECT_EQ(w.Groups(), (QStringList{"Break Time: 08:00 x2"}));
    times.Next();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Groups(), (QStringList{"Break Time: 12:00 x1"}));

    // The uplink program is started only when it is in the program folder.
    w.Command("actImportAdSchedule")->trigger();
    EXPECT_TRUE(w.studio.shell.OpenedTargets().empty());
    test::WriteWave16((w.folder / AdSchedule::UplinkProgram).string(), 8000, 1, {});
    w.Command("actImportAdSchedule")->trigger();
    ASSERT_EQ(w.studio.shell.OpenedTargets().size(), 1u);
    EXPECT_EQ(w.studio.shell.OpenedTargets()[0].target, (w.folder / AdSchedule::UplinkProgram).string());
}

TEST(CommercialsWindow, AdBreakConfigurationBrowsesTheBreakTimesWhenTheBrowserIsThere) {
    CommercialsWindow w;
    QMenu* system = w.console->menuBar()->findChild<QMenu*>("mnuSystem");
    // Without a parameter browser in the console the command is off.
    const auto browser = w.console->Tools().BrowseParameters;
    w.console->Tools().BrowseParameters = nullptr;
    emit system->aboutToShow();
    EXPECT_FALSE(w.Command("actAdBreakConfiguration")->isEnabled());
    ASSERT_TRUE(browser) << "the library part provides the browser";
    Table* browsed = nullptr;
    w.console->Tools().BrowseParameters = [&](Table& table) { browsed = &table; };
    emit system->aboutToShow();
    ASSERT_TRUE(w.Command("actAdBreakConfiguration")->isEnabled());
    w.Command("actAdBreakConfiguration")->trigger();
    EXPECT_EQ(browsed, &w.data->cdsAdTimes);
}

} // namespace
} // namespace corvane::testing
