#pragma once

#include "audio/device/PortAudioDevices.h"
#include "audio/device/WaveInDevice.h"

namespace corvane {

// The wave input on PortAudio's input devices (numbered as PortAudioDevices
// numbers them). A device declares the standard formats PortAudio says it
// can open. Main thread.
class PortAudioWaveInDevice final : public WaveInDevice {
public:
    int DeviceCount() const override { return devices_.Count(); }
    std::string ProductName(int deviceId) const override { return devices_.ProductName(deviceId); }
    uint32_t StandardFormats(int deviceId) const override;
    bool CanRecord(int deviceId, const WaveDeviceFormat& format) const override {
        return devices_.Supports(deviceId, format);
    }
    std::unique_ptr<WaveInStream> Open(int deviceId, const WaveDeviceFormat& format,
                                       WaveInDone onDone) override;

private:
    PortAudioDevices devices_{PortAudioDirection::Input};
};

} // namespace corvane
