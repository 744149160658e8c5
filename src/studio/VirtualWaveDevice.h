#pragma once

#include "audio/device/CompletionPoster.h"
#include "audio/device/WaveDevice.h"
#include "studio/PlayedAudio.h"
#include "studio/ScriptedFailures.h"
#include "studio/VirtualDevice.h"

#include <deque>
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
class VirtualWaveDevice final : public WaveDevice, public VirtualDevice {
public:
    // The device calls a test can make fail.
    enum class Call { CanPlay, Open, Write, Pause, Resume, Reset, Position, Close };

    explicit VirtualWaveDevice(VirtualStudio& studio, KeepSamples keep = KeepSamples::Yes);
    ~VirtualWaveDevice() override;

    int DeviceCount() const override { return deviceCount_; }
    std::string ProductName(int deviceId) const override { return NameOf(deviceId); }
    bool CanPlay(int deviceId, const WaveDeviceFormat& format) const override;
    std::unique_ptr<WaveDeviceStream> Open(int deviceId, const WaveDeviceFormat& format,
                                           WaveDeviceDone onDone) override;

    // Makes streams report their position modulo `frames` (0: never), as a
    // device whose sample counter wraps.
    void SetPositionWrap(uint64_t frames) { positionWrap_ = frames; }
    // The next call of this kind throws WaveDeviceError with the text (a
    // failing CanPlay answers false).
    void FailNext(Call call, std::string text) { failures_.FailNext(call, std::move(text)); }
    // Every call of this kind fails with the text until Heal (a failing
    // CanPlay answers false): a device that has gone away.
    void FailAlways(Call call, std::string text) { failures_.FailAlways(call, std::move(text)); }
    // Ends every failure set with FailNext or FailAlways.
    void Heal() { failures_.Heal(); }
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

private:
    class Stream;
    friend class Stream;

    TimedStream* OpenStream() const override;
    // Plays the open stream up to the studio's present moment.
    void CatchUp();

    KeepSamples keep_;
    uint64_t positionWrap_ = 0;
    ScriptedFailures<Call> failures_;
    std::deque<PlayedAudio> played_;
    Stream* stream_ = nullptr;
};

} // namespace corvane
