#include "audio/decks/DeckFixtures.h"
#include "console/ConsoleWindow.h"
#include "data/QelTableSchemas.h"
#include "events/ui/EventsPage.h"
#include "playout/PlayoutEngine.h"
#include "rack/ui/AudioRackPage.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// The console window with a rack of three carts on the rack list.
struct RackWindow : Window {
    RackWindow() {
        for (const char* name : {"ident.wav", "sweeper.wav", "bed.wav"}) {
            const std::string path = (folder.Path() / name).string();
            test::WriteWave16(path, 44100, 2, std::vector<int16_t>(44100 * 2, 3000));
            carts.push_back(path);
        }
        Table& list = data->cdsFileList;
        list.CreateDataSet();
        for (const std::string& cart : carts) {
            list.Append();
            list.FieldByName("LocalPathToFile").SetAsString(cart);
            list.Post();
        }
        rackFile = (folder.Path() / "station.rck").string();
        list.SaveToFile(rackFile);
        list.Close();
        Table& rackList = data->cdsRackList;
        rackList.Tag = TdmQelData::RackListFileSupplied;
        rackList.Append();
        rackList.FieldByName("FileList").SetAsString(rackFile);
        rackList.FieldByName("Description").SetAsString("Station Imaging");
        rackList.Post();
        rackList.Tag = 0;
    }
    QString Cell(int row, int column) {
        return console->AudioRack().Grid().model()->index(row, column).data().toString();
    }
    std::vector<std::string> carts;
    std::string rackFile;
};

TEST(RackWindow, TheRackPageShowsTheLoadedRackAndADigitTypedAnywhereFiresItsCart) {
    RackWindow w;
    w.console->Core().LoadRack(w.rackFile);
    AudioRackPage& page = w.console->AudioRack();
    EXPECT_EQ(w.Cell(0, 0), "0");
    EXPECT_EQ(w.Cell(0, 1), "ident.wav");
    EXPECT_EQ(w.Cell(2, 1), "bed.wav");
    EXPECT_EQ(w.Cell(4, 2), "9");
    EXPECT_EQ(w.Cell(4, 3), "");
    EXPECT_FALSE(page.RackUp().isEnabled());
    EXPECT_FALSE(page.RackDown().isEnabled());

    w.console->show();
    QLineEdit& filter = w.console->ScheduleFilter();
    filter.setFocus();
    QApplication::processEvents();
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
    QApplication::sendEvent(&filter, &typed);
    // The cart plays at once, off air on its own, and the box got the digit too.
    EXPECT_EQ(filter.text(), "1");
    PlayoutEngine& playout = w.console->Playout();
    EXPECT_EQ(playout.Deck(1).FileName(), w.carts[1]);
    EXPECT_TRUE(playout.DirectJinglePlayout());
    w.studio.studio.Run(500);
    EXPECT_TRUE(playout.OutputPlaying());
    EXPECT_GT(
        w.device.Played().RmsLevel({w.device.Played().OriginMs() + 50, w.device.Played().OriginMs() + 450}),
        0.05);
    // Beyond the rack's length a digit fires nothing.
    playout.Deck(1).SetFileName("");
    QKeyEvent beyond(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, "5");
    QApplication::sendEvent(&filter, &beyond);
    EXPECT_EQ(playout.Deck(1).FileName(), "");
}

