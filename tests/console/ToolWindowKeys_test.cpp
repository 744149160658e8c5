// The console's keys while another window of the console has the keyboard:
// each tool window and dialog keeps what is typed into it, and nothing reaches
// playout, the console's commands or the cart wall. Keys go through Qt's whole
// key path (shortcut override, shortcut map, then the focused control), as
// typed keys do.
#include "ConsoleWindow.h"
#include "WhenShown.h"
#include "audio/decks/DeckFixtures.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsolePlayLists.h"
#include "events/ui/EventsPage.h"
#include "library/ui/TfrmQelFileImport.h"
#include "library/ui/TfrmQelTitleDetail.h"
#include "playlists/ui/TfrmQelPlayList.h"
#include "playout/PlayoutEngine.h"
#include "rack/ui/AudioRackPage.h"
#include "settings/CorvaneSettings.h"
#include "studio/VirtualWaveInDevice.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// The keys the console acts on: transport, fades, the break keys, the carts.
const Key ConsoleKeys[] = {
    {Qt::Key_Return},
    {Qt::Key_Enter},
    {Qt::Key_Space},
    {Qt::Key_F3},
    {Qt::Key_F4},
    {Qt::Key_F5},
    {Qt::Key_F6},
    {Qt::Key_F8},
    {Qt::Key_F9},
    {Qt::Key_F5, Qt::ControlModifier},
    {Qt::Key_F6, Qt::ControlModifier},
    {Qt::Key_F7, Qt::ControlModifier},
    {Qt::Key_F8, Qt::ControlModifier},
    {Qt::Key_F9, Qt::ControlModifier},
    {Qt::Key_0},
    {Qt::Key_1},
    {Qt::Key_5},
    {Qt::Key_9},
};

// The console on air with the first of two 20 s rows, the cursor on the
// second (so Return, Space and F9 would each start it), and a rack of carts.
struct KeysWindow : Window {
    KeysWindow()
        : Window([](const TempFolder& folder) {
              // A station past its first run (no welcome wizard over the
              // console) that previews in its own window.
              WriteText(folder.Path() / SettingsFileName,
                        "[Corvane_General]\nWelcomeDone=1\n[Corvane_Audio]\nExternalAudioPreviewer=0\n");
          }) {
        station->UseRecordingInput(input);
        std::vector<std::string> carts;
        for (const char* name : {"a.wav", "b.wav", "ident.wav"}) {
            const std::string path = (folder.Path() / name).string();
            test::WriteWave16(path, 44100, 2, std::vector<int16_t>(44100 * 2 * 20, 3000));
            files.push_back(path);
        }
        Table& s = data->cdsSchedule;
        for (int row = 0; row < 2; ++row) {
            s.Append();
            s.FieldByName("TitleName").SetAsString(std::filesystem::path(files[row]).filename().string());
            s.FieldByName("LocalPathToFile").SetAsString(files[row]);
            s.Post();
        }
        Table& list = data->cdsFileList;
        list.CreateDataSet();
        for (int cart = 0; cart < 10; ++cart) {
            list.Append();
            list.FieldByName("LocalPathToFile").SetAsString(files[2]);
            list.Post();
        }
        const std::string rack = (folder.Path() / "carts.rck").string();
        list.SaveToFile(rack);
        list.Close();
        console->Core().LoadRack(rack);
        console->show();
        QApplication::processEvents();
    }

    void GoOnAirWithCursorOnTheSecondRow() {
        data->cdsSchedule.First();
        console->Playout().StartBroadcast();
        studio.studio.Run(500);
        ASSERT_TRUE(console->Playout().OnAir());
        console->ScheduleGrid().setCurrentIndex(console->ScheduleGrid().model()->index(1, 0));
        QApplication::processEvents();
    }

    // What the console's keys could change; compared before and after.
    std::string State() {
        PlayoutEngine& p = console->Playout();
        return "on air " + std::to_string(p.OnAir()) + ", item " + std::to_string(p.CurrentItem()) +
               ", playing " + std::to_string(p.OutputPlaying()) + ", paused " +
               std::to_string(p.OutputPaused()) + ", delayed pause " + std::to_string(p.DelayedPause()) +
               ", fading to stop " + std::to_string(p.FadingToStop()) + ", break " +
               std::to_string(p.CommercialBreak()) + ", cart '" + p.Deck(1).FileName() + "', next port " +
               std::to_string(p.NextPort());
    }

    // Records every console command that fires and every press of the
    // "F8: Next Commercial" button.
    void WatchCommands() {
        for (const QString& name : console->Commands().Names())
            QObject::connect(Command(name.toLatin1().constData()), &QAction::triggered, console.get(),
                             [this, name] { fired.push_back(name.toStdString()); });
        QObject::connect(console->findChild<QToolButton*>("btnTripCommercial"), &QToolButton::clicked,
                         console.get(), [this] { fired.push_back("btnTripCommercial"); });
    }

    VirtualWaveInDevice input{studio.studio};
    std::vector<std::string> files;
    std::vector<std::string> fired;
};

// Types each console key into `window`'s focused control, as long as the
// window stays open (a dialog's own Return may close it).
void TypeConsoleKeys(QWidget* window) {
    QPointer<QWidget> open(window);
    for (const Key& k : ConsoleKeys) {
        if (!open || !open->isVisible())
            return;
        QWidget* focus = QApplication::focusWidget();
        QWidget* target = focus && focus->window() == open ? focus : open.data();
        QTest::keyClick(target, k.key, k.modifiers);
    }
}

