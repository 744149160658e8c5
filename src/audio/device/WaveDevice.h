#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane {

// The device id that means "the system's default output", as the console's
// wave output stores it.
inline constexpr int WaveMapperId = -1;

// A PCM format as a wave device is opened in. 8-bit samples are unsigned,
// 16-bit signed little-endian; frames interleave left then right.
struct WaveDeviceFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint16_t bitsPerSample = 16;

    uint16_t BlockAlign() const { return static_cast<uint16_t>(channels * bitsPerSample / 8); }
    bool IsPcm() const { return formatTag == 1; }
    friend bool operator==(const WaveDeviceFormat&, const WaveDeviceFormat&) = default;
};

// A failed device call; the text is the device layer's own description. The
// wave output prefixes it with the name of the call that failed.
class WaveDeviceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One buffer handed to a stream. The caller owns it and its data, and keeps
// both unchanged and alive until the buffer comes back (completion or Reset).
struct WaveDeviceBuffer {
    const uint8_t* data = nullptr;
    uint32_t bytes = 0; // whole frames
};

// Called on the main thread (through the Dispatcher) once per played buffer,
// in the order the buffers were queued. Never called for a buffer that Reset
// returned, nor after the stream was closed.
using WaveDeviceDone = std::function<void(WaveDeviceBuffer& buffer)>;

// Called on the main thread (through the Dispatcher) when a stream fails by
// itself, between calls: the sound system went away or stopped taking audio.
// `call` names the device call that met the failure, `text` is the device
// layer's own description. At most once per stream, never after Close.
using WaveDeviceFault = std::function<void(const std::string& call, const std::string& text)>;

// Called on the main thread (through the Dispatcher) when a stream meets a
// condition worth telling the operator that it rides out by itself (a slow
// sound server it waits for). Once per occurrence, never after Close.
using WaveDeviceNotice = std::function<void(const std::string& text)>;

// An open output. Every operation is called on the main thread and throws
// WaveDeviceError when the device fails.
class WaveDeviceStream {
public:
    virtual ~WaveDeviceStream() = default;

    virtual const WaveDeviceFormat& Format() const = 0;
    // Who hears of a failure the stream meets by itself. Set right after
    // opening, before the main thread goes back to its queue.
    virtual void SetOnFault(WaveDeviceFault onFault) = 0;
    // Who hears what the stream rides out by itself; a device that has
    // nothing to tell keeps it.
    virtual void SetOnNotice(WaveDeviceNotice) {}
    // Appends a buffer to the play queue.
    virtual void Write(WaveDeviceBuffer& buffer) = 0;
    // Holds playback where it is; queued buffers stay queued.
    virtual void Pause() = 0;
    // Continues playback after Pause.
    virtual void Resume() = 0;
    // Stops at once and hands back every queued buffer, in queue order; the
    // position starts again from 0. The paused state is kept.
    virtual std::vector<WaveDeviceBuffer*> Reset() = 0;
    // Frames played since the stream was opened or last reset.
    virtual uint64_t PositionSamples() const = 0;
    // Ends playback, drops the queue without notifications and releases the
    // device. Further calls other than Close are not allowed.
    virtual void Close() = 0;
};

// A kind of output device: lists its devices and opens streams on them.
// Device ids run from 0 to DeviceCount() - 1; WaveMapperId is the default
// device and is valid whenever any device exists. Main thread.
class WaveDevice {
public:
    virtual ~WaveDevice() = default;

    virtual int DeviceCount() const = 0;
    // The name of a device; throws WaveDeviceError for an unknown id.
    virtual std::string ProductName(int deviceId) const = 0;
    // The test-only open: whether the device would accept the format.
    virtual bool CanPlay(int deviceId, const WaveDeviceFormat& format) const = 0;
    // Opens the device in the format. Returns once the device is open.
    virtual std::unique_ptr<WaveDeviceStream> Open(int deviceId, const WaveDeviceFormat& format,
                                                   WaveDeviceDone onDone) = 0;
};

} // namespace corvane
