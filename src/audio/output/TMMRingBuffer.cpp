#include "audio/output/TMMRingBuffer.h"

#include "audio/chain/EMMError.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace corvane {
namespace {

constexpr uint32_t TransferSize = 65536;

} // namespace

// The ring's worker: waits for work, runs one fill or flush, signals idle.
class TMMRingBuffer::QueueThread final : public TMMDSPThread {
public:
    QueueThread(TMMRingBuffer& ring, Dispatcher& dispatcher) : TMMDSPThread(&ring, dispatcher), ring_(ring) {}
    ~QueueThread() override { TerminateAndWait(); }

protected:
    void Execute() override {
        std::unique_lock lock(ring_.lock_);
        for (;;) {
            ring_.changed_.wait(lock, [&] { return ring_.work_ || ring_.terminate_; });
            if (ring_.terminate_)
                return;
            ring_.work_ = false;
            lock.unlock();
            if (ring_.mode_ == TMMQueueMode::qmRead)
                ring_.FillRun();
            else
                ring_.FlushRun();
            lock.lock();
            ring_.busy_ = false;
            ring_.changed_.notify_all();
        }
    }

private:
    TMMRingBuffer& ring_;
};

TMMRingBuffer::TMMRingBuffer(Dispatcher& dispatcher, std::string name)
    : TMMDSPComponent(std::move(name)), dispatcher_(dispatcher) {}

TMMRingBuffer::~TMMRingBuffer() {
    Closed();
    Unlink();
}

void TMMRingBuffer::Fire(const TMMNotifyEvent& event) {
    if (event)
        event(this);
}

void TMMRingBuffer::CheckClosedForChange() {
    if (IsOpened())
        throw EMMBufferError(MMString::ChangeWhileOpen);
}

void TMMRingBuffer::SetBufferSize(int value) {
    if (value == GetBufferSize())
        return;
    CheckClosedForChange();
    TMMDSPComponent::SetBufferSize(std::max(value, 32));
}

void TMMRingBuffer::SetNumBuffers(int value) {
    CheckClosedForChange();
    if (value > 1)
        numBuffers_ = value;
}

void TMMRingBuffer::SetQueueMode(TMMQueueMode mode) {
    CheckClosedForChange();
    mode_ = mode;
}

bool TMMRingBuffer::IsEmpty() const {
    std::lock_guard lock(lock_);
    return filled_ == 0;
}

bool TMMRingBuffer::IsFull() const {
    std::lock_guard lock(lock_);
    return filled_ >= numBuffers_;
}

int TMMRingBuffer::FilledSlots() const {
    std::lock_guard lock(lock_);
    return filled_;
}

uint32_t TMMRingBuffer::QueuedBytes() const {
    std::lock_guard lock(lock_);
    return queuedBytes_;
}

uint32_t TMMRingBuffer::FreeBytes() const {
    std::lock_guard lock(lock_);
    return static_cast<uint32_t>(GetBufferSize()) * static_cast<uint32_t>(numBuffers_ - filled_);
}

bool TMMRingBuffer::WorkerIdle() const {
    std::lock_guard lock(lock_);
    return !busy_;
}

void TMMRingBuffer::EmptyRing() {
    writeIndex_ = readIndex_ = filled_ = 0;
    lastRead_ = -1;
    queuedBytes_ = 0;
}

void TMMRingBuffer::Opened() {
    if (IsOpened())
        return;
    TMMDSPComponent::Opened();
    const auto size = static_cast<uint32_t>(GetBufferSize());
    block_ = std::max(size, TransferSize / size * size);
    {
        std::lock_guard lock(lock_);
        slots_.assign(static_cast<size_t>(numBuffers_), Slot{});
        for (Slot& slot : slots_)
            slot.data.assign(size, 0);
        if (mode_ != TMMQueueMode::qmNone)
            transfer_.assign(std::max(TransferSize, size), 0);
        EmptyRing();
        primed_ = stop_ = busy_ = work_ = terminate_ = false;
        ringOpened_ = true;
    }
    if (mode_ == TMMQueueMode::qmRead || mode_ == TMMQueueMode::qmWrite) {
        try {
            worker_ = std::make_unique<QueueThread>(*this, dispatcher_);
            worker_->Resume();
        } catch (const std::system_error&) {
            worker_.reset();
            throw EMMBufferError(DeviceErrorText("RingBuffer", LoadMMString(MMString::CouldNotCreateThread)));
        }
    }
}

