#pragma once

#include "audio/device/PortAudioStreamThread.h"
#include "audio/device/WaveInDevice.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace corvane {

// One open PortAudio input with its reader thread. The reader owns every
// call on the PortAudio stream after it is opened (PortAudio streams are not
// to be driven from two threads): the main thread asks for start and stop
// and waits until the reader has done it. The reader reads short pieces from
// the blocking stream into the queued buffers and hands every full buffer to
// WaveInDone, under the stream's lock, so that nothing is delivered once
// Stop, Reset or Close returned. What is read while no buffer is queued waits
// (up to 10 s) until buffers come back, instead of being lost.
class PortAudioWaveInStream final : public WaveInStream {
public:
    // Takes an opened, not yet started PortAudio stream.
    PortAudioWaveInStream(void* paStream, const WaveDeviceFormat& format, WaveInDone onDone);
    ~PortAudioWaveInStream() override;

    const WaveDeviceFormat& Format() const override { return format_; }
    void AddBuffer(WaveInBuffer& buffer) override;
    void Start() override;
    void Stop() override;
    std::vector<WaveInBuffer*> Reset() override;
    uint64_t PositionSamples() const override { return position_.load(); }
    void Close() override;

private:
    void ReaderLoop();
    // Has the reader bring the stream to `running` and waits for it.
    void RequestRunning(bool running);
    // Copies a piece read from the stream into the queue, delivering the
    // buffers it fills; what finds no buffer waits in the backlog. Caller
    // holds the lock.
    void Store(const uint8_t* data, uint32_t bytes);
    // Delivers the head buffer and drops it from the queue. Caller holds the lock.
    void DeliverHead();
    void ThrowIfFailed() const;

    void* stream_;
    WaveDeviceFormat format_;
    WaveInDone onDone_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable acknowledged_;
    std::deque<WaveInBuffer*> queue_;
    // Audio read while no buffer was queued, at most BacklogSeconds of it.
    static constexpr size_t BacklogSeconds = 10;
    std::vector<uint8_t> backlog_;
    size_t backlogLimit_;
    bool wantRunning_ = false;
    bool running_ = false;
    bool quit_ = false;
    std::string failure_;
    std::atomic<uint64_t> position_{0};
    bool closed_ = false;
    PortAudioStreamThread reader_; // last: the loop uses everything above
};

} // namespace corvane
