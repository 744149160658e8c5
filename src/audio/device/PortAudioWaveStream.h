#pragma once

#include "audio/device/CompletionPoster.h"
#include "audio/device/PortAudioStreamThread.h"
#include "audio/device/StreamStallWatch.h"
#include "audio/device/WaveDevice.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace corvane {

// PortAudio's text for an error code, with the host API's own text when
// PortAudio only passes on a host error.
std::string PortAudioErrorText(int error);

// One open PortAudio output with its writer thread. The writer owns every
// call on the PortAudio stream after it is opened (PortAudio streams are not
// to be driven from two threads); the main thread asks for pause, resume,
// reset and close through flags. Buffers are written in short pieces so that
// a pause or reset takes effect within one piece.
//
// A pause keeps the stream running and writes silence in place of the queue:
// stopping and restarting a stream loses audio in some sound servers, and so
// what was written before the pause plays out whole and playback resumes
// exactly where it stopped.
//
// A buffer counts as played, and its completion is posted, once the stream's
// own buffer has drained past its last frame (written frames minus what the
// stream still holds), not when it was handed to PortAudio: otherwise a stop
// at the end of the data would cut off the tail still in the stream, and the
// position would run ahead of what is heard.
//
// A stream that fails by itself (a write, start or query fails, or the sound
// system stops taking audio for more than StallLimitMs while the stream holds
// some, and its server no longer answers; before it has taken any,
// StartStallLimitMs: StreamStallWatch) ends its writer and tells the fault
// handler on the main thread; from then on every call throws the failure, and
// no call waits for the writer longer than a reset takes. A stall whose server
// still answers (overloaded, briefly stopped) keeps the stream and is told
// once to the notice handler; it becomes a failure only after
// SlowServerLimitMs without progress.
class PortAudioWaveStream final : public WaveDeviceStream {
public:
    // Takes an opened, not yet started PortAudio stream.
    PortAudioWaveStream(void* paStream, const WaveDeviceFormat& format, Dispatcher& dispatcher,
                        WaveDeviceDone onDone);
    ~PortAudioWaveStream() override;

    static constexpr int StallLimitMs = StreamStallWatch::StallLimitMs;
    static constexpr int StartStallLimitMs = StreamStallWatch::StartStallLimitMs;
    // What the notice handler is told when a stall's server still answers.
    static constexpr const char* SlowServerText =
        "The sound server is slow to take audio but still there - the output waits for it";

    const WaveDeviceFormat& Format() const override { return format_; }
    void SetOnFault(WaveDeviceFault onFault) override { poster_.SetOnFault(std::move(onFault)); }
    void SetOnNotice(WaveDeviceNotice onNotice) override { poster_.SetOnNotice(std::move(onNotice)); }
    void Write(WaveDeviceBuffer& buffer) override;
    void Pause() override;
    void Resume() override;
    std::vector<WaveDeviceBuffer*> Reset() override;
    uint64_t PositionSamples() const override { return position_.load(); }
    void Close() override;

private:
    struct Queued {
        WaveDeviceBuffer* buffer;
        uint64_t epoch;
        uint32_t offset; // bytes already written
        uint64_t end;    // written frames once all of it was written
    };

    void WriterLoop();
    // Takes the stream's frames played so far (audio and pause silence)
    // and posts the completions of the buffers that have played; caller
    // holds the lock.
    void CompletePlayed(uint64_t streamPlayed);
    // Throws the error the writer met, if any. Caller holds the lock.
    void ThrowIfFailed() const;

    void* stream_;
    WaveDeviceFormat format_;
    CompletionPoster poster_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Queued> queue_;
    std::deque<Queued> inFlight_; // written, not yet played
    // Stretches of pause silence in the stream, in stream frames [start, end),
    // not yet fully played, and the silence frames already played.
    std::deque<std::pair<uint64_t, uint64_t>> silences_;
    uint64_t silencePlayed_ = 0;
    bool paused_ = false;
    bool quit_ = false;
    uint64_t resetsRequested_ = 0;
    uint64_t resetsDone_ = 0;
    std::string failure_;
    std::string failedCall_;
    std::atomic<uint64_t> position_{0};
    bool closed_ = false;
    PortAudioStreamThread writer_; // last: the loop uses everything above
};

} // namespace corvane
