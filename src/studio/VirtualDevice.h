#pragma once

#include "audio/device/WaveDevice.h"
#include "studio/VirtualStudio.h"

#include <cstdint>
#include <string>

namespace corvane {

// What the studio's virtual output and input devices share. Each is a time
// source of the studio for as long as it lives and passes the studio's
// moments on to its one open stream; its devices are numbered from 1 after
// its kind ("Virtual Wave Device 1"), WaveMapperId standing for the first;
// and it takes 8- and 16-bit PCM of one or two channels at 4 to 100 kHz.
class VirtualDevice : public TimeSource {
public:
    // An open stream as the studio's time drives it.
    class TimedStream {
    public:
        virtual ~TimedStream() = default;
        // Virtual ms of the stream's next action; negative for none.
        virtual int64_t NextDueMs() const = 0;
        // Runs the stream up to the studio's moment nowMs.
        virtual void RunUntil(int64_t nowMs) = 0;
    };

    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    // 0 presents a system without any device.
    void SetDeviceCount(int count) { deviceCount_ = count; }

    int64_t NextDueMs() const final;
    void Fire(int64_t nowMs) final;
    // A sound card plays and records on while the main thread is busy.
    bool ActsWhileMainThreadBusy() const final { return true; }

protected:
    VirtualDevice(VirtualStudio& studio, std::string kind);
    ~VirtualDevice() override;

    // The name of a device; throws WaveDeviceError for an id no device has.
    std::string NameOf(int deviceId) const;
    static bool TakesFormat(const WaveDeviceFormat& format);
    // The open stream, or null.
    virtual TimedStream* OpenStream() const = 0;

    VirtualStudio& studio_;
    int deviceCount_ = 1;

private:
    std::string kind_;
};

} // namespace corvane
