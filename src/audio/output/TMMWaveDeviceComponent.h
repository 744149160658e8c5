#pragma once

#include "audio/chain/MMStrings.h"
#include "audio/chain/TMMCustomSoundComponent.h"
#include "audio/chain/TMMTimeFormats.h"
#include "audio/output/MMTypes.h"

#include <algorithm>
#include <string>

namespace corvane {

// What the wave output and the wave input share as drivers of a chain on a
// sound device: their events, the buffer and device properties, which may
// not change while the device is open ("Change to property while device was
// open"), and the chain's notifications, which run their own operations.
// `Device` is the component itself: its Open … Stop, its Error (fires
// OnError, then throws) and its State().open.
template <typename Device> class TMMWaveDeviceComponent : public TMMCustomSoundComponent {
public:
    static constexpr int MinBufferSize = 32;
    static constexpr int MaxNumBuffers = 500;

    TMMNotifyEvent OnError, OnOpen, OnStart, OnPause, OnRestart, OnStop, OnClose;

    // At least MinBufferSize.
    void SetBufferSize(int value) override {
        CheckClosedForChange();
        TMMCustomSoundComponent::SetBufferSize(std::max(value, MinBufferSize));
    }
    // Values below 2 are ignored, values above 500 limited.
    void SetNumBuffers(int value) {
        CheckClosedForChange();
        if (value < 2)
            return;
        numBuffers_ = std::min(value, MaxNumBuffers);
    }
    int NumBuffers() const { return numBuffers_; }
    int DeviceID() const { return deviceId_; }
    TMMTimeFormats TimeFormat() const { return timeFormat_; }

    // The chain's notifications, as when another sound component drives this one.
    void Opened() override { Self().Open(); }
    void Closed() override { Self().Close(); }
    void Started() override { Self().Start(); }
    void Paused() override { Self().Pause(); }
    void Restarted() override { Self().Restart(); }
    void Stopped() override { Self().Stop(); }

protected:
    using TMMCustomSoundComponent::TMMCustomSoundComponent;

    void CheckClosedForChange() {
        if (Self().State().open)
            Self().Error(LoadMMString(MMString::ChangeWhileOpen));
    }
    void Fire(const TMMNotifyEvent& event) {
        if (event)
            event(this);
    }

    int numBuffers_ = 10;
    int deviceId_ = 0;
    TMMTimeFormats timeFormat_ = TMMTimeFormats::tfByte;

private:
    Device& Self() { return static_cast<Device&>(*this); }
};

} // namespace corvane
