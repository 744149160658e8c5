#include "studio/VirtualWaveDevice.h"

#include <algorithm>
#include <stdexcept>

namespace corvane {

class VirtualWaveDevice::Stream final : public WaveDeviceStream, public VirtualDevice::TimedStream {
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
        device_.failures_.ThrowIfFailing(Call::Position);
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

    int64_t NextDueMs() const override {
        if (paused_ || broken_ || queue_.empty())
            return -1;
        const uint64_t endFrame = played_.Frames() + FramesLeft(queue_.front());
        const uint64_t rate = format_.samplesPerSec;
        return played_.OriginMs() + static_cast<int64_t>((endFrame * 1000 + rate - 1) / rate);
    }

    void RunUntil(int64_t nowMs) override { PlayUntil(nowMs); }

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
        device_.failures_.ThrowIfFailing(call);
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

VirtualWaveDevice::VirtualWaveDevice(VirtualStudio& studio, KeepSamples keep)
    : VirtualDevice(studio, "Virtual Wave Device"), keep_(keep) {}

VirtualWaveDevice::~VirtualWaveDevice() {
    if (stream_)
        stream_->Close();
}

VirtualDevice::TimedStream* VirtualWaveDevice::OpenStream() const {
    return stream_;
}

bool VirtualWaveDevice::CanPlay(int deviceId, const WaveDeviceFormat& format) const {
    ProductName(deviceId);
    return !failures_.Fails(Call::CanPlay) && TakesFormat(format);
}

std::unique_ptr<WaveDeviceStream> VirtualWaveDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                          WaveDeviceDone onDone) {
    failures_.ThrowIfFailing(Call::Open);
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

void VirtualWaveDevice::BreakStream(const std::string& call, const std::string& text) {
    if (stream_)
        stream_->Break(call, text);
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

} // namespace corvane
