#include "studio/VirtualWaveInDevice.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace corvane {

class VirtualWaveInDevice::Stream final : public WaveInStream, public VirtualDevice::TimedStream {
public:
    Stream(VirtualWaveInDevice& device, const WaveDeviceFormat& format, WaveInDone onDone)
        : device_(device), format_(format), onDone_(std::move(onDone)) {}
    ~Stream() override {
        if (device_.stream_ == this)
            device_.stream_ = nullptr;
    }

    const WaveDeviceFormat& Format() const override { return format_; }

    void AddBuffer(WaveInBuffer& buffer) override {
        std::lock_guard lock(mutex_);
        Enter(Call::AddBuffer);
        buffer.recorded = 0;
        queue_.push_back(&buffer);
        changed_.notify_all();
    }
    void Start() override {
        std::lock_guard lock(mutex_);
        Enter(Call::Start);
        if (!recording_) {
            recording_ = true;
            sinceMs_ = device_.studio_.NowMs();
            framesAtSince_ = frames_;
        }
    }
    void Stop() override {
        std::lock_guard lock(mutex_);
        Enter(Call::Stop);
        recording_ = false;
        changed_.notify_all();
        if (!queue_.empty() && queue_.front()->recorded > 0)
            DeliverHead();
    }
    std::vector<WaveInBuffer*> Reset() override {
        std::lock_guard lock(mutex_);
        Enter(Call::Reset);
        recording_ = false;
        changed_.notify_all();
        std::vector<WaveInBuffer*> returned(queue_.begin(), queue_.end());
        queue_.clear();
        position_ = 0;
        return returned;
    }
    uint64_t PositionSamples() const override {
        std::lock_guard lock(mutex_);
        device_.failures_.ThrowIfFailing(Call::Position);
        const_cast<Stream*>(this)->RecordUntil(device_.studio_.NowMs());
        return position_;
    }
    void Close() override {
        std::lock_guard lock(mutex_);
        if (device_.stream_ != this)
            return;
        Enter(Call::Close);
        queue_.clear();
        recording_ = false;
        changed_.notify_all();
        device_.stream_ = nullptr;
    }

    bool Recording() const {
        std::lock_guard lock(mutex_);
        return recording_;
    }
    size_t QueuedCount() const {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }
    bool WaitForQueued(size_t count, std::chrono::milliseconds bound) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, bound, [&] { return !recording_ || queue_.size() >= count; });
    }

    int64_t NextDueMs() const override {
        std::lock_guard lock(mutex_);
        if (!recording_ || queue_.empty())
            return -1;
        const WaveInBuffer& head = *queue_.front();
        const uint64_t end = frames_ + (head.bytes - head.recorded) / format_.BlockAlign();
        return FrameToMs(end);
    }

    void RunUntil(int64_t nowMs) override { RecordUntil(nowMs); }

    // Records every frame that has arrived by nowMs.
    void RecordUntil(int64_t nowMs) {
        std::lock_guard lock(mutex_);
        if (!recording_)
            return;
        const uint64_t rate = format_.samplesPerSec;
        const uint64_t target =
            framesAtSince_ + static_cast<uint64_t>(std::max<int64_t>(nowMs - sinceMs_, 0)) * rate / 1000;
        while (frames_ < target) {
            if (queue_.empty()) {
                // Nothing to record into: these frames are lost.
                position_ += target - frames_;
                frames_ = target;
                break;
            }
            WaveInBuffer& head = *queue_.front();
            const uint32_t block = format_.BlockAlign();
            const uint64_t n = std::min<uint64_t>((head.bytes - head.recorded) / block, target - frames_);
            for (uint64_t i = 0; i < n; ++i)
                WriteFrame(head.data + head.recorded + i * block, frames_ + i);
            head.recorded += static_cast<uint32_t>(n * block);
            frames_ += n;
            position_ += n;
            if (head.recorded + block > head.bytes)
                DeliverHead();
        }
    }

private:
    int64_t FrameToMs(uint64_t frame) const {
        const uint64_t rate = format_.samplesPerSec;
        return sinceMs_ + static_cast<int64_t>(((frame - framesAtSince_) * 1000 + rate - 1) / rate);
    }

    void WriteFrame(uint8_t* out, uint64_t frame) const {
        for (int c = 0; c < format_.channels; ++c) {
            const int16_t s = device_.Sample(frame, c);
            if (format_.bitsPerSample == 8) {
                out[c] = static_cast<uint8_t>((s >> 8) + 128);
            } else {
                out[2 * c] = static_cast<uint8_t>(s & 0xFF);
                out[2 * c + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
            }
        }
    }

    void DeliverHead() {
        WaveInBuffer* head = queue_.front();
        queue_.pop_front();
        onDone_(*head);
    }

    void Enter(Call call) {
        device_.failures_.ThrowIfFailing(call);
        RecordUntil(device_.studio_.NowMs());
    }

    // The studio's thread records while a wave input's own thread queues
    // buffers again.
    mutable std::recursive_mutex mutex_;
    // Told of every buffer queued and of the end of recording.
    mutable std::condition_variable_any changed_;
    VirtualWaveInDevice& device_;
    WaveDeviceFormat format_;
    WaveInDone onDone_;
    std::deque<WaveInBuffer*> queue_;
    bool recording_ = false;
    int64_t sinceMs_ = 0;
    uint64_t framesAtSince_ = 0;
    uint64_t frames_ = 0; // signal frames since the stream opened
    uint64_t position_ = 0;
};

VirtualWaveInDevice::VirtualWaveInDevice(VirtualStudio& studio)
    : VirtualDevice(studio, "Virtual Wave Input") {}

VirtualWaveInDevice::~VirtualWaveInDevice() {
    if (stream_)
        stream_->Close();
}

VirtualDevice::TimedStream* VirtualWaveInDevice::OpenStream() const {
    return stream_;
}

uint32_t VirtualWaveInDevice::StandardFormats(int deviceId) const {
    ProductName(deviceId);
    return formats_;
}

bool VirtualWaveInDevice::CanRecord(int deviceId, const WaveDeviceFormat& format) const {
    ProductName(deviceId);
    return !failures_.Fails(Call::CanRecord) && TakesFormat(format);
}

std::unique_ptr<WaveInStream> VirtualWaveInDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                        WaveInDone onDone) {
    failures_.ThrowIfFailing(Call::Open);
    if (stream_)
        throw WaveDeviceError("The specified device is already in use");
    if (!CanRecord(deviceId, format))
        throw WaveDeviceError("The specified format is not supported");
    auto stream = std::make_unique<Stream>(*this, format, std::move(onDone));
    stream_ = stream.get();
    return stream;
}

bool VirtualWaveInDevice::IsRecording() const {
    return stream_ && stream_->Recording();
}

size_t VirtualWaveInDevice::QueuedBuffers() const {
    return stream_ ? stream_->QueuedCount() : 0;
}

bool VirtualWaveInDevice::WaitForQueued(size_t count, std::chrono::milliseconds bound) const {
    return !stream_ || stream_->WaitForQueued(count, bound);
}

} // namespace corvane