void TMMRingBuffer::Closed() {
    if (!ringOpened_) {
        TMMDSPComponent::Closed();
        return;
    }
    {
        std::lock_guard lock(lock_);
        stop_ = true;
    }
    WaitIdle();
    if (mode_ == TMMQueueMode::qmWrite)
        FlushRun();
    {
        std::lock_guard lock(lock_);
        ringOpened_ = false;
        terminate_ = true;
        changed_.notify_all();
    }
    worker_.reset();
    std::lock_guard lock(lock_);
    slots_.clear();
    transfer_.clear();
    EmptyRing();
    TMMDSPComponent::Closed();
}

void TMMRingBuffer::Started() {
    {
        std::lock_guard lock(lock_);
        stop_ = false;
    }
    TMMDSPComponent::Started();
}

void TMMRingBuffer::Drain() {
    {
        std::lock_guard lock(lock_);
        primed_ = false;
        stop_ = true;
    }
    WaitIdle();
    if (mode_ == TMMQueueMode::qmWrite && ringOpened_)
        FlushRun();
    std::lock_guard lock(lock_);
    EmptyRing();
    changed_.notify_all();
}

void TMMRingBuffer::Stopped() {
    if (ringOpened_)
        Drain();
    TMMDSPComponent::Stopped();
}

void TMMRingBuffer::Reset() {
    if (ringOpened_) {
        Drain();
        std::lock_guard lock(lock_);
        stop_ = false;
    }
}

void TMMRingBuffer::StartRun() {
    if (!worker_ || busy_)
        return;
    busy_ = true;
    work_ = true;
    changed_.notify_all();
}

void TMMRingBuffer::WaitIdle() {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [&] { return !busy_; });
}

uint32_t TMMRingBuffer::Silence() const {
    const WaveFormat* f = GetWaveFormat();
    return f && f->IsPcm() && f->bitsPerSample == 8 ? 128 : 0;
}

uint32_t TMMRingBuffer::Put(const uint8_t* data, uint32_t length, uint32_t user, uint32_t flags) {
    std::unique_lock lock(lock_);
    if (!ringOpened_ || !enabled_)
        return 0;
    if (filled_ >= numBuffers_ && !waitIfFull_) {
        lock.unlock();
        Fire(OnOverlow);
        return 0;
    }
    const uint32_t n = std::min(length, static_cast<uint32_t>(GetBufferSize()));
    if (mode_ == TMMQueueMode::qmWrite && filled_ + 1 >= numBuffers_ / 2)
        StartRun();
    // A writer told to wait does so until the worker or a reader makes room.
    changed_.wait(lock, [&] { return filled_ < numBuffers_ || !ringOpened_ || stop_; });
    if (filled_ >= numBuffers_)
        return 0;
    Slot& slot = slots_[static_cast<size_t>(writeIndex_)];
    std::memcpy(slot.data.data(), data, n);
    slot.length = n;
    slot.user = user;
    slot.flags = flags;
    writeIndex_ = (writeIndex_ + 1) % numBuffers_;
    ++filled_;
    queuedBytes_ += n;
    changed_.notify_all();
    return n;
}

uint32_t TMMRingBuffer::BulkPut(const uint8_t* data, uint32_t length, uint32_t user, uint32_t lastFlags) {
    const auto size = static_cast<uint32_t>(GetBufferSize());
    uint32_t done = 0;
    while (done < length) {
        const uint32_t piece = std::min(size, length - done);
        const bool last = done + piece >= length;
        const uint32_t put = Put(data + done, piece, user, last ? lastFlags : 0);
        if (put == 0)
            break;
        done += put;
    }
    return done;
}

uint32_t TMMRingBuffer::Get(uint8_t* data, uint32_t length, uint32_t& flags, uint32_t& user) {
    flags = 0;
    user = 0;
    std::unique_lock lock(lock_);
    if (!ringOpened_ || length == 0)
        return 0;
    if (mode_ == TMMQueueMode::qmRead && enabled_) {
        if (filled_ < numBuffers_ / 2)
            StartRun();
        if (!primed_) {
            const bool idle =
                changed_.wait_for(lock, std::chrono::milliseconds(timeOut_), [&] { return !busy_; });
            if (!idle || filled_ == 0)
                return 0;
            primed_ = true;
        }
    } else if (mode_ == TMMQueueMode::qmDuplex && !primed_) {
        if (filled_ <= numBuffers_ / 2) {
            const uint32_t n = std::min<uint32_t>(length, static_cast<uint32_t>(transfer_.size()));
            std::memcpy(data, transfer_.data(), n);
            return n;
        }
        primed_ = true;
    }
    if (filled_ == 0) {
        lock.unlock();
        Fire(OnEmpty);
        lock.lock();
        const WaveFormat* f = GetWaveFormat();
        if ((loopIfEmpty_ || (f && !f->IsPcm())) && lastRead_ >= 0) {
            const Slot& last = slots_[static_cast<size_t>(lastRead_)];
            const uint32_t n = std::min(length, last.length);
            std::memcpy(data, last.data.data(), n);
            return n;
        }
        std::memset(data, static_cast<int>(Silence()), length);
        return length;
    }
    Slot& slot = slots_[static_cast<size_t>(readIndex_)];
    const uint32_t n = std::min(length, slot.length);
    std::memcpy(data, slot.data.data(), n);
    flags = slot.flags;
    user = slot.user;
    queuedBytes_ -= n;
    if (n < slot.length) {
        std::memmove(slot.data.data(), slot.data.data() + n, slot.length - n);
        slot.length -= n;
        flags &= ~SlotEndOfData; // the end comes with the slot's last byte
    } else {
        slot.length = 0;
        lastRead_ = readIndex_;
        readIndex_ = (readIndex_ + 1) % numBuffers_;
        --filled_;
    }
    changed_.notify_all();
    return n;
}

