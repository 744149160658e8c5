#pragma once

#include "audio/chain/TMMDSPComponent.h"

#include <functional>

namespace corvane {

// The driver of a chain (the wave output, the wave input): its state changes
// are spread to the components around it. Upward from the driver to the top
// of the chain, cut at another sound component (the part above belongs to
// that one); then downward from there, every component that is not a sound
// component gets the change, the driver itself is skipped, and the first
// sound component below the driver gets it last and ends the walk. Opening
// first hands every component the driver's buffer size. Closing and stopping
// tell the sound component below first. Thread of the driver's buffer
// processing (the main thread in this program).
class TMMCustomSoundComponent : public TMMDSPComponent {
public:
    using TMMDSPComponent::TMMDSPComponent;

    void Opened() override;
    void Closed() override;
    void Started() override;
    void Paused() override;
    void Restarted() override;
    void Stopped() override;
    void Reset() override;

    // Set by Opened when another sound component was found upstream: this
    // driver is itself driven and opens only what lies below it.
    bool Driven() const { return driven_; }

private:
    using Operation = std::function<void(TMMDSPComponent&)>;
    // The first component of the walk; `foundDriver` tells whether the upward
    // walk met another sound component.
    TMMDSPComponent* WalkStart(bool& foundDriver) const;
    TMMDSPComponent* NextSoundBelow() const;
    // Steps 1 and 2: the walk from the top, skipping this driver, ending at
    // (and including, unless `skipLast`) the next sound component below.
    void Walk(const Operation& op, TMMDSPComponent* skipLast);
    // Closing and stopping: the sound component below first, then the rest.
    void WalkBelowFirst(const Operation& op);

    bool driven_ = false;
};

bool IsSoundComponent(const TMMDSPComponent* component);

} // namespace corvane
