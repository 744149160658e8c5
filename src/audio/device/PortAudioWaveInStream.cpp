#include "audio/device/PortAudioWaveInStream.h"

#include "audio/device/PortAudioWaveStream.h"

#include <algorithm>
#include <cstring>
#include <portaudio.h>
#include <vector>

namespace corvane {
namespace {

// Frames per read: about 23 ms at 44.1 kHz, the longest a stop waits for
// the reader.
constexpr uint32_t FramesPerPiece = 1024;

} // namespace

PortAudioWaveInStream::PortAudioWaveInStream(void* paStream, const WaveDeviceFormat& format,
                                             WaveInDone onDone)
    : stream_(paStream), format_(format), onDone_(std::move(onDone)),
      backlogLimit_(static_cast<size_t>(format.samplesPerSec) * format.BlockAlign() * BacklogSeconds),
      reader_(paStream, [this] { ReaderLoop(); }) {}

PortAudioWaveInStream::~PortAudioWaveInStream() {
    try {
        Close();
    } catch (...) {
        // Closing in a destructor has nobody left to tell.
    }
}

void PortAudioWaveInStream::ThrowIfFailed() const {
    if (!failure_.empty())
        throw WaveDeviceError(failure_);
}

void PortAudioWaveInStream::AddBuffer(WaveInBuffer& buffer) {
    std::lock_guard lock(mutex_);
    ThrowIfFailed();
    buffer.recorded = 0;
    queue_.push_back(&buffer);
}

void PortAudioWaveInStream::RequestRunning(bool running) {
    std::unique_lock lock(mutex_);
    ThrowIfFailed();
    wantRunning_ = running;
    wake_.notify_all();
    acknowledged_.wait(lock, [&] { return running_ == running || !failure_.empty(); });
    ThrowIfFailed();
}

void PortAudioWaveInStream::Start() {
    RequestRunning(true);
}

void PortAudioWaveInStream::Stop() {
    RequestRunning(false);
}

std::vector<WaveInBuffer*> PortAudioWaveInStream::Reset() {
    RequestRunning(false);
    std::lock_guard lock(mutex_);
    std::vector<WaveInBuffer*> returned(queue_.begin(), queue_.end());
    queue_.clear();
    backlog_.clear();
    position_ = 0;
    return returned;
}

void PortAudioWaveInStream::Close() {
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        closed_ = true;
        quit_ = true;
        queue_.clear();
        wake_.notify_all();
    }
    reader_.JoinAndClose();
}

void PortAudioWaveInStream::DeliverHead() {
    WaveInBuffer* head = queue_.front();
    queue_.pop_front();
    onDone_(*head);
}

void PortAudioWaveInStream::Store(const uint8_t* data, uint32_t bytes) {
    // Frames that find no buffer wait in the backlog until the input gives
    // buffers back: a handler held up for a while (a busy disk, a busy
    // machine) costs no audio. Only beyond the backlog's room are frames lost.
    const size_t room = backlogLimit_ - std::min(backlog_.size(), backlogLimit_);
    backlog_.insert(backlog_.end(), data, data + std::min<size_t>(bytes, room));
    size_t taken = 0;
    while (taken < backlog_.size() && !queue_.empty()) {
        WaveInBuffer& head = *queue_.front();
        const size_t n = std::min<size_t>(backlog_.size() - taken, head.bytes - head.recorded);
        std::memcpy(head.data + head.recorded, backlog_.data() + taken, n);
        head.recorded += static_cast<uint32_t>(n);
        taken += n;
        if (head.recorded == head.bytes)
            DeliverHead();
    }
    backlog_.erase(backlog_.begin(), backlog_.begin() + static_cast<std::ptrdiff_t>(taken));
}

void PortAudioWaveInStream::ReaderLoop() {
    const uint32_t block = format_.BlockAlign();
    std::vector<uint8_t> piece(static_cast<size_t>(FramesPerPiece) * block);
    std::unique_lock lock(mutex_);
    const auto fail = [&](PaError error) {
        failure_ = PortAudioErrorText(error);
        running_ = false;
        wantRunning_ = false;
        acknowledged_.notify_all();
    };
    while (!quit_) {
        if (wantRunning_ != running_ && failure_.empty()) {
            const bool start = wantRunning_;
            lock.unlock();
            const PaError error = start ? Pa_StartStream(stream_) : Pa_StopStream(stream_);
            lock.lock();
            if (error != paNoError) {
                fail(error);
                continue;
            }
            running_ = start;
            if (!start) {
                Store(nullptr, 0); // what waits goes into the buffers given back since
                if (!queue_.empty() && queue_.front()->recorded > 0)
                    DeliverHead();
            }
            acknowledged_.notify_all();
            continue;
        }
        if (!running_) {
            wake_.wait(lock);
            continue;
        }
        lock.unlock();
        const PaError error = Pa_ReadStream(stream_, piece.data(), FramesPerPiece);
        lock.lock();
        // An overflow lost frames inside the stream; what was read is still good.
        if (error != paNoError && error != paInputOverflowed) {
            fail(error);
            continue;
        }
        position_ += FramesPerPiece;
        Store(piece.data(), FramesPerPiece * block);
    }
    if (running_)
        Pa_AbortStream(stream_);
    running_ = false;
}

} // namespace corvane
