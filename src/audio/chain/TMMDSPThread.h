#pragma once

#include "platform/Dispatcher.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace corvane {

class TMMDSPComponent;

// A worker thread bound to one component (the wave output's, the ring
// buffer's and the wave input's workers derive from it). It is created
// suspended and runs Execute once Resume is called. Every live worker is in a
// process-wide registry, so that the synchronize routine can tell whether the
// calling thread is one of them. Created and destroyed on the main thread.
class TMMDSPThread {
public:
    // `dispatcher` is the main thread's queue, used by Synchronize.
    TMMDSPThread(TMMDSPComponent* component, Dispatcher& dispatcher);
    // Terminates and waits for the thread; a derived class whose Execute uses
    // its own members must call TerminateAndWait in its destructor.
    virtual ~TMMDSPThread();
    TMMDSPThread(const TMMDSPThread&) = delete;
    TMMDSPThread& operator=(const TMMDSPThread&) = delete;

    // Live workers, in order of creation (a copy, taken under the registry's
    // lock: any thread may ask).
    static std::vector<TMMDSPThread*> Registry();

    // Starts the thread (once).
    void Resume();
    // Asks Execute to finish and abandons a pending Synchronize, whose method
    // then never runs.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Waits for Execute to return. Not from the worker itself.
    void WaitFor();
    void TerminateAndWait();

    TMMDSPComponent* Component() const { return component_; }
    std::thread::id ThreadId() const;

    // Runs `method` on the main thread and waits for it; an exception it
    // raises is raised here again. Worker thread only; returns at once when
    // the thread is terminated.
    void Synchronize(const std::function<void()>& method);

protected:
    // The thread's work; should return soon after Terminated() turns true.
    virtual void Execute() = 0;

private:
    TMMDSPComponent* component_;
    Dispatcher& dispatcher_;
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<std::thread::id> threadId_{};
    struct PendingSync;
    std::unique_ptr<PendingSync> pending_;
};

// Marks the calling thread as the main thread (the process's first thread is
// taken by default). Call once, from the main thread, before workers start.
void MarkMainThread();
bool IsMainThread();

// The kit's synchronize routine: runs `method` directly, or, when called on
// one of the registered workers (and not on the main thread), on the main
// thread through that worker's Synchronize.
void MMSynchronize(const std::function<void()>& method);

} // namespace corvane
