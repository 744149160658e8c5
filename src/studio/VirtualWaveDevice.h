#pragma once

#include "audio/device/CompletionPoster.h"
#include "audio/device/WaveDevice.h"
#include "studio/PlayedAudio.h"
#include "studio/VirtualStudio.h"

#include <deque>
#include <map>
#include <memory>
#include <string>

namespace corvane {

// A wave device that plays in the studio's virtual time: queued buffers are
// consumed at the stream's sample rate as the studio runs, each completion is
// posted to the studio's main-thread queue in queue order, and everything
// played is kept (PlayedAudio) for the test to inspect. A test can make the
// next call of a kind fail, make calls fail until healed, break the open
// stream as a dying sound system would, or present no device at all. One stream may be
// open at a time. Runs entirely on the studio's thread.
class VirtualWaveDevice final : public WaveDevice, public TimeSource {
public:
    // The device calls a test can make fail.
    enum class Call { CanPlay, Open, Write, Pause, Resume, Reset, Position, Close };

    explicit VirtualWaveDevice(VirtualStudio& studio, KeepSamples keep = KeepSamples::Yes);
    ~VirtualWaveDevice() override;
    VirtualWaveDevice(const VirtualWaveDevice&) = delete;
    VirtualWaveDevice& operator=(const VirtualWaveDevice&) = delete;

    int DeviceCount() const override { return deviceCount_; }
    std::string ProductName(int deviceId) const override;
    bool CanPlay(int deviceId, const WaveDeviceFormat& format) const override;
    std::unique_ptr<WaveDeviceStream> Open(int deviceId, const WaveDeviceFormat& format,
                                           WaveDeviceDone onDone) override;

    // Makes streams report their position modulo `frames` (0: never), as a
    // device whose sample counter wraps.
    void SetPositionWrap(uint64_t frames) { positionWrap_ = frames; }
    // 0 presents a system without any output device.
    void SetDeviceCount(int count) { deviceCount_ = count; }
    // The next call of this kind throws WaveDeviceError with the text (a
    // failing CanPlay answers false).
    void FailNext(Call call, std::string text);
    // Every call of this kind fails with the text until Heal (a failing
    // CanPlay answers false): a device that has gone away.
    void FailAlways(Call call, std::string text);
    // Ends every failure set with FailNext or FailAlways.
    void Heal();
    // The open stream stops taking audio, as when the sound system dies:
    // nothing more plays or completes, and the stream tells its fault
    // handler (call, text) through the studio's queue.
    void BreakStream(const std::string& call, const std::string& text);

    bool IsOpen() const { return stream_ != nullptr; }
    bool IsPaused() const;
    size_t QueuedBuffers() const;
    // Every stream opened so far, in order, played up to the present moment;
    // the last one is the current.
    const std::deque<PlayedAudio>& Streams();
    // What the last opened stream played up to now; throws when none was
    // opened.
    const PlayedAudio& Played();

    int64_t NextDueMs() const override;
    void Fire(int64_t nowMs) override;
    // The card plays on while the main thread is busy.
    bool ActsWhileMainThreadBusy() const override { return true; }

private:
    class Stream;
    friend class Stream;

    void ThrowIfFailing(Call call) const;
    // Plays the open stream up to the studio's present moment.
    void CatchUp();

    VirtualStudio& studio_;
    KeepSamples keep_;
    int deviceCount_ = 1;
    uint64_t positionWrap_ = 0;
    mutable std::map<Call, std::string> failNext_;
    std::map<Call, std::string> failAlways_;
    std::deque<PlayedAudio> played_;
    Stream* stream_ = nullptr;
};

} // namespace corvane
