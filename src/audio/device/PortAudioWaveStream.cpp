#include "audio/device/PortAudioWaveStream.h"

#include <algorithm>
#include <portaudio.h>
#include <system_error>

namespace corvane {
namespace {

// Frames per write: about 12 ms at 44.1 kHz, the longest a pause or reset
// waits for the writer.
constexpr uint32_t FramesPerPiece = 512;

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
    : stream_(paStream), format_(format), poster_(dispatcher, std::move(onDone)) {
    try {
        writer_ = std::thread([this] { WriterLoop(); });
    } catch (const std::system_error& e) {
        Pa_CloseStream(stream_);
        throw WaveDeviceError(std::string("Could not create the device thread: ") + e.what());
    }
}

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
    queue_.push_back({&buffer, poster_.Epoch(), 0});
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
    for (const Queued& q : queue_)
        returned.push_back(q.buffer);
    queue_.clear();
    // The writer may be inside a write from one of these buffers; wait until
    // it has let go of them and dropped what the stream still holds.
    const uint64_t ticket = ++resetsRequested_;
    wake_.notify_all();
    wake_.wait(lock, [&] { return resetsDone_ >= ticket || quit_; });
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
        wake_.notify_all();
    }
    poster_.Detach();
    if (writer_.joinable())
        writer_.join();
    const PaError error = Pa_CloseStream(stream_);
    if (error != paNoError)
        throw WaveDeviceError(PortAudioErrorText(error));
}

void PortAudioWaveStream::WriterLoop() {
    bool running = false;
    std::unique_lock lock(mutex_);
    // Runs a stream call without the lock; a failure stops the writer and is
    // reported by the next call from the main thread.
    auto call = [&](auto&& paCall) {
        lock.unlock();
        const PaError error = paCall();
        lock.lock();
        if (error != paNoError && error != paOutputUnderflowed) {
            failure_ = PortAudioErrorText(error);
            return false;
        }
        return true;
    };
    while (!quit_ && failure_.empty()) {
        if (resetsDone_ < resetsRequested_) {
            if (running && !call([&] { return Pa_AbortStream(stream_); }))
                break;
            running = false;
            position_ = 0;
            resetsDone_ = resetsRequested_;
            wake_.notify_all();
            continue;
        }
        if (paused_ || queue_.empty()) {
            // A pause lets what the stream holds play out, so nothing is cut.
            if (paused_ && running) {
                if (!call([&] { return Pa_StopStream(stream_); }))
                    break;
                running = false;
                continue;
            }
            wake_.wait(lock);
            continue;
        }
        if (!running) {
            if (!call([&] { return Pa_StartStream(stream_); }))
                break;
            running = true;
            continue;
        }
        Queued& head = queue_.front();
        const uint32_t block = format_.BlockAlign();
        const uint32_t bytes = std::min(head.buffer->bytes - head.offset, FramesPerPiece * block);
        const uint8_t* data = head.buffer->data + head.offset;
        const uint64_t resetsBefore = resetsRequested_;
        if (!call([&] { return Pa_WriteStream(stream_, data, bytes / block); }))
            break;
        if (resetsRequested_ != resetsBefore || quit_)
            continue; // the queue was taken back while we wrote
        position_ += bytes / block;
        Queued& same = queue_.front();
        same.offset += bytes;
        if (same.offset >= same.buffer->bytes) {
            poster_.Post(same.buffer, same.epoch);
            queue_.pop_front();
        }
    }
    if (running) {
        lock.unlock();
        Pa_AbortStream(stream_);
        lock.lock();
    }
    // Whoever waits for a reset must not wait for a writer that has ended.
    quit_ = true;
    wake_.notify_all();
}

} // namespace corvane
