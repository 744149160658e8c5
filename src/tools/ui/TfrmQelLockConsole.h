#pragma once

#include "tools/ConsoleLock.h"

#include <QDialog>

namespace corvane {

// The lock window: shown modally in front of the console, it takes every key
// press before anything else and refuses to close until F9 is pressed with
// exactly Ctrl and Alt held (or Ctrl and Shift, where X takes Ctrl+Alt+F9
// for a switch of virtual terminals). The console's timers, playout and events run on
// underneath, since the modal loop keeps serving them.
class TfrmQelLockConsole final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmQelLockConsole(QWidget* parent = nullptr);

    // "Loc&k Console": creates the lock window, shows it modally until it is
    // unlocked, and frees it (also when showing it fails).
    static void LockConsole(QWidget* console);

    bool Locked() const { return lock_.Locked(); }
    void Lock() { lock_.Lock(); }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape and the like: refused while locked, as any close.
    void reject() override;

private:
    ConsoleLock lock_;
};

} // namespace corvane
