#include "audio/device/PortAudioWaveStream.h"

#include "audio/device/SoundServerProbe.h"

#include <algorithm>
#include <chrono>
#include <portaudio.h>
#include <utility>
#include <vector>

namespace corvane {
namespace {

// Frames per write: about 23 ms at 44.1 kHz, the longest a pause or reset
// waits for the writer; longer pieces would wake the writer less often but
// make those waits longer.
constexpr uint32_t FramesPerPiece = 1024;

// How long a reset may wait for the writer to let go of the queue. The
// writer never blocks inside PortAudio for long, so this is only reached
// when the sound system hangs a call; the stream then counts as failed.
constexpr auto ResetWaitLimit = std::chrono::seconds(2);

constexpr const char* StalledText = "The sound device stopped taking audio";
constexpr const char* HungText = "The sound device does not answer";

} // namespace

std::string PortAudioErrorText(int error) {
    if (error == paUnanticipatedHostError) {
        const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo();
        if (info && info->errorText && *info->errorText)
            return info->errorText;
    }
    const char* text = Pa_GetErrorText(error);
    return text ? text : "Specified error number is out of range (unknown error)";
}

PortAudioWaveStream::PortAudioWaveStream(void* paStream, const WaveDeviceFormat& format,
                                         Dispatcher& dispatcher, WaveDeviceDone onDone)
    : stream_(paStream), format_(format), poster_(dispatcher, std::move(onDone)),
      writer_(paStream, [this] { WriterLoop(); }) {}

PortAudioWaveStream::~PortAudioWaveStream() {
    try {
        Close();
    } catch (...) {
        // Closing in a destructor has nobody left to tell.
    }
}

void PortAudioWaveStream::ThrowIfFailed() const {
    if (!failure_.empty())
        throw WaveDeviceError(failure_);
}

void PortAudioWaveStream::Write(WaveDeviceBuffer& buffer) {
    std::lock_guard lock(mutex_);
    ThrowIfFailed();
    queue_.push_back({&buffer, poster_.Epoch(), 0, 0});
    wake_.notify_all();
}

void PortAudioWaveStream::Pause() {
    std::lock_guard lock(mutex_);
    ThrowIfFailed();
    paused_ = true;
    wake_.notify_all();
}

void PortAudioWaveStream::Resume() {
    std::lock_guard lock(mutex_);
    ThrowIfFailed();
    paused_ = false;
    wake_.notify_all();
}

std::vector<WaveDeviceBuffer*> PortAudioWaveStream::Reset() {
    std::unique_lock lock(mutex_);
    ThrowIfFailed();
    poster_.Invalidate();
    std::vector<WaveDeviceBuffer*> returned;
    for (const Queued& q : inFlight_)
        returned.push_back(q.buffer);
    for (const Queued& q : queue_)
        returned.push_back(q.buffer);
    inFlight_.clear();
    queue_.clear();
    // The writer may be inside a write from one of these buffers; wait until
    // it has let go of them and dropped what the stream still holds.
    const uint64_t ticket = ++resetsRequested_;
    wake_.notify_all();
    if (!wake_.wait_for(lock, ResetWaitLimit, [&] { return resetsDone_ >= ticket || quit_; })) {
        failure_ = HungText;
        failedCall_ = "WaveOutReset";
    }
    position_ = 0;
    ThrowIfFailed();
    return returned;
}

void PortAudioWaveStream::Close() {
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        closed_ = true;
        quit_ = true;
        queue_.clear();
        inFlight_.clear();
        wake_.notify_all();
    }
    poster_.Detach();
    writer_.JoinAndClose();
}

void PortAudioWaveStream::CompletePlayed(uint64_t streamPlayed) {
    while (!silences_.empty() && silences_.front().second <= streamPlayed) {
        silencePlayed_ += silences_.front().second - silences_.front().first;
        silences_.pop_front();
    }
    uint64_t silence = silencePlayed_;
    if (!silences_.empty() && silences_.front().first < streamPlayed)
        silence += streamPlayed - silences_.front().first;
    position_ = streamPlayed - silence;
    while (!inFlight_.empty() && inFlight_.front().end <= streamPlayed) {
        poster_.Post(inFlight_.front().buffer, inFlight_.front().epoch);
        inFlight_.pop_front();
    }
}

