#include "audio/input/TMMWaveInThread.h"

namespace corvane {

TMMWaveInThread::TMMWaveInThread(TMMDSPComponent* component, Dispatcher& dispatcher, BufferDoneQueue& queue,
                                 Handler handler)
    : TMMDSPThread(component, dispatcher), queue_(queue), handler_(std::move(handler)) {}

TMMWaveInThread::~TMMWaveInThread() {
    Stop();
}

bool TMMWaveInThread::StartAndWaitReady(std::chrono::milliseconds timeout) {
    Resume();
    std::unique_lock lock(readyMutex_);
    return readyChanged_.wait_for(lock, timeout, [&] { return ready_; });
}

void TMMWaveInThread::Stop() {
    Terminate();
    queue_.Wake();
    TerminateAndWait();
}

void TMMWaveInThread::Execute() {
    {
        std::lock_guard lock(readyMutex_);
        ready_ = true;
    }
    readyChanged_.notify_all();
    while (!Terminated()) {
        while (WaveInBuffer* buffer = queue_.Take()) {
            handler_(*buffer);
            queue_.Finished();
        }
        // The timeout only bounds how late a missed wake-up is noticed.
        queue_.WaitForWork(std::chrono::milliseconds(100));
    }
}

} // namespace corvane
