#include "studio/VirtualWaveDevice.h"

#include <algorithm>
#include <stdexcept>

namespace corvane {

class VirtualWaveDevice::Stream final : public WaveDeviceStream {
public:
    Stream(VirtualWaveDevice& device, const WaveDeviceFormat& format, PlayedAudio& played,
           WaveDeviceDone onDone)
        : device_(device), format_(format), played_(played), poster_(device.studio_, std::move(onDone)) {}
    ~Stream() override {
        if (device_.stream_ == this)
            Detach();
    }

    const WaveDeviceFormat& Format() const override { return format_; }
    void SetOnFault(WaveDeviceFault onFault) override { poster_.SetOnFault(std::move(onFault)); }
    void Break(const std::string& call, const std::string& text) {
        device_.CatchUp();
        EndStarving();
        broken_ = true;
        poster_.PostFault(call, text);
    }

    void Write(WaveDeviceBuffer& buffer) override {
        Enter(Call::Write);
        EndStarving();
        queue_.push_back({&buffer, poster_.Epoch(), 0});
        CompleteEmptyHeads();
    }
    void Pause() override {
        Enter(Call::Pause);
        EndStarving();
        paused_ = true;
    }
    void Resume() override {
        Enter(Call::Resume);
        paused_ = false;
        CompleteEmptyHeads();
    }
    std::vector<WaveDeviceBuffer*> Reset() override {
        Enter(Call::Reset);
        EndStarving();
        poster_.Invalidate();
        std::vector<WaveDeviceBuffer*> returned;
        for (const Queued& q : queue_)
            returned.push_back(q.buffer);
        queue_.clear();
        position_ = 0;
        return returned;
    }
    uint64_t PositionSamples() const override {
        device_.ThrowIfFailing(Call::Position);
        const_cast<VirtualWaveDevice&>(device_).CatchUp();
        return device_.positionWrap_ ? position_ % device_.positionWrap_ : position_;
    }
    void Close() override {
        if (device_.stream_ != this)
            return;
        // A failing close still lets go of the device, as a real one does.
        try {
            Enter(Call::Close);
        } catch (...) {
            Detach();
            throw;
        }
        Detach();
    }

    bool Paused() const { return paused_; }
    size_t QueuedCount() const { return queue_.size(); }

    int64_t NextDueMs() const {
        if (paused_ || broken_ || queue_.empty())
            return -1;
        const uint64_t endFrame = played_.Frames() + FramesLeft(queue_.front());
        const uint64_t rate = format_.samplesPerSec;
        return played_.OriginMs() + static_cast<int64_t>((endFrame * 1000 + rate - 1) / rate);
    }

    // Plays up to the frame that sounds at nowMs.
    void PlayUntil(int64_t nowMs) {
        const uint64_t target = played_.MsToFrame(nowMs);
        while (played_.Frames() < target) {
            if (paused_ || broken_ || queue_.empty()) {
                played_.AppendSilence(target - played_.Frames());
                break;
            }
            Queued& head = queue_.front();
            const uint64_t frames = std::min(FramesLeft(head), target - played_.Frames());
            played_.AppendPlayed(head.buffer->data + head.offset, frames);
            head.offset += static_cast<uint32_t>(frames * format_.BlockAlign());
            position_ += frames;
            CompleteEmptyHeads();
        }
    }

private:
    struct Queued {
        WaveDeviceBuffer* buffer;
        uint64_t epoch;
        uint32_t offset;
    };

    uint64_t FramesLeft(const Queued& q) const { return (q.buffer->bytes - q.offset) / format_.BlockAlign(); }

    void Enter(Call call) {
        device_.ThrowIfFailing(call);
        device_.CatchUp();
    }

    // Buffers with nothing left to play complete at once.
    void CompleteEmptyHeads() {
        if (paused_)
            return;
        bool completed = false;
        while (!queue_.empty() && FramesLeft(queue_.front()) == 0) {
            poster_.Post(queue_.front().buffer, queue_.front().epoch);
            queue_.pop_front();
            completed = true;
        }
        if (completed && queue_.empty()) {
            starving_ = true;
            starvingSinceMs_ = played_.FrameToMs(played_.Frames());
        }
    }