struct ToolWindowCase {
    const char* name;
    // Shows a window that stays open (a tool window) and returns it; or
    // nullptr after running a modal dialog to its end.
    std::function<QWidget*(KeysWindow&)> open;
    bool onAir = true;
};

void PrintTo(const ToolWindowCase& c, std::ostream* out) {
    *out << c.name;
}

QWidget* Modal(const std::function<void()>& run) {
    static bool seen;
    seen = false;
    WhenShown<QWidget>([](QWidget& dialog) {
        seen = true;
        TypeConsoleKeys(&dialog);
        if (QWidget* still = QApplication::activeModalWidget())
            still->close();
    });
    run();
    // The watcher deleted itself later from inside the dialog's loop; that
    // loop is over, so let the deletion happen before the test ends.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(seen) << "the window never came up as a modal one";
    return nullptr;
}

const ToolWindowCase ToolWindows[] = {
    {"commercials editor",
     [](KeysWindow& w) -> QWidget* {
         w.console->OpenCommercialsEditor("");
         return w.console->CommercialsEditor();
     }},
    {"library manager",
     [](KeysWindow& w) -> QWidget* {
         return &w.console->OpenAudioLibrary(TfrmQeLiteMain::LibraryOpening::Plain);
     }},
    {"title details",
     [](KeysWindow& w) -> QWidget* {
         QWidget& library = w.console->OpenAudioLibrary(TfrmQeLiteMain::LibraryOpening::Plain);
         w.console->Tools().ShowTitleDetails(library);
         return library.findChild<TfrmQelTitleDetail*>();
     }},
    {"audio logging",
     [](KeysWindow& w) -> QWidget* {
         w.console->OpenAudioLogging();
         return w.console->AudioLogging();
     }},
    // Only off air: the playlist manager does not open on air.
    {"playlist manager",
     [](KeysWindow& w) {
         return Modal([&] { w.console->PlayLists().OpenPlayListManager(GenerateOnOpen::No); });
     },
     false},
    {"rack manager", [](KeysWindow& w) { return Modal([&] { w.console->AudioRack().ShowRackManager(); }); }},
    {"event editor",
     [](KeysWindow& w) { return Modal([&] { w.console->Events().Command("actNewEvent")->trigger(); }); }},
    // Off air: the virtual studio's one output is playout's while on air, so
    // the previewer could not open it.
    {"previewer",
     [](KeysWindow& w) {
         return Modal([&] { w.console->Tools().PreviewAudio(w.files[2], PreviewMode::Play); });
     },
     false},
    {"properties", [](KeysWindow& w) { return Modal([&] { w.console->ShowProperties(); }); }},
    {"wizard", [](KeysWindow& w) { return Modal([&] { w.console->Dialogs().ShowWizard(); }); }},
    {"parameter browser",
     [](KeysWindow& w) { return Modal([&] { w.console->Tools().BrowseParameters(w.data->cdsAdTimes); }); }},
    // Only off air: the sound configuration does not open on air.
    {"sound configuration",
     [](KeysWindow& w) { return Modal([&] { w.console->Dialogs().ShowSoundConfiguration(); }); }, false},
};

class ToolWindowKeys : public ::testing::TestWithParam<ToolWindowCase> {};

TEST_P(ToolWindowKeys, TheConsolesKeysTypedIntoTheWindowStayThere) {
    KeysWindow w;
    if (GetParam().onAir)
        w.GoOnAirWithCursorOnTheSecondRow();
    const std::string before = w.State();
    w.WatchCommands();
    if (QWidget* window = GetParam().open(w)) {
        // The window has the keyboard, as it has after the operator clicks into it.
        window->activateWindow();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), window);
        TypeConsoleKeys(window);
        window->close();
    }
    QApplication::processEvents();
    w.studio.studio.Run(100);
    EXPECT_EQ(w.State(), before) << GetParam().name;
    EXPECT_TRUE(w.fired.empty()) << GetParam().name << ": " << w.fired.front();
}

INSTANTIATE_TEST_SUITE_P(Windows, ToolWindowKeys, ::testing::ValuesIn(ToolWindows),
                         [](const ::testing::TestParamInfo<ToolWindowCase>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (*c != ' ')
                                     name += *c;
                             return name;
                         });

// The same keys typed into the console itself still act: the schedule grid
// has the keyboard and Return plays the row under the cursor.
TEST(ToolWindowKeys, TheConsoleStillAnswersItsOwnKeys) {
    KeysWindow w;
    w.GoOnAirWithCursorOnTheSecondRow();
    w.console->activateWindow();
    w.console->ScheduleGrid().setFocus();
    QApplication::processEvents();
    QTest::keyClick(&w.console->ScheduleGrid(), Qt::Key_Return);
    w.studio.studio.Run(100);
    EXPECT_EQ(w.console->Playout().CurrentItem(),
              w.data->cdsSchedule.FieldByName("ItemPlayOrder").AsInteger());
    QTest::keyClick(&w.console->ScheduleGrid(), Qt::Key_1);
    EXPECT_EQ(w.console->Playout().Deck(1).FileName(), w.files[2]);
}

} // namespace
} // namespace corvane::testing
