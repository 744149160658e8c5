#include "audio/chain/TMMCustomSoundComponent.h"

namespace corvane {

bool IsSoundComponent(const TMMDSPComponent* component) {
    return dynamic_cast<const TMMCustomSoundComponent*>(component) != nullptr;
}

TMMDSPComponent* TMMCustomSoundComponent::WalkStart(bool& foundDriver) const {
    foundDriver = false;
    const TMMDSPComponent* top = this;
    for (TMMDSPComponent* c = Input(); c != nullptr; c = c->Input()) {
        if (IsSoundComponent(c)) {
            foundDriver = true;
            return const_cast<TMMCustomSoundComponent*>(this);
        }
        top = c;
    }
    return const_cast<TMMDSPComponent*>(top);
}

TMMDSPComponent* TMMCustomSoundComponent::NextSoundBelow() const {
    for (TMMDSPComponent* c = Output(); c != nullptr; c = c->Output())
        if (IsSoundComponent(c))
            return c;
    return nullptr;
}

void TMMCustomSoundComponent::Walk(const Operation& op, TMMDSPComponent* skipLast) {
    bool foundDriver = false;
    for (TMMDSPComponent* c = WalkStart(foundDriver); c != nullptr; c = c->Output()) {
        if (c == this)
            continue;
        if (IsSoundComponent(c)) {
            if (c != skipLast)
                op(*c);
            break;
        }
        op(*c);
    }
}

void TMMCustomSoundComponent::WalkBelowFirst(const Operation& op) {
    TMMDSPComponent* below = NextSoundBelow();
    if (below != nullptr)
        op(*below);
    Walk(op, below);
}

void TMMCustomSoundComponent::Opened() {
    bool foundDriver = false;
    WalkStart(foundDriver);
    driven_ = foundDriver;
    const int size = GetBufferSize();
    Walk(
        [size](TMMDSPComponent& c) {
            c.SetBufferSize(size);
            c.Opened();
        },
        nullptr);
    TMMDSPComponent::Opened();
}

void TMMCustomSoundComponent::Started() {
    Walk([](TMMDSPComponent& c) { c.Started(); }, nullptr);
    TMMDSPComponent::Started();
}

void TMMCustomSoundComponent::Paused() {
    Walk([](TMMDSPComponent& c) { c.Paused(); }, nullptr);
    TMMDSPComponent::Paused();
}

void TMMCustomSoundComponent::Restarted() {
    Walk([](TMMDSPComponent& c) { c.Restarted(); }, nullptr);
    TMMDSPComponent::Restarted();
}

void TMMCustomSoundComponent::Reset() {
    Walk([](TMMDSPComponent& c) { c.Reset(); }, nullptr);
    TMMDSPComponent::Reset();
}

void TMMCustomSoundComponent::Closed() {
    WalkBelowFirst([](TMMDSPComponent& c) { c.Closed(); });
    TMMDSPComponent::Closed();
}

void TMMCustomSoundComponent::Stopped() {
    WalkBelowFirst([](TMMDSPComponent& c) { c.Stopped(); });
    TMMDSPComponent::Stopped();
}

} // namespace corvane
