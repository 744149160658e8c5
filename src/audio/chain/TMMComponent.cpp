#include "audio/chain/TMMComponent.h"

namespace corvane {

void TMMComponent::EndLoading() {
    if (!Loading())
        return;
    Set(ComponentState::Loading, false);
    Loaded();
}

void TMMComponent::Set(ComponentState s, bool on) {
    if (on)
        state_ |= static_cast<unsigned>(s);
    else
        state_ &= ~static_cast<unsigned>(s);
}

} // namespace corvane
