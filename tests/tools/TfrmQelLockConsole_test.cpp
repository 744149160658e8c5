#include "library/WidgetTestApplication.h"
#include "platform/qt/QtTimerFactory.h"
#include "tools/ui/TfrmQelLockConsole.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

void Press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(w, &press);
}

// Ctrl+Shift+F9 is the unlock key where X's keymap takes Ctrl+Alt+F9 for a
// switch of virtual terminals.
TEST(ConsoleLock, OnlyF9WithExactlyCtrlAndAltOrExactlyCtrlAndShiftUnlocks) {
    struct Case {
        LockKeyPress key;
        bool unlocks;
    };
    const std::vector<Case> cases = {
        {{true, true, true, false, false}, true},    {{true, true, true, true, false}, false},
        {{true, true, true, false, true}, false},    {{true, true, false, false, false}, false},
        {{true, false, true, false, false}, false},  {{false, true, true, false, false}, false},
        {{true, false, false, false, false}, false}, {{true, true, false, true, false}, true},
        {{true, false, false, true, false}, false},  {{true, true, false, true, true}, false},
        {{false, true, false, true, false}, false},
    };
    for (const Case& c : cases) {
        ConsoleLock lock;
        lock.Lock();
        EXPECT_FALSE(lock.CloseAllowed());
        EXPECT_EQ(lock.KeyPressed(c.key), c.unlocks);
        EXPECT_EQ(lock.Locked(), !c.unlocks);
        EXPECT_EQ(lock.CloseAllowed(), c.unlocks);
    }
}

// The lock shown modally: it refuses every close and every other key, a
// timer of the console goes on firing underneath, and Ctrl+Alt+F9 ends it.
TEST(TfrmQelLockConsole, RefusesToCloseWhileTimersRunUnderneathUntilCtrlAltF9) {
    QtTimerFactory timers;
    int ticks = 0;
    auto eventTimer = timers.CreateTimer("EventTimer", 20);
    eventTimer->SetOnTimer([&] { ++ticks; });
    eventTimer->SetEnabled(true);

    std::vector<bool> shownAfter;
    int ticksWhileLocked = 0;
    QString caption;
    std::function<void()> unlockWhenTicked;
    QTimer::singleShot(0, [&] {
        auto* lock = qobject_cast<TfrmQelLockConsole*>(QApplication::activeModalWidget());
        ASSERT_NE(lock, nullptr);
        caption = lock->windowTitle();
        lock->close();
        shownAfter.push_back(lock->isVisible());
        Press(lock, Qt::Key_Escape, Qt::NoModifier);
        shownAfter.push_back(lock->isVisible());
        Press(lock, Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        shownAfter.push_back(lock->isVisible());
        Press(lock, Qt::Key_F9, Qt::ControlModifier);
        shownAfter.push_back(lock->isVisible());
        unlockWhenTicked = [&, lock] {
            if (ticks < 3) {
                QTimer::singleShot(10, unlockWhenTicked);
                return;
            }
            ticksWhileLocked = ticks;
            Press(lock, Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier);
        };
        unlockWhenTicked();
    });
    TfrmQelLockConsole::LockConsole(nullptr);

    EXPECT_EQ(caption, "Console Locked");
    EXPECT_EQ(shownAfter, (std::vector<bool>{true, true, true, true}));
    EXPECT_GE(ticksWhileLocked, 3);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(TfrmQelLockConsole, ShowsItsTexts) {
    TfrmQelLockConsole lock;
    EXPECT_EQ(lock.findChild<QLabel*>("lblLocked")->text(), "The Vantor Corvane console has been locked.");
    EXPECT_EQ(lock.findChild<QLabel*>("lblUnlock")->text(), "(Press CTRL+ALT+F9  to unlock)");
    EXPECT_EQ(lock.findChild<QLabel*>("lblUnlockAlternative")->text(),
              "(or CTRL+SHIFT+F9 where CTRL+ALT+F9 switches the screen)");
    if (const char* folder = std::getenv("CORVANE_SCREENSHOTS")) {
        lock.show();
        lock.grab().save(QString(folder) + "/console-lock.png");
    }
}

} // namespace
} // namespace corvane
