#pragma once

#include <atomic>
#include <mutex>

namespace corvane {

// The engine's critical section: a lock one thread may take again while it
// holds it, which also counts the threads waiting for it.
class TMMCriticalSection {
public:
    void Enter() {
        ++waiting_;
        mutex_.lock();
        --waiting_;
    }
    void Leave() { mutex_.unlock(); }
    int Waiting() const { return waiting_.load(); }

    // For std::lock_guard.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
    std::atomic<int> waiting_{0};
};

} // namespace corvane
