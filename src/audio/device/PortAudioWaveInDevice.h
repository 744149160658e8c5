#pragma once

#include "audio/device/WaveInDevice.h"

#include <vector>

namespace corvane {

// The wave input on PortAudio. WaveMapperId is PortAudio's default input;
// ids 0.. number PortAudio's devices that have input channels, in
// PortAudio's order. A device declares the standard formats PortAudio says
// it can open. Main thread.
class PortAudioWaveInDevice final : public WaveInDevice {
public:
    PortAudioWaveInDevice();
    ~PortAudioWaveInDevice() override;
    PortAudioWaveInDevice(const PortAudioWaveInDevice&) = delete;
    PortAudioWaveInDevice& operator=(const PortAudioWaveInDevice&) = delete;

    int DeviceCount() const override;
    std::string ProductName(int deviceId) const override;
    uint32_t StandardFormats(int deviceId) const override;
    bool CanRecord(int deviceId, const WaveDeviceFormat& format) const override;
    std::unique_ptr<WaveInStream> Open(int deviceId, const WaveDeviceFormat& format,
                                       WaveInDone onDone) override;

private:
    // PortAudio's device index for one of our ids; throws for an unknown id.
    int PortAudioIndex(int deviceId) const;

    bool initialized_ = false;
    std::vector<int> inputs_; // PortAudio indexes of the input devices
};

} // namespace corvane
