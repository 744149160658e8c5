#pragma once

#include "audio/device/WaveDevice.h"
#include "platform/Dispatcher.h"

#include <vector>

namespace corvane {

// The wave device on PortAudio. WaveMapperId is PortAudio's default output;
// ids 0.. number PortAudio's devices that have output channels, in
// PortAudio's order. Each open stream has its own thread that writes the
// queued buffers to a blocking PortAudio stream and posts every completion
// to the main thread through the Dispatcher; that thread never touches the
// audio chain. Main thread.
class PortAudioWaveDevice final : public WaveDevice {
public:
    explicit PortAudioWaveDevice(Dispatcher& dispatcher);
    ~PortAudioWaveDevice() override;
    PortAudioWaveDevice(const PortAudioWaveDevice&) = delete;
    PortAudioWaveDevice& operator=(const PortAudioWaveDevice&) = delete;

    int DeviceCount() const override;
    std::string ProductName(int deviceId) const override;
    bool CanPlay(int deviceId, const WaveDeviceFormat& format) const override;
    std::unique_ptr<WaveDeviceStream> Open(int deviceId, const WaveDeviceFormat& format,
                                           WaveDeviceDone onDone) override;

private:
    // PortAudio's device index for one of our ids; throws for an unknown id.
    int PortAudioIndex(int deviceId) const;

    Dispatcher& dispatcher_;
    bool initialized_ = false;
    std::vector<int> outputs_; // PortAudio indexes of the output devices
};

} // namespace corvane
