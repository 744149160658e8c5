#include "tools/ConsoleLock.h"

namespace corvane {

bool ConsoleLock::KeyPressed(const LockKeyPress& key) {
    if (!locked_ || !key.f9 || !key.ctrl || !key.alt || key.shift || key.meta)
        return false;
    locked_ = false;
    return true;
}

} // namespace corvane
