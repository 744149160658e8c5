// The console's keys in a real X session with the X server's default keymap,
// typed with xdotool (XTEST) as an operator types them: run by
// tests/console/run-on-xvfb.sh, which starts its own Xvfb. There Ctrl+Alt+F9
// and Ctrl+Alt+F12 switch virtual terminals and never reach the program, so
// the console also answers Ctrl+Shift+F9 (unlock) and Ctrl+Shift+F12 (sound
// configuration); and keys typed into a tool window stay in that window.
#include "ConsoleWindow.h"
#include "EventsUntil.h"
#include "audio/decks/DeckFixtures.h"
#include "commercials/ui/TfrmQelCommercials.h"
#include "console/ui/TfrmQelConfigSound.h"
#include "playout/PlayoutEngine.h"
#include "settings/CorvaneSettings.h"
#include "tools/ui/TfrmQelLockConsole.h"

#include <QApplication>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// Types `keys` (xdotool's names) into whatever window has the X focus, without
// waiting: the keys arrive through the event loop like the operator's.
void Type(const QStringList& keys) {
    ASSERT_TRUE(QProcess::startDetached("xdotool", QStringList{"key", "--delay", "30"} + keys));
}

// Shows `window` and gives it the X focus, as a click into it does.
void Focus(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// The console off air with a schedule of one 20 s row, past its first run.
struct XConsole : Window {
    XConsole()
        : Window([](const TempFolder& folder) {
              WriteText(folder.Path() / SettingsFileName, "[Corvane_General]\nWelcomeDone=1\n");
          }) {
        song = (folder.Path() / "song.wav").string();
        test::WriteWave16(song, 44100, 2, std::vector<int16_t>(44100 * 2 * 20, 3000));
        Table& s = data->cdsSchedule;
        s.Append();
        s.FieldByName("TitleName").SetAsString("song.wav");
        s.FieldByName("LocalPathToFile").SetAsString(song);
        s.Post();
        s.First();
        Focus(*console);
        console->ScheduleGrid().setFocus();
    }
    std::string song;
};

TEST(XKeys, ReturnTypedIntoABreakTimeOfTheCommercialsEditorStaysThere) {
    XConsole c;
    c.console->OpenCommercialsEditor("");
    TfrmQelCommercials& editor = *c.console->CommercialsEditor();
    editor.Rules().AddCommercialItem(CommercialListEditor::TimePlaceholder, c.song);
    Focus(editor);
    QTreeWidget& grid = editor.Grid();
    QTreeWidgetItem* row =
        grid.topLevelItem(0)->childCount() ? grid.topLevelItem(0)->child(0) : grid.topLevelItem(0);
    grid.setCurrentItem(row, 1);
    grid.editItem(row, 1);
    Type({"1", "9", "3", "0", "Return"});
    EXPECT_TRUE(EventsUntil([&] { return editor.RowTexts().join(' ').contains("19:30"); }))
        << editor.RowTexts().join('|').toStdString();
    EXPECT_FALSE(c.console->Playout().OnAir());
    EXPECT_FALSE(c.console->Playout().OutputPlaying());
}

TEST(XKeys, CtrlShiftF9UnlocksTheLockedConsole) {
    XConsole c;
    bool unlockedByKey = false;
    QTimer::singleShot(0, [&] {
        auto* lock = qobject_cast<TfrmQelLockConsole*>(QApplication::activeModalWidget());
        ASSERT_NE(lock, nullptr);
        Focus(*lock);
        Type({"ctrl+shift+F9"});
        // A lock the key never reached is let go after the bound, as a failure.
        QTimer::singleShot(20000, lock, [lock] { lock->accept(); });
        QObject::connect(lock, &QDialog::accepted, lock, [&, lock] { unlockedByKey = !lock->Locked(); });
    });
    c.Command("actLockConsole")->trigger();
    EXPECT_TRUE(unlockedByKey);
}

TEST(XKeys, CtrlShiftF12OpensTheSoundConfigurationOffAir) {
    XConsole c;
    bool shown = false;
    auto* poll = new QTimer(c.console.get());
    QObject::connect(poll, &QTimer::timeout, poll, [&] {
        if (auto* dialog = qobject_cast<TfrmQelConfigSound*>(QApplication::activeModalWidget())) {
            shown = true;
            dialog->reject();
        }
    });
    poll->start(10);
    Type({"ctrl+shift+F12"});
    EXPECT_TRUE(EventsUntil([&] { return shown; }));
}

} // namespace
} // namespace corvane::testing
