#include "audio/device/PortAudioWaveInDevice.h"

#include "audio/device/PortAudioWaveInStream.h"

namespace corvane {

uint32_t PortAudioWaveInDevice::StandardFormats(int deviceId) const {
    devices_.PortAudioIndex(deviceId); // unknown ids fail here
    static constexpr uint32_t Rates[] = {11025, 22050, 44100};
    uint32_t bits = 0;
    for (const uint32_t rate : Rates)
        for (const uint16_t width : {uint16_t{8}, uint16_t{16}})
            for (const uint16_t channels : {uint16_t{1}, uint16_t{2}}) {
                const WaveDeviceFormat f{1, channels, rate, width};
                if (CanRecord(deviceId, f))
                    bits |= StandardFormatBit(f);
            }
    return bits;
}

std::unique_ptr<WaveInStream> PortAudioWaveInDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                          WaveInDone onDone) {
    return std::make_unique<PortAudioWaveInStream>(devices_.OpenStream(deviceId, format), format,
                                                   std::move(onDone));
}

} // namespace corvane
