#pragma once

#include "audio/device/CompletionPoster.h"
#include "audio/device/WaveDevice.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace corvane {

// PortAudio's text for an error code, with the host API's own text when
// PortAudio only passes on a host error.
std::string PortAudioErrorText(int error);

// One open PortAudio output with its writer thread. The writer owns every
// call on the PortAudio stream after it is opened (PortAudio streams are not
// to be driven from two threads); the main thread asks for pause, resume,
// reset and close through flags. Buffers are written in short pieces so that
// a pause or reset takes effect within one piece.
class PortAudioWaveStream final : public WaveDeviceStream {
public:
    // Takes an opened, not yet started PortAudio stream.
    PortAudioWaveStream(void* paStream, const WaveDeviceFormat& format, Dispatcher& dispatcher,
                        WaveDeviceDone onDone);
    ~PortAudioWaveStream() override;

    const WaveDeviceFormat& Format() const override { return format_; }
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
    };

    void WriterLoop();
    // Throws the error the writer met, if any. Caller holds the lock.
    void ThrowIfFailed() const;

    void* stream_;
    WaveDeviceFormat format_;
    CompletionPoster poster_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Queued> queue_;
    bool paused_ = false;
    bool quit_ = false;
    uint64_t resetsRequested_ = 0;
    uint64_t resetsDone_ = 0;
    std::string failure_;
    std::atomic<uint64_t> position_{0};
    std::thread writer_;
    bool closed_ = false;
};

} // namespace corvane
