#include "tools/ConsoleLock.h"

namespace corvane {

bool ConsoleLock::KeyPressed(const LockKeyPress& key) {
    const bool exactlyCtrlAlt = key.ctrl && key.alt && !key.shift && !key.meta;
    const bool exactlyCtrlShift = key.ctrl && key.shift && !key.alt && !key.meta;
    if (!locked_ || !key.f9 || !(exactlyCtrlAlt || exactlyCtrlShift))
        return false;
    locked_ = false;
    return true;
}

} // namespace corvane
