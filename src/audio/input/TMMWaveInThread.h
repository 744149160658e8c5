#pragma once

#include "audio/chain/TMMDSPThread.h"
#include "audio/input/BufferDoneQueue.h"

#include <condition_variable>
#include <functional>
#include <mutex>

namespace corvane {

// The wave input's own thread (CallBackMode cmThread): handles the buffers
// the device has filled, and with them the whole chain below the input (the
// file writer included), away from the main thread.
class TMMWaveInThread final : public TMMDSPThread {
public:
    using Handler = std::function<void(WaveInBuffer& buffer)>;

    TMMWaveInThread(TMMDSPComponent* component, Dispatcher& dispatcher, BufferDoneQueue& queue,
                    Handler handler);
    ~TMMWaveInThread() override;

    // Starts the thread and waits up to `timeout` for it to run; false when
    // it did not report ready.
    bool StartAndWaitReady(std::chrono::milliseconds timeout);
    // Ends the thread once the buffer in hand is handled, and waits for it.
    void Stop();

protected:
    void Execute() override;

private:
    BufferDoneQueue& queue_;
    Handler handler_;
    std::mutex readyMutex_;
    std::condition_variable readyChanged_;
    bool ready_ = false;
};

} // namespace corvane
