#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/chain/TMMDSPThread.h"
#include "audio/output/MMTypes.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane {

enum class TMMQueueMode { qmNone, qmRead, qmWrite, qmDuplex };

// A chain component that can decouple its input from its output with a ring
// of buffers:
// - qmNone (the console's setting): every call passes straight through, as
//   if input and output were linked directly;
// - qmRead: a worker keeps the ring filled from the input; BufferLoad reads
//   from the ring;
// - qmWrite: BufferReady stores the pushed buffers; the worker hands them on;
// - qmDuplex: BufferReady stores, BufferLoad reads, no worker.
// The lock guards the ring's indexes and counts against the worker. Waits
// for the worker block on its signals rather than polling.
class TMMRingBuffer : public TMMDSPComponent {
public:
    // Slot flags.
    static constexpr uint32_t SlotEndOfData = 1;
    static constexpr uint32_t SlotLoopRestarted = 2;

    explicit TMMRingBuffer(Dispatcher& dispatcher, std::string name = {});
    ~TMMRingBuffer() override;

    TMMNotifyEvent OnOverlow;
    TMMNotifyEvent OnEmpty;
    TMMNotifyEvent OnFillQueue, OnFillQueueEnd;
    TMMNotifyEvent OnFlushQueue, OnFlushQueueEnd;

    // BufferSize (at least 32), NumBuffers (above 1) and QueueMode may not
    // change while opened ("Change to property while device was open").
    void SetBufferSize(int value) override;
    void SetNumBuffers(int value);
    int NumBuffers() const { return numBuffers_; }
    void SetQueueMode(TMMQueueMode mode);
    TMMQueueMode QueueMode() const { return mode_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    void SetWaitIfFull(bool wait) { waitIfFull_ = wait; }
    void SetLoopIfEmpty(bool loop) { loopIfEmpty_ = loop; }
    // ms a first read waits for the worker's first fill.
    void SetTimeOut(int ms) { timeOut_ = ms; }

    bool IsEmpty() const;
    bool IsFull() const;
    int FilledSlots() const;
    uint32_t QueuedBytes() const;
    uint32_t FreeBytes() const;
    // No fill or flush run of the worker under way.
    bool WorkerIdle() const;
    // One slot: stores up to BufferSize bytes; returns the bytes taken (0
    // when dropped or not opened).
    uint32_t Put(const uint8_t* data, uint32_t length, uint32_t user, uint32_t flags);
    // Reads from one slot (or, from an empty ring, silence or the last slot
    // again); returns the bytes delivered.
    uint32_t Get(uint8_t* data, uint32_t length, uint32_t& flags, uint32_t& user);
    // In slot-sized pieces.
    uint32_t BulkPut(const uint8_t* data, uint32_t length, uint32_t user, uint32_t lastFlags);

    void Opened() override;
    void Closed() override;
    void Started() override;
    void Stopped() override;
    void Reset() override;
    void BufferReady(BufferHeader* header) override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

private:
    struct Slot {
        std::vector<uint8_t> data;
        uint32_t length = 0;
        uint32_t user = 0;
        uint32_t flags = 0;
    };
    class QueueThread;

    void CheckClosedForChange();
    void EmptyRing();
    void StartRun(); // caller holds the lock
    void WaitIdle();
    void Drain();    // Stopped and Reset
    void FillRun();  // worker, qmRead
    void FlushRun(); // worker (and closing), qmWrite
    uint32_t Silence() const;
    void Fire(const TMMNotifyEvent& event);

    Dispatcher& dispatcher_;
    int numBuffers_ = 20;
    TMMQueueMode mode_ = TMMQueueMode::qmNone;
    bool enabled_ = true;
    bool waitIfFull_ = false;
    bool loopIfEmpty_ = false;
    int timeOut_ = 10000;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Slot> slots_;
    int writeIndex_ = 0;
    int readIndex_ = 0;
    int lastRead_ = -1;
    int filled_ = 0;
    uint32_t queuedBytes_ = 0;
    std::vector<uint8_t> transfer_;
    BufferHeader transferHeader_;
    uint32_t block_ = 0; // fill and flush block
    bool ringOpened_ = false;
    bool primed_ = false;
    bool stop_ = false;
    bool busy_ = false;
    bool work_ = false;
    bool terminate_ = false;
    int32_t looping_ = 0, loopCount_ = 0, loopsLeft_ = 0;
    std::unique_ptr<QueueThread> worker_;
};

} // namespace corvane
