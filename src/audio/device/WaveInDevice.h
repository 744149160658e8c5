#pragma once

#include "audio/device/WaveDevice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

// The standard formats an input device declares it can record: one bit per
// rate class (11.025, 22.05, 44.1 kHz), channels and width, as the sound
// system numbers them (class 1: bits 0..3, class 2: bits 4..7, class 4: bits
// 8..11; in each class mono 8-bit, stereo 8-bit, mono 16-bit, stereo 16-bit).
inline constexpr uint32_t WAVE_FORMAT_1M08 = 0x001;
inline constexpr uint32_t WAVE_FORMAT_1S08 = 0x002;
inline constexpr uint32_t WAVE_FORMAT_1M16 = 0x004;
inline constexpr uint32_t WAVE_FORMAT_1S16 = 0x008;
inline constexpr uint32_t WAVE_FORMAT_2M08 = 0x010;
inline constexpr uint32_t WAVE_FORMAT_2S08 = 0x020;
inline constexpr uint32_t WAVE_FORMAT_2M16 = 0x040;
inline constexpr uint32_t WAVE_FORMAT_2S16 = 0x080;
inline constexpr uint32_t WAVE_FORMAT_4M08 = 0x100;
inline constexpr uint32_t WAVE_FORMAT_4S08 = 0x200;
inline constexpr uint32_t WAVE_FORMAT_4M16 = 0x400;
inline constexpr uint32_t WAVE_FORMAT_4S16 = 0x800;
inline constexpr uint32_t AllStandardWaveInFormats = 0xFFF;

// The standard format bit of a PCM format whose rate lies in 8000..48000 and
// whose width and channels are 8/16 and 1/2; 0 for any other format.
uint32_t StandardFormatBit(const WaveDeviceFormat& format);

// One buffer handed to an input stream to be filled. The caller owns it and
// its data, and keeps both alive until the buffer comes back.
struct WaveInBuffer {
    uint8_t* data = nullptr;
    uint32_t bytes = 0;    // room, whole frames
    uint32_t recorded = 0; // bytes filled so far; set by the device
    int tag = 0;           // the owner's own mark; the device leaves it alone
};

// Called once per buffer the device has filled (or, at Stop, finished with
// what it holds), in queue order, on the device's own thread: a worker of
// the PortAudio device, the studio's thread for the virtual one. It must not
// call back into the stream. Never called for the buffers Reset returns,
// nor after Reset or Close returned.
using WaveInDone = std::function<void(WaveInBuffer& buffer)>;

// An open input. Every operation is called on the main thread and throws
// WaveDeviceError when the device fails.
class WaveInStream {
public:
    virtual ~WaveInStream() = default;

    virtual const WaveDeviceFormat& Format() const = 0;
    // Appends an empty buffer to the recording queue.
    virtual void AddBuffer(WaveInBuffer& buffer) = 0;
    // Starts (or continues) recording into the queued buffers. Frames that
    // arrive while no buffer is queued are lost.
    virtual void Start() = 0;
    // Stops recording. The buffer being filled comes back through WaveInDone
    // with what it holds before Stop returns; empty buffers stay queued.
    virtual void Stop() = 0;
    // Stops recording and hands back every queued buffer, in queue order;
    // the position starts again from 0.
    virtual std::vector<WaveInBuffer*> Reset() = 0;
    // Frames recorded since the stream was opened or last reset.
    virtual uint64_t PositionSamples() const = 0;
    // Ends recording, drops the queue without notifications and releases
    // the device. Further calls other than Close are not allowed.
    virtual void Close() = 0;
};

// A kind of input device: lists its devices and opens streams on them.
// Device ids run from 0 to DeviceCount() - 1; WaveMapperId is the default
// input and is valid whenever any device exists. Main thread.
class WaveInDevice {
public:
    virtual ~WaveInDevice() = default;

    virtual int DeviceCount() const = 0;
    // The name of a device; throws WaveDeviceError for an unknown id.
    virtual std::string ProductName(int deviceId) const = 0;
    // The standard formats the device declares (WAVE_FORMAT_* bits); throws
    // WaveDeviceError for an unknown id.
    virtual uint32_t StandardFormats(int deviceId) const = 0;
    // The query-only open: whether the device would record in the format.
    virtual bool CanRecord(int deviceId, const WaveDeviceFormat& format) const = 0;
    // Opens the device in the format, not yet recording. Returns once open.
    virtual std::unique_ptr<WaveInStream> Open(int deviceId, const WaveDeviceFormat& format,
                                               WaveInDone onDone) = 0;
};

} // namespace corvane
