#include "studio/VirtualWaveInDevice.h"

#include <algorithm>
#include <deque>
#include <mutex>

namespace corvane {

class VirtualWaveInDevice::Stream final : public WaveInStream {
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
        if (!queue_.empty() && queue_.front()->recorded > 0)
            DeliverHead();
    }
    std::vector<WaveInBuffer*> Reset() override {
        std::lock_guard lock(mutex_);
        Enter(Call::Reset);
        recording_ = false;
        std::vector<WaveInBuffer*> returned(queue_.begin(), queue_.end());
        queue_.clear();
        position_ = 0;
        return returned;
    }
    uint64_t PositionSamples() const override {
        std::lock_guard lock(mutex_);
        device_.ThrowIfFailing(Call::Position);
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

    int64_t NextDueMs() const {
        std::lock_guard lock(mutex_);
        if (!recording_ || queue_.empty())
            return -1;
        const WaveInBuffer& head = *queue_.front();
        const uint64_t end = frames_ + (head.bytes - head.recorded) / format_.BlockAlign();
        return FrameToMs(end);
    }

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
        device_.ThrowIfFailing(call);
        RecordUntil(device_.studio_.NowMs());
    }

    // The studio's thread records while a wave input's own thread queues
    // buffers again.
    mutable std::recursive_mutex mutex_;
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

VirtualWaveInDevice::VirtualWaveInDevice(VirtualStudio& studio) : studio_(studio) {
    studio_.AddTimeSource(this);
}

VirtualWaveInDevice::~VirtualWaveInDevice() {
    studio_.RemoveTimeSource(this);
    if (stream_)
        stream_->Close();
}

std::string VirtualWaveInDevice::ProductName(int deviceId) const {
    if (deviceId == WaveMapperId && deviceCount_ > 0)
        deviceId = 0;
    if (deviceId < 0 || deviceId >= deviceCount_)
        throw WaveDeviceError("The specified device identifier is out of range");
    return "Virtual Wave Input " + std::to_string(deviceId + 1);
}

uint32_t VirtualWaveInDevice::StandardFormats(int deviceId) const {
    ProductName(deviceId);
    return formats_;
}

bool VirtualWaveInDevice::CanRecord(int deviceId, const WaveDeviceFormat& format) const {
    ProductName(deviceId);
    if (failNext_.erase(Call::CanRecord) > 0)
        return false;
    return format.IsPcm() && (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           (format.channels == 1 || format.channels == 2) && format.samplesPerSec >= 4000 &&
           format.samplesPerSec <= 100000;
}

std::unique_ptr<WaveInStream> VirtualWaveInDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                        WaveInDone onDone) {
    ThrowIfFailing(Call::Open);
    if (stream_)
        throw WaveDeviceError("The specified device is already in use");
    if (!CanRecord(deviceId, format))
        throw WaveDeviceError("The specified format is not supported");
    auto stream = std::make_unique<Stream>(*this, format, std::move(onDone));
    stream_ = stream.get();
    return stream;
}

void VirtualWaveInDevice::FailNext(Call call, std::string text) {
    failNext_[call] = std::move(text);
}

void VirtualWaveInDevice::ThrowIfFailing(Call call) const {
    const auto it = failNext_.find(call);
    if (it == failNext_.end())
        return;
    const std::string text = it->second;
    failNext_.erase(it);
    throw WaveDeviceError(text);
}

bool VirtualWaveInDevice::IsRecording() const {
    return stream_ && stream_->Recording();
}

size_t VirtualWaveInDevice::QueuedBuffers() const {
    return stream_ ? stream_->QueuedCount() : 0;
}

int64_t VirtualWaveInDevice::NextDueMs() const {
    return stream_ ? stream_->NextDueMs() : -1;
}

void VirtualWaveInDevice::Fire(int64_t nowMs) {
    if (stream_)
        stream_->RecordUntil(nowMs);
}

} // namespace corvane
