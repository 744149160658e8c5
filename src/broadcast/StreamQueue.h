#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace corvane {

// 16-bit interleaved PCM: the air as the output plays it.
struct PcmFormat {
    uint32_t samplesPerSec = 0;
    uint16_t channels = 0;
    friend bool operator==(const PcmFormat&, const PcmFormat&) = default;
};

struct PcmBlock {
    PcmFormat format;
    std::vector<int16_t> samples;
};

// The air on its way from the output (main thread) to the stream's encoder
// thread: at most `capacityFrames` of audio. Push only copies the block in
// under a lock the consumer holds only to take a block out, so the output
// never waits for the encoder or the network; when the queue is full the
// oldest audio goes, and the frames dropped are counted for the consumer to
// report. Any thread.
class StreamQueue {
public:
    explicit StreamQueue(size_t capacityFrames) : capacityFrames_(capacityFrames) {}

    void Push(const int16_t* samples, size_t frames, PcmFormat format);
    // The oldest block, waiting at most `bound` for one; none after Wake or
    // when the bound passed.
    std::optional<PcmBlock> Pop(std::chrono::milliseconds bound);
    // Lets a Pop waiting now return at once.
    void Wake();
    // Drops everything queued (not counted as dropped).
    void Clear();
    // Frames dropped since the last call.
    uint64_t TakeDroppedFrames();
    size_t QueuedFrames() const;

private:
    const size_t capacityFrames_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<PcmBlock> blocks_;
    // Emptied blocks, reused so that pushing does not allocate once running.
    std::vector<std::vector<int16_t>> spare_;
    size_t queuedFrames_ = 0;
    uint64_t droppedFrames_ = 0;
    bool woken_ = false;
};

} // namespace corvane
