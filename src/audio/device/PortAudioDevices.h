#pragma once

#include "audio/device/WaveDevice.h"

#include <string>
#include <vector>

namespace corvane {

// Which of PortAudio's devices a wave device offers.
enum class PortAudioDirection { Output, Input };

// PortAudio's devices of one direction as a wave device numbers them:
// WaveMapperId is PortAudio's default device of the direction, ids 0..
// number the devices that have channels of the direction, in PortAudio's
// order. Keeps PortAudio initialized while it lives; without a working
// PortAudio there is simply no device (the wave output and input report
// that in their own words). Main thread.
class PortAudioDevices {
public:
    explicit PortAudioDevices(PortAudioDirection direction);
    ~PortAudioDevices();
    PortAudioDevices(const PortAudioDevices&) = delete;
    PortAudioDevices& operator=(const PortAudioDevices&) = delete;

    int Count() const { return static_cast<int>(indexes_.size()); }
    // PortAudio's device index for one of our ids; throws WaveDeviceError
    // for an id no device has.
    int PortAudioIndex(int deviceId) const;
    std::string ProductName(int deviceId) const;
    // Whether the device takes the format (8- or 16-bit PCM) in the direction.
    bool Supports(int deviceId, const WaveDeviceFormat& format) const;
    // A blocking PortAudio stream of the format, opened and not yet started;
    // throws WaveDeviceError with PortAudio's text.
    void* OpenStream(int deviceId, const WaveDeviceFormat& format) const;

private:
    PortAudioDirection direction_;
    bool initialized_ = false;
    std::vector<int> indexes_; // PortAudio indexes of the devices of the direction
};

} // namespace corvane