// A fired cart is lit on the rack with its time left until its end is heard.
TEST(RackWindow, AFiredCartIsLitWithItsTimeLeftUntilItEnds) {
    RackWindow w;
    w.console->Core().LoadRack(w.rackFile);
    AudioRackPage& page = w.console->AudioRack();
    QTableView& grid = page.Grid();
    w.console->show();
    w.console->findChild<QTabWidget*>("ControlCenter")->setCurrentWidget(page.Grid().parentWidget());
    QApplication::processEvents();
    const QModelIndex name = grid.model()->index(1, 1);
    const auto pixel = [&](const QModelIndex& index) {
        return grid.viewport()->grab().toImage().pixelColor(grid.visualRect(index).topLeft() + QPoint(3, 3));
    };
    const QColor unlit = pixel(name);

    QKeyEvent typed(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
    QApplication::sendEvent(&grid, &typed);
    ASSERT_TRUE(page.LitCart());
    EXPECT_EQ(page.LitCart()->cart, 1);
    EXPECT_EQ(page.CellText(name), "sweeper.wav  0:01");
    EXPECT_EQ(page.CellText(grid.model()->index(0, 1)), "ident.wav");
    EXPECT_EQ(pixel(name), QColor(0x00, 0xC0, 0x00));
    EXPECT_EQ(pixel(grid.model()->index(1, 0)), QColor(0x00, 0xC0, 0x00)) << "its number too";

    w.studio.studio.Run(600);
    EXPECT_TRUE(page.LitCart()) << "still sounding";
    w.studio.studio.Run(1500);
    EXPECT_FALSE(page.LitCart());
    EXPECT_EQ(page.CellText(name), "sweeper.wav");
    EXPECT_EQ(pixel(name), unlit);
}

// The rack named in the settings is loaded as the console starts.
TEST(RackWindow, StartUpLoadsTheRackOfTheSettings) {
    std::string rackFile;
    Window w([&](const TempFolder& folder) {
        const std::string cart = (folder.Path() / "ident.WAV").string();
        test::WriteWave16(cart, 44100, 2, std::vector<int16_t>(4410 * 2, 3000));
        Table list("cdsFileList", FileListFields());
        list.CreateDataSet();
        list.Append();
        list.FieldByName("LocalPathToFile").SetAsString(cart);
        list.Post();
        rackFile = (folder.Path() / "Start.RCK").string();
        list.SaveToFile(rackFile);
        WriteText(folder.Path() / SettingsFileName,
                  "[Corvane_AudioRack]\nAudioRackPlayList=" + rackFile + "\n");
    });
    EXPECT_EQ(w.console->AudioRack().Rack().RackFiles().size(), 1u);
    EXPECT_EQ(w.console->Core().CurrentRackFile(), rackFile);
    EXPECT_EQ(w.console->findChild<QLabel*>("pnlCartRackLabel")->text(), "Cart Rack - DEFAULT");
    EXPECT_EQ(w.console->AudioRack().Grid().model()->index(0, 1).data().toString(), "ident.WAV");
}

TEST(RackWindow, RackManagerClosingReloadsTheCurrentRack) {
    RackWindow w;
    w.console->Core().LoadRack(w.rackFile);
    ASSERT_TRUE(w.Command("actRackManager")->isEnabled());
    // The operator opens the rack, adds a fourth cart, saves it over itself and closes.
    const std::string extra = (w.folder.Path() / "promo.wav").string();
    test::WriteWave16(extra, 44100, 2, std::vector<int16_t>(4410 * 2, 3000));
    w.studio.fileDialogs.Choose({w.rackFile});
    w.studio.fileDialogs.Choose({extra});
    w.studio.fileDialogs.Choose({w.rackFile});
    QTimer::singleShot(0, [] {
        QWidget* manager = QApplication::activeModalWidget();
        ASSERT_NE(manager, nullptr);
        for (const char* command : {"btnOpen", "btnAddSong", "btnSave", "actClose"})
            manager->findChild<QAction*>(command)->trigger();
    });
    w.Command("actRackManager")->trigger();
    EXPECT_EQ(w.console->AudioRack().Rack().RackFiles().size(), 4u);
    EXPECT_EQ(w.Cell(3, 1), "promo.wav");
}

TEST(RackWindow, EventsPageListsEventsAndOneFallsDueWhileAModalWindowIsOpen) {
    RackWindow w;
    EventsPage& page = w.console->Events();
    ASSERT_TRUE(page.Command("actRunScheduledEvents")->isChecked());
    // A new event from the popup, applied as the editor proposes it.
    QTimer::singleShot(0, [] {
        QWidget* editor = QApplication::activeModalWidget();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->windowTitle(), "Corvane Wizard -  Event Scheduling");
        editor->findChild<QComboBox*>("cbEventType")->setCurrentText("Pause");
        // Three seconds after the studio's start rather than the proposed five minutes.
        editor->findChild<QDateTimeEdit*>("edtDate")->setDateTime(
            QDateTime(QDate(2026, 1, 5), QTime(9, 0, 3)));
        static_cast<QDialog*>(editor)->accept();
    });
    page.Command("actNewEvent")->trigger();
    QAbstractItemModel& grid = *page.Grid().model();
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), "Time");
    EXPECT_EQ(grid.index(0, 2).data().toString(), "Pause");
    EXPECT_EQ(grid.index(0, 4).data().toString(), "Queued");

    // On air, then a modal window stays open past the event's time.
    const std::string music = (w.folder.Path() / "music.wav").string();
    test::WriteWave16(music, 44100, 2, std::vector<int16_t>(44100 * 2 * 20, 3000));
    Table& s = w.data->cdsSchedule;
    s.Append();
    s.FieldByName("LocalPathToFile").SetAsString(music);
    s.Post();
    w.Command("StartBroadcast")->trigger();
    w.studio.studio.Run(1000);
    ASSERT_TRUE(w.console->Playout().OnAir());
    QDialog modal(w.console.get());
    QTimer::singleShot(0, [&] {
        w.studio.studio.Run(4000);
        modal.accept();
    });
    modal.exec();
    EXPECT_TRUE(w.console->Playout().OutputPaused());
    Table& events = w.data->EventLog;
    EXPECT_EQ(events.Lookup("EventType", std::string("Pause"), "EventStatus"),
              Value(std::string("Completed")));
    const auto& lines = w.console->Playout().Memo1.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Pause Broadcast"), lines.end());
    // Nothing is left to wait for: processing switched itself off.
    EXPECT_FALSE(page.Command("actRunScheduledEvents")->isChecked());
}

// With CORVANE_SCREENSHOT_DIR set (run under Xvfb for the real style) the
// Audio Rack and Events pages are saved there.
TEST(RackWindow, Screenshots) {
    const QByteArray folder = qgetenv("CORVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "CORVANE_SCREENSHOT_DIR not set";
    RackWindow w;
    w.console->Core().LoadRack(w.rackFile);
    w.console->findChild<QLabel*>("pnlCartRackLabel")->setText("Station Imaging");
    Table& events = w.data->EventLog;
    const struct {
        double minutes;
        const char* type;
        const char* description;
    } rows[] = {{5, "Start", "Breakfast show starts"},
                {65, "Delayed Pause", "News at the top of the hour"},
                {180, "Stop", "Hand over to the network feed"}};
    for (const auto& row : rows) {
        events.Append();
        events.FieldByName("EventStart").SetAsDateTime(w.studio.studio.Now() + row.minutes / 1440.0);
        events.FieldByName("EventType").SetAsString(row.type);
        events.FieldByName("EventDescription").SetAsString(row.description);
        events.Post();
    }
    w.studio.studio.Run(1000);
    w.console->resize(900, 640);
    w.console->show();
    for (const auto& [index, name] :
         {std::pair{1, "/console-audio-rack.png"}, std::pair{3, "/console-events.png"}}) {
        w.console->ControlCenter().setCurrentIndex(index);
        QApplication::processEvents();
        w.console->grab().save(QString::fromUtf8(folder) + name);
    }
}

} // namespace
} // namespace corvane::testing
