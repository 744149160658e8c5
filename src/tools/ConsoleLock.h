#pragma once

namespace corvane {

// A key press as the console lock sees it: whether it was F9, and which
// modifiers were held.
struct LockKeyPress {
    bool f9 = false;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    bool meta = false;
};

// The console lock: while locked nothing may close the lock window, and the
// key that unlocks is F9 with exactly Ctrl and Alt held, or with exactly Ctrl
// and Shift: X's default keymap (also Xvfb's) makes Ctrl+Alt+F9 a switch to
// virtual terminal 9 that never reaches the program.
class ConsoleLock {
public:
    bool Locked() const { return locked_; }
    void Lock() { locked_ = true; }
    // Whether a request to close the lock window may go ahead.
    bool CloseAllowed() const { return !locked_; }
    // Unlocks on the unlock key; returns whether it did.
    bool KeyPressed(const LockKeyPress& key);

private:
    bool locked_ = false;
};

} // namespace corvane
