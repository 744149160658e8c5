#pragma once

#include "audio/device/WaveInDevice.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace corvane {

// The input's filled buffers on their way from the device's thread to the
// context that handles them (the main thread, or the input's own thread).
// Any thread may push; the handling context pops. Counts the handlers at
// work, so that a stop can wait until every delivered buffer was handled.
class BufferDoneQueue {
public:
    void Push(WaveInBuffer* buffer) {
        std::lock_guard lock(mutex_);
        queue_.push_back(buffer);
        changed_.notify_all();
    }
    // The next buffer, counted as being handled until Finished; nullptr when none.
    WaveInBuffer* Take() {
        std::lock_guard lock(mutex_);
        if (queue_.empty())
            return nullptr;
        WaveInBuffer* b = queue_.front();
        queue_.pop_front();
        ++handling_;
        return b;
    }
    void Finished() {
        std::lock_guard lock(mutex_);
        --handling_;
        changed_.notify_all();
    }
    // Waits until a buffer waits or Wake was called, at most `timeout`.
    void WaitForWork(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return !queue_.empty() || woken_; });
        woken_ = false;
    }
    void Wake() {
        std::lock_guard lock(mutex_);
        woken_ = true;
        changed_.notify_all();
    }
    // Waits until no buffer waits and none is being handled; false on timeout.
    bool WaitUntilIdle(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return queue_.empty() && handling_ == 0; });
    }
    bool Idle() const {
        std::lock_guard lock(mutex_);
        return queue_.empty() && handling_ == 0;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        queue_.clear();
        changed_.notify_all();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<WaveInBuffer*> queue_;
    int handling_ = 0;
    bool woken_ = false;
};

} // namespace corvane