void TMMRingBuffer::FillRun() {
    Fire(OnFillQueue);
    for (;;) {
        uint32_t want = 0;
        {
            std::lock_guard lock(lock_);
            if (stop_ || filled_ >= numBuffers_)
                break;
            want = std::min(static_cast<uint32_t>(GetBufferSize()) *
                                static_cast<uint32_t>(numBuffers_ - filled_),
                            block_);
        }
        BufferHeader& h = transferHeader_;
        h.data = transfer_.data();
        h.bufferLength = want;
        h.bytesFilled = 0;
        h.looping = looping_;
        h.loopCount = loopCount_;
        h.loopsLeft = loopsLeft_;
        h.loopRestarted = 0;
        bool more = false;
        TMMDSPComponent::BufferLoad(&h, more);
        loopsLeft_ = h.loopsLeft;
        const uint32_t got = std::min(h.bytesFilled, want);
        if (got == 0) {
            std::lock_guard lock(lock_);
            if (lastRead_ >= 0)
                slots_[static_cast<size_t>(lastRead_)].flags |= SlotEndOfData;
            break;
        }
        const uint32_t last = (more ? 0 : SlotEndOfData) | (h.loopRestarted ? SlotLoopRestarted : 0);
        BulkPut(transfer_.data(), got, 0, last);
        std::lock_guard lock(lock_);
        if (!more || stop_)
            break;
    }
    Fire(OnFillQueueEnd);
}

void TMMRingBuffer::FlushRun() {
    Fire(OnFlushQueue);
    for (;;) {
        uint32_t got = 0;
        {
            std::lock_guard lock(lock_);
            if (queuedBytes_ == 0 || transfer_.empty())
                break;
        }
        uint32_t flags = 0, user = 0;
        while (got < block_) {
            const uint32_t n = Get(transfer_.data() + got, block_ - got, flags, user);
            if (n == 0 || QueuedBytes() == 0) {
                got += n;
                break;
            }
            got += n;
        }
        BufferHeader& h = transferHeader_;
        h.data = transfer_.data();
        h.bufferLength = got;
        h.bytesFilled = got;
        h.user = user;
        TMMDSPComponent::BufferReady(&h);
    }
    Fire(OnFlushQueueEnd);
}

void TMMRingBuffer::BufferReady(BufferHeader* header) {
    if ((mode_ == TMMQueueMode::qmWrite || mode_ == TMMQueueMode::qmDuplex) && ringOpened_) {
        BulkPut(header->data, header->bytesFilled, header->user, 0);
        return;
    }
    TMMDSPComponent::BufferReady(header);
}

void TMMRingBuffer::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    const bool queued = mode_ == TMMQueueMode::qmRead || mode_ == TMMQueueMode::qmDuplex;
    if (!queued || !ringOpened_ || !(enabled_ || QueuedBytes() > 0 || mode_ == TMMQueueMode::qmDuplex)) {
        TMMDSPComponent::BufferLoad(header, moreBuffers);
        return;
    }
    if (header->looping != looping_) {
        looping_ = header->looping;
        loopCount_ = header->loopCount;
        loopsLeft_ = header->loopsLeft;
    }
    uint32_t flags = 0, user = 0;
    header->bytesFilled = Get(header->data, header->bufferLength, flags, user);
    header->user = user;
    if (flags & SlotLoopRestarted)
        header->loopRestarted = MMTrue;
    moreBuffers = mode_ == TMMQueueMode::qmDuplex || (flags & SlotEndOfData) == 0;
}

} // namespace corvane
