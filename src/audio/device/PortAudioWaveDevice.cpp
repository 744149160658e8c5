#include "audio/device/PortAudioWaveDevice.h"

#include "audio/device/PortAudioWaveStream.h"

namespace corvane {

PortAudioWaveDevice::PortAudioWaveDevice(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

std::unique_ptr<WaveDeviceStream> PortAudioWaveDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                            WaveDeviceDone onDone) {
    return std::make_unique<PortAudioWaveStream>(devices_.OpenStream(deviceId, format), format, dispatcher_,
                                                 std::move(onDone));
}

} // namespace corvane