    void EndStarving() {
        if (starving_)
            played_.AddUnderrun({starvingSinceMs_, device_.studio_.NowMs()});
        starving_ = false;
    }

    void Detach() {
        EndStarving();
        poster_.Detach();
        queue_.clear();
        device_.stream_ = nullptr;
    }

    VirtualWaveDevice& device_;
    WaveDeviceFormat format_;
    PlayedAudio& played_;
    CompletionPoster poster_;
    std::deque<Queued> queue_;
    bool paused_ = false;
    bool broken_ = false;
    uint64_t position_ = 0;
    bool starving_ = false;
    int64_t starvingSinceMs_ = 0;
};

VirtualWaveDevice::VirtualWaveDevice(VirtualStudio& studio, KeepSamples keep) : studio_(studio), keep_(keep) {
    studio_.AddTimeSource(this);
}

VirtualWaveDevice::~VirtualWaveDevice() {
    studio_.RemoveTimeSource(this);
    if (stream_)
        stream_->Close();
}

std::string VirtualWaveDevice::ProductName(int deviceId) const {
    if (deviceId == WaveMapperId && deviceCount_ > 0)
        deviceId = 0;
    if (deviceId < 0 || deviceId >= deviceCount_)
        throw WaveDeviceError("The specified device identifier is out of range");
    return "Virtual Wave Device " + std::to_string(deviceId + 1);
}

bool VirtualWaveDevice::CanPlay(int deviceId, const WaveDeviceFormat& format) const {
    ProductName(deviceId);
    if (failNext_.erase(Call::CanPlay) > 0 || failAlways_.contains(Call::CanPlay))
        return false;
    return format.IsPcm() && (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           (format.channels == 1 || format.channels == 2) && format.samplesPerSec >= 4000 &&
           format.samplesPerSec <= 100000;
}

std::unique_ptr<WaveDeviceStream> VirtualWaveDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                          WaveDeviceDone onDone) {
    ThrowIfFailing(Call::Open);
    ProductName(deviceId);
    if (stream_)
        throw WaveDeviceError("The specified device is already in use");
    if (!CanPlay(deviceId, format))
        throw WaveDeviceError("The specified format is not supported");
    played_.emplace_back(format, studio_.NowMs(), keep_);
    auto stream = std::make_unique<Stream>(*this, format, played_.back(), std::move(onDone));
    stream_ = stream.get();
    return stream;
}

void VirtualWaveDevice::FailNext(Call call, std::string text) {
    failNext_[call] = std::move(text);
}

void VirtualWaveDevice::FailAlways(Call call, std::string text) {
    failAlways_[call] = std::move(text);
}

void VirtualWaveDevice::Heal() {
    failNext_.clear();
    failAlways_.clear();
}

void VirtualWaveDevice::BreakStream(const std::string& call, const std::string& text) {
    if (stream_)
        stream_->Break(call, text);
}

void VirtualWaveDevice::ThrowIfFailing(Call call) const {
    if (const auto always = failAlways_.find(call); always != failAlways_.end())
        throw WaveDeviceError(always->second);
    const auto it = failNext_.find(call);
    if (it == failNext_.end())
        return;
    const std::string text = it->second;
    failNext_.erase(it);
    throw WaveDeviceError(text);
}

bool VirtualWaveDevice::IsPaused() const {
    return stream_ && stream_->Paused();
}

size_t VirtualWaveDevice::QueuedBuffers() const {
    return stream_ ? stream_->QueuedCount() : 0;
}

const std::deque<PlayedAudio>& VirtualWaveDevice::Streams() {
    CatchUp();
    return played_;
}

const PlayedAudio& VirtualWaveDevice::Played() {
    CatchUp();
    if (played_.empty())
        throw std::logic_error("VirtualWaveDevice: no stream was opened");
    return played_.back();
}

void VirtualWaveDevice::CatchUp() {
    if (stream_)
        stream_->PlayUntil(studio_.NowMs());
}

int64_t VirtualWaveDevice::NextDueMs() const {
    return stream_ ? stream_->NextDueMs() : -1;
}

void VirtualWaveDevice::Fire(int64_t nowMs) {
    if (stream_)
        stream_->PlayUntil(nowMs);
}

} // namespace corvane
