#pragma once

#include "audio/device/WaveDevice.h"
#include "platform/Dispatcher.h"

#include <cstdint>
#include <memory>

namespace corvane {

// Hands a stream's buffer completions to the main thread and drops the ones
// that went stale in the meantime: a completion posted before a Reset or a
// Close must not reach the wave output, which has already taken those buffers
// back. Each queued buffer carries the epoch it was written in; Invalidate
// starts a new epoch. A failure of the stream is handed over the same way,
// once, and never after Detach; a notice (something the stream rides out)
// each time it is posted, never after Detach. Epoch, Invalidate, SetOnFault,
// SetOnNotice and Detach run on the main thread, Post, PostFault and
// PostNotice on any thread.
class CompletionPoster {
public:
    CompletionPoster(Dispatcher& dispatcher, WaveDeviceDone onDone);
    ~CompletionPoster();
    CompletionPoster(const CompletionPoster&) = delete;
    CompletionPoster& operator=(const CompletionPoster&) = delete;

    uint64_t Epoch() const;
    void Post(WaveDeviceBuffer* buffer, uint64_t epoch);
    void Invalidate();
    void SetOnFault(WaveDeviceFault onFault);
    void PostFault(const std::string& call, const std::string& text);
    void SetOnNotice(WaveDeviceNotice onNotice);
    void PostNotice(const std::string& text);
    // No completion is delivered any more, posted or not.
    void Detach();

private:
    struct State {
        uint64_t epoch = 0;
        bool attached = true;
        bool faultDelivered = false;
        WaveDeviceDone onDone;
        WaveDeviceFault onFault;
        WaveDeviceNotice onNotice;
    };
    Dispatcher& dispatcher_;
    std::shared_ptr<State> state_;
};

} // namespace corvane