void PortAudioWaveStream::WriterLoop() {
    bool running = false;
    uint64_t written = 0; // stream frames (audio and pause silence) since the stream was last emptied
    long capacity = 0;    // frames the stream holds when full
    const std::vector<uint8_t> silence(FramesPerPiece * format_.BlockAlign(),
                                       format_.bitsPerSample == 8 ? 128 : 0);
    std::unique_lock lock(mutex_);
    auto fail = [&](const char* callName, std::string text) {
        failure_ = std::move(text);
        failedCall_ = callName;
    };
    // Runs a stream call without the lock; a failure stops the writer, is
    // posted to the fault handler and reported by every later call.
    auto call = [&](const char* callName, auto&& paCall) {
        lock.unlock();
        const PaError error = paCall();
        lock.lock();
        if (error != paNoError && error != paOutputUnderflowed) {
            fail(callName, PortAudioErrorText(error));
            return false;
        }
        return true;
    };
    StreamStallWatch stall(SoundServerAnswers);
    bool slowTold = false; // the notice of the stall under way has gone out
    auto watch = [&](long available) {
        switch (stall.Look(available, std::chrono::steady_clock::now())) {
        case StreamStallWatch::Verdict::Playing:
            slowTold = false;
            return true;
        case StreamStallWatch::Verdict::Slow:
            if (!std::exchange(slowTold, true))
                poster_.PostNotice(SlowServerText);
            return true;
        case StreamStallWatch::Verdict::Lost:
            break;
        }
        fail("WaveOutWrite", StalledText);
        return false;
    };
    // What has been heard: what was written, less what the stream still holds.
    auto settle = [&] {
        lock.unlock();
        const long available = Pa_GetStreamWriteAvailable(stream_);
        lock.lock();
        if (available < 0) {
            fail("WaveOutGetPosition", PortAudioErrorText(static_cast<int>(available)));
            return;
        }
        if (!watch(available))
            return;
        const long held = available >= 0 ? std::max(capacity - available, 0L) : 0;
        CompletePlayed(written - std::min<uint64_t>(static_cast<uint64_t>(held), written));
    };
    // Writes only what fits, so that a write never blocks on a stalled
    // sound server and a pause, reset or close is always seen within one
    // wait; until there is room, follows the stream as it plays.
    auto roomFor = [&](uint32_t frames) {
        lock.unlock();
        const long available = Pa_GetStreamWriteAvailable(stream_);
        lock.lock();
        if (available < 0) {
            fail("WaveOutWrite", PortAudioErrorText(static_cast<int>(available)));
            return false;
        }
        if (!watch(available))
            return false;
        if (static_cast<unsigned long>(available) >= frames)
            return true;
        const auto ms =
            (static_cast<long>(frames) - available) * 1000 / static_cast<long>(format_.samplesPerSec) + 1;
        settle();
        wake_.wait_for(lock, std::chrono::milliseconds(std::min(ms, 20L)));
        return false;
    };
    while (!quit_ && failure_.empty()) {
        if (resetsDone_ < resetsRequested_) {
            if (running && !call("WaveOutReset", [&] { return Pa_AbortStream(stream_); }))
                break;
            running = false;
            written = 0;
            silences_.clear();
            silencePlayed_ = 0;
            position_ = 0;
            resetsDone_ = resetsRequested_;
            wake_.notify_all();
            continue;
        }
        if (paused_ && running) {
            if (!roomFor(FramesPerPiece))
                continue;
            const uint64_t resetsBefore = resetsRequested_;
            if (!call("WaveOutWrite",
                      [&] { return Pa_WriteStream(stream_, silence.data(), FramesPerPiece); }))
                break;
            stall.Wrote(FramesPerPiece);
            if (resetsRequested_ != resetsBefore || quit_)
                continue;
            if (!silences_.empty() && silences_.back().second == written)
                silences_.back().second += FramesPerPiece;
            else
                silences_.emplace_back(written, written + FramesPerPiece);
            written += FramesPerPiece;
            settle();
            continue;
        }
        if (paused_ || queue_.empty()) {
            if (running && !inFlight_.empty()) {
                // Nothing more to write: follow the stream as it drains.
                settle();
                wake_.wait_for(lock, std::chrono::milliseconds(5));
            } else {
                wake_.wait(lock);
            }
            continue;
        }
        if (!running) {
            if (!call("WaveOutWrite", [&] { return Pa_StartStream(stream_); }))
                break;
            running = true;
            lock.unlock();
            capacity = Pa_GetStreamWriteAvailable(stream_);
            lock.lock();
            stall.Started(capacity, std::chrono::steady_clock::now());
            continue;
        }
        Queued& head = queue_.front();
        const uint32_t block = format_.BlockAlign();
        const uint32_t bytes = std::min(head.buffer->bytes - head.offset, FramesPerPiece * block);
        const uint8_t* data = head.buffer->data + head.offset;
        if (bytes >= block && !roomFor(bytes / block))
            continue;
        const uint64_t resetsBefore = resetsRequested_;
        if (!call("WaveOutWrite", [&] { return Pa_WriteStream(stream_, data, bytes / block); }))
            break;
        stall.Wrote(static_cast<long>(bytes / block));
        if (resetsRequested_ != resetsBefore || quit_)
            continue; // the queue was taken back while we wrote
        written += bytes / block;
        Queued& same = queue_.front();
        same.offset += bytes;
        if (same.offset >= same.buffer->bytes) {
            same.end = written;
            inFlight_.push_back(same);
            queue_.pop_front();
        }
        settle();
    }
    if (running) {
        lock.unlock();
        Pa_AbortStream(stream_);
        lock.lock();
    }
    // A failure met here, not asked for by Close, is the stream's own fault.
    if (!failure_.empty() && !quit_)
        poster_.PostFault(failedCall_, failure_);
    // Whoever waits for a reset must not wait for a writer that has ended.
    quit_ = true;
    wake_.notify_all();
}

} // namespace corvane
