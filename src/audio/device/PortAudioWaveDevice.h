#pragma once

#include "audio/device/PortAudioDevices.h"
#include "audio/device/WaveDevice.h"
#include "platform/Dispatcher.h"

namespace corvane {

// The wave device on PortAudio's output devices (numbered as
// PortAudioDevices numbers them). Each open stream has its own thread that
// writes the queued buffers to a blocking PortAudio stream and posts every
// completion to the main thread through the Dispatcher; that thread never
// touches the audio chain. Main thread.
class PortAudioWaveDevice final : public WaveDevice {
public:
    explicit PortAudioWaveDevice(Dispatcher& dispatcher);

    int DeviceCount() const override { return devices_.Count(); }
    std::string ProductName(int deviceId) const override { return devices_.ProductName(deviceId); }
    bool CanPlay(int deviceId, const WaveDeviceFormat& format) const override {
        return devices_.Supports(deviceId, format);
    }
    std::unique_ptr<WaveDeviceStream> Open(int deviceId, const WaveDeviceFormat& format,
                                           WaveDeviceDone onDone) override;

private:
    Dispatcher& dispatcher_;
    PortAudioDevices devices_{PortAudioDirection::Output};
};

} // namespace corvane
