#pragma once

#include "audio/device/WaveInDevice.h"
#include "studio/ScriptedFailures.h"
#include "studio/VirtualDevice.h"

#include <chrono>
#include <functional>
#include <string>

namespace corvane {

// The scripted input signal: the 16-bit sample of a channel at a frame
// counted from the stream's start (8-bit streams take its upper byte).
using ScriptedSignal = std::function<int16_t(uint64_t frame, int channel)>;

// An input device that records a scripted signal in the studio's virtual
// time: queued buffers fill at the stream's sample rate as the studio runs,
// and each is handed to WaveInDone on the studio's thread at the virtual
// moment its last frame arrived. A test can make the next call of a kind
// fail, present any number of devices (or none) and choose the standard
// formats they declare. One stream may be open at a time.
class VirtualWaveInDevice final : public WaveInDevice, public VirtualDevice {
public:
    enum class Call { CanRecord, Open, AddBuffer, Start, Stop, Reset, Position, Close };

    explicit VirtualWaveInDevice(VirtualStudio& studio);
    ~VirtualWaveInDevice() override;

    int DeviceCount() const override { return deviceCount_; }
    std::string ProductName(int deviceId) const override { return NameOf(deviceId); }
    uint32_t StandardFormats(int deviceId) const override;
    bool CanRecord(int deviceId, const WaveDeviceFormat& format) const override;
    std::unique_ptr<WaveInStream> Open(int deviceId, const WaveDeviceFormat& format,
                                       WaveInDone onDone) override;

    void SetStandardFormats(uint32_t bits) { formats_ = bits; }
    // Silence until set.
    void SetSignal(ScriptedSignal signal) { signal_ = std::move(signal); }
    // The next call of this kind throws WaveDeviceError with the text (a
    // failing CanRecord answers false).
    void FailNext(Call call, std::string text) { failures_.FailNext(call, std::move(text)); }

    bool IsOpen() const { return stream_ != nullptr; }
    bool IsRecording() const;
    size_t QueuedBuffers() const;
    // Blocks the caller until the input's own thread has queued `count`
    // buffers or the recording stopped, for at most `bound`; false when the
    // bound passed first. Virtual time does not move meanwhile.
    bool WaitForQueued(size_t count, std::chrono::milliseconds bound) const;

private:
    class Stream;
    friend class Stream;

    TimedStream* OpenStream() const override;
    int16_t Sample(uint64_t frame, int channel) const { return signal_ ? signal_(frame, channel) : 0; }

    uint32_t formats_ = AllStandardWaveInFormats;
    ScriptedSignal signal_;
    ScriptedFailures<Call> failures_;
    Stream* stream_ = nullptr;
};

} // namespace corvane
