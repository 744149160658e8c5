#include "audio/input/TMMWaveIn.h"

#include "audio/chain/EMMError.h"
#include "audio/input/TMMWaveInThread.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <new>

namespace corvane {
namespace {

// How long the input waits for the device or its thread: 100 rounds of 10 ms.
constexpr std::chrono::milliseconds DeviceWait{1000};
constexpr std::chrono::milliseconds ThreadStartWait{5000};

const char* const CallbacksRefused =
    "\"CallBacks\" are called at interrupt time !\n\rThis is currently only supported under Windows 95";

} // namespace

// One buffer of the ring: the header handed down the chain, the device's
// view of it and the audio data.
struct TMMCustomWaveIn::Block {
    BufferHeader header;
    WaveInBuffer device;
    std::vector<uint8_t> data;
};

TMMCustomWaveIn::TMMCustomWaveIn(WaveInDevice& device, Dispatcher& dispatcher, Prompter& prompter,
                                 std::string name)
    : TMMWaveDeviceComponent(std::move(name), PublishedLinks::Output), device_(device),
      dispatcher_(dispatcher), prompter_(prompter), self_(std::make_shared<TMMCustomWaveIn*>(this)) {
    deviceCount_ = device_.DeviceCount();
    RebuildFormat();
    SetDeviceID(0);
}

TMMCustomWaveIn::~TMMCustomWaveIn() {
    MarkDestroying();
    try {
        Close();
    } catch (...) {
        // OnError has told; a destructor has nobody left to tell.
        CloseWith(CloseMode::Forced);
    }
    self_.reset();
    Unlink();
}

void TMMCustomWaveIn::Error(const std::string& message) {
    Fire(OnError);
    throw EMMWaveInError(message);
}

template <typename F> auto TMMCustomWaveIn::DeviceCall(const char* call, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const WaveDeviceError& e) {
        const std::string text =
            *e.what() ? e.what() : "Specified error number is out of range (unknown error)";
        Error(DeviceErrorText(call, text));
    }
}

void TMMCustomWaveIn::FailOperation() {
    const std::exception_ptr error = std::current_exception();
    try {
        std::rethrow_exception(error);
    } catch (const EMMWaveInError&) {
        // Error has fired OnError already.
    } catch (...) {
        Fire(OnError);
    }
    CloseWith(CloseMode::Forced);
    std::rethrow_exception(error);
}

template <typename F> void TMMCustomWaveIn::RunOperation(F&& operation) {
    try {
        operation();
    } catch (...) {
        FailOperation();
    }
}

void TMMCustomWaveIn::SetDeviceID(int id) {
    CheckClosedForChange();
    productName_ = LoadMMString(MMString::NoWaveInDevice);
    formatBits_ = 0;
    if (deviceCount_ > 0 && id >= WaveMapperId && id < deviceCount_) {
        try {
            productName_ = device_.ProductName(id);
            formatBits_ = device_.StandardFormats(id);
        } catch (const WaveDeviceError&) {
            productName_ = LoadMMString(MMString::NoWaveInDevice);
            formatBits_ = 0;
        }
        deviceId_ = id;
    } else {
        deviceId_ = InvalidWaveInDeviceId;
    }
}

void TMMCustomWaveIn::SetSampleRate(int rate) {
    CheckClosedForChange();
    sampleRate_ = std::clamp(rate, MinSampleRate, MaxSampleRate);
    RebuildFormat();
}

void TMMCustomWaveIn::SetBitLength(TMMBits bits) {
    CheckClosedForChange();
    bitLength_ = bits;
    RebuildFormat();
}

void TMMCustomWaveIn::SetMode(TMMMode mode) {
    CheckClosedForChange();
    mode_ = mode;
    RebuildFormat();
}

void TMMCustomWaveIn::SetCallBackMode(TMMCBMode mode) {
    CheckClosedForChange();
    if (mode == TMMCBMode::cmCallback) {
        prompter_.Show(CallbacksRefused, MessageType::Warning, MessageButtons::Ok);
        return;
    }
    callBackMode_ = mode;
}

void TMMCustomWaveIn::RebuildFormat() {
    const WaveFormat f =
        PcmWaveFormat(bitLength_ == TMMBits::b16Bit ? 16 : 8, mode_ == TMMMode::mStereo ? 2 : 1, sampleRate_);
    TMMCustomSoundComponent::SetWaveFormat(&f);
}

void TMMCustomWaveIn::SetWaveFormat(const WaveFormat* format) {
    if (format == nullptr) {
        TMMCustomSoundComponent::SetWaveFormat(nullptr);
        return;
    }
    // The recorder hands its stored format on: take it over through the
    // properties, so that they and the format always agree.
    CheckClosedForChange();
    sampleRate_ = std::clamp(static_cast<int>(format->samplesPerSec), MinSampleRate, MaxSampleRate);
    bitLength_ = format->bitsPerSample == 16 ? TMMBits::b16Bit : TMMBits::b8Bit;
    mode_ = format->channels == 2 ? TMMMode::mStereo : TMMMode::mMono;
    RebuildFormat();
}

int64_t TMMCustomWaveIn::ComputeByteLimit() const {
    const WaveFormat* f = GetWaveFormat();
    if (maxRecordTime_ < 0 || f == nullptr || f->blockAlign == 0)
        return INT64_MAX;
    int64_t bytes = 0;
    switch (timeFormat_) {
    case TMMTimeFormats::tfMillisecond:
        bytes = maxRecordTime_ * static_cast<int64_t>(f->avgBytesPerSec) / 1000;
        break;
    case TMMTimeFormats::tfSample:
        bytes = maxRecordTime_ * f->blockAlign;
        break;
    case TMMTimeFormats::tfByte:
        bytes = maxRecordTime_;
        break;
    }
    return bytes / f->blockAlign * f->blockAlign;
}

void TMMCustomWaveIn::SetMaxRecordTime(int64_t value) {
    maxRecordTime_ = value;
    byteLimit_ = ComputeByteLimit();
}

void TMMCustomWaveIn::SetTimeFormat(TMMTimeFormats format) {
    const WaveFormat* f = GetWaveFormat();
    const int64_t limit = ComputeByteLimit();
    timeFormat_ = format;
    if (maxRecordTime_ < 0 || f == nullptr || limit == INT64_MAX || f->avgBytesPerSec == 0)
        return;
    switch (format) {
    case TMMTimeFormats::tfMillisecond:
        maxRecordTime_ = limit * 1000 / f->avgBytesPerSec;
        break;
    case TMMTimeFormats::tfSample:
        maxRecordTime_ = limit / f->blockAlign;
        break;
    case TMMTimeFormats::tfByte:
        maxRecordTime_ = limit;
        break;
    }
}

void TMMCustomWaveIn::Open() {
    if (deviceCount_ == 0)
        Error(LoadMMString(MMString::NoWaveInDevice));
    if (deviceId_ == InvalidWaveInDeviceId)
        Error(LoadMMString(MMString::InvalidDeviceID));
    if (GetWaveFormat() == nullptr)
        Error(LoadMMString(MMString::InvalidWaveFormatDevice));
    if (state_.open)
        Close();
    RunOperation([&] {
        const WaveFormat& f = *GetWaveFormat();
        const WaveDeviceFormat format{f.formatTag, f.channels, f.samplesPerSec, f.bitsPerSample};
        bool recordable = false;
        try {
            recordable = device_.CanRecord(deviceId_, format);
        } catch (const WaveDeviceError&) {
            recordable = false;
        }
        const uint32_t standard = StandardFormatBit(format);
        if (!recordable || (standard != 0 && (formatBits_ & standard) == 0))
            Error(DeviceErrorText("WaveInOpen", LoadMMString(MMString::DeviceCantRecordFormat)));
        if (callBackMode_ == TMMCBMode::cmThread) {
            thread_ = std::make_unique<TMMWaveInThread>(this, dispatcher_, done_,
                                                        [this](WaveInBuffer& b) { HandleDoneGuarded(b); });
            if (!thread_->StartAndWaitReady(ThreadStartWait))
                Error(DeviceErrorText("WaveIn", LoadMMString(MMString::CouldNotCreateThread)));
        }
        stream_ = DeviceCall("WaveInOpen", [&] {
            return device_.Open(deviceId_, format, [this](WaveInBuffer& b) { DeviceDone(b); });
        });
        state_.open = true;
        TMMCustomSoundComponent::Opened();
        try {
            blocks_.clear();
            for (int i = 0; i < numBuffers_; ++i) {
                auto block = std::make_unique<Block>();
                block->data.assign(static_cast<size_t>(GetBufferSize()), 0);
                block->header.data = block->data.data();
                block->header.bufferLength = static_cast<uint32_t>(block->data.size());
                block->device.data = block->data.data();
                block->device.bytes = static_cast<uint32_t>(block->data.size() / f.blockAlign * f.blockAlign);
                block->device.tag = i;
                blocks_.push_back(std::move(block));
            }
        } catch (const std::bad_alloc&) {
            Error(LoadMMString(MMString::UnableToAllocHeader));
        }
        Fire(OnOpen);
    });
}

void TMMCustomWaveIn::Start() {
    if (!state_.open)
        Open();
    if (!state_.open || state_.started)
        return;
    RunOperation([&] {
        bytesRecorded_ = 0;
        bufferIndex_ = 0;
        byteLimit_ = ComputeByteLimit();
        resetting_ = false;
        limitReached_ = false;
        stopPosted_ = false;
        handlerFailed_ = false;
        deviceStopped_ = false;
        stopPending_ = false;
        done_.Clear();
        for (auto& block : blocks_) {
            block->header.flags = WHDR_PREPARED;
            DeviceCall("WaveInAddBuffer", [&] { stream_->AddBuffer(block->device); });
        }
        state_.started = true;
        accepting_ = true;
        // The chain is ready before the first buffer can reach it.
        TMMCustomSoundComponent::Started();
        if (!state_.paused)
            DeviceCall("WaveInStart", [&] { stream_->Start(); });
        Fire(OnStart);
    });
}

void TMMCustomWaveIn::DeviceDone(WaveInBuffer& buffer) {
    done_.Push(&buffer);
    if (callBackMode_ == TMMCBMode::cmWindow) {
        dispatcher_.Post([weak = std::weak_ptr<TMMCustomWaveIn*>(self_)] {
            if (const auto self = weak.lock())
                (*self)->DrainOnMainThread();
        });
    }
    // cmThread: the input's thread is waiting on the queue.
}

void TMMCustomWaveIn::DrainOnMainThread() {
    while (WaveInBuffer* buffer = done_.Take()) {
        HandleDoneGuarded(*buffer);
        done_.Finished();
    }
}

void TMMCustomWaveIn::HandleDoneGuarded(WaveInBuffer& buffer) {
    try {
        HandleDone(buffer);
    } catch (...) {
        // As the device's window would: close the input on the main thread
        // and hand the error to the application's handler. OnError fired
        // when the error was raised (or fires now for one not the input's).
        const std::exception_ptr error = std::current_exception();
        if (handlerFailed_.exchange(true))
            return;
        dispatcher_.Post([weak = std::weak_ptr<TMMCustomWaveIn*>(self_), error] {
            const auto self = weak.lock();
            if (!self)
                return;
            TMMCustomWaveIn& in = **self;
            try {
                std::rethrow_exception(error);
            } catch (const EMMWaveInError&) {
            } catch (...) {
                in.Fire(in.OnError);
            }
            in.CloseWith(CloseMode::Forced);
            HandleException(in.Name().empty() ? "TMMWaveIn" : in.Name(), error);
        });
    }
}

void TMMCustomWaveIn::HandleDone(WaveInBuffer& buffer) {
    if (!accepting_ || handlerFailed_)
        return;
    Block& block = *blocks_[static_cast<size_t>(buffer.tag)];
    block.header.flags |= WHDR_DONE;
    // A buffer stopped short still holds audio that was recorded: deliver it.
    if (buffer.recorded > 0 && !limitReached_)
        Deliver(block);
    std::lock_guard lock(cs_);
    if (!resetting_ && !limitReached_) {
        block.header.flags = WHDR_PREPARED;
        DeviceCall("WaveInAddBuffer", [&] { stream_->AddBuffer(buffer); });
    }
}

void TMMCustomWaveIn::Deliver(Block& block) {
    BufferHeader& h = block.header;
    h.data = block.data.data();
    h.bufferLength = block.device.recorded;
    h.bytesFilled = block.device.recorded;
    const uint64_t total = bytesRecorded_ + h.bufferLength;
    if (static_cast<int64_t>(total) >= byteLimit_) {
        h.bufferLength -= static_cast<uint32_t>(total - static_cast<uint64_t>(byteLimit_));
        h.bytesFilled = h.bufferLength;
        bytesRecorded_ = static_cast<uint64_t>(byteLimit_);
        limitReached_ = true;
    } else {
        bytesRecorded_ = total;
    }
    bufferIndex_ = (bufferIndex_ + 1) % numBuffers_;
    if (h.bufferLength > 0)
        TMMDSPComponent::BufferReady(&h);
    if (limitReached_)
        PostStop();
}

void TMMCustomWaveIn::PostStop() {
    if (stopPosted_.exchange(true))
        return;
    dispatcher_.Post([weak = std::weak_ptr<TMMCustomWaveIn*>(self_)] {
        if (const auto self = weak.lock()) {
            (*self)->stopPosted_ = false;
            (*self)->Stop();
        }
    });
}

void TMMCustomWaveIn::Pause() {
    if (!state_.open)
        Open();
    if (!state_.open || state_.paused)
        return;
    RunOperation([&] {
        if (state_.started)
            DeviceCall("WaveInPause", [&] { stream_->Stop(); });
        state_.paused = true;
        TMMCustomSoundComponent::Paused();
        Fire(OnPause);
    });
}

void TMMCustomWaveIn::Restart() {
    if (!state_.started || !state_.paused)
        return;
    RunOperation([&] {
        DeviceCall("WaveInRestart", [&] { stream_->Start(); });
        state_.paused = false;
        TMMCustomSoundComponent::Restarted();
        Fire(OnRestart);
    });
}

void TMMCustomWaveIn::Stop() {
    if (!state_.started && !state_.paused)
        return;
    RunOperation([&] {
        if (!deviceStopped_) {
            {
                std::lock_guard lock(cs_);
                resetting_ = true;
            }
            // The buffer being filled comes back with what it holds; the
            // empty ones the reset returns carry nothing to deliver.
            DeviceCall("WaveInStop", [&] { stream_->Stop(); });
            DeviceCall("WaveInReset", [&] { stream_->Reset(); });
            deviceStopped_ = true;
        }
        if (callBackMode_ == TMMCBMode::cmWindow)
            DrainOnMainThread();
        else if (!done_.WaitUntilIdle(DeviceWait)) {
            // The thread is still writing: the stop completes when it is done.
            stopPending_ = true;
            PostStop();
            return;
        }
        FinishStop();
    });
}

void TMMCustomWaveIn::FinishStop() {
    stopPending_ = false;
    accepting_ = false;
    state_.started = false;
    state_.paused = false;
    bufferIndex_ = 0;
    TMMCustomSoundComponent::Stopped();
    if (!Destroying())
        Fire(OnStop);
    if (closePending_)
        Close();
}

void TMMCustomWaveIn::Close() {
    CloseWith(CloseMode::Normal);
}

void TMMCustomWaveIn::StopThread() {
    if (thread_) {
        thread_->Stop();
        thread_.reset();
    }
}

void TMMCustomWaveIn::CloseWith(CloseMode mode) {
    if (!state_.open && !stream_ && !thread_)
        return;
    if (mode == CloseMode::Normal && closing_ && !closePending_)
        return;
    closing_ = true;
    std::string failure;
    try {
        if (state_.started || state_.paused) {
            if (mode == CloseMode::Normal) {
                Stop();
                if (stopPending_) {
                    closePending_ = true;
                    return;
                }
            } else {
                std::lock_guard lock(cs_);
                resetting_ = true;
            }
        }
        closePending_ = false;
        if (stream_) {
            try {
                stream_->Close();
            } catch (const WaveDeviceError& e) {
                failure = e.what();
            }
        }
        // No handler runs once the thread is gone and the stream closed.
        StopThread();
        done_.Clear();
        stream_.reset();
        accepting_ = false;
        const bool wasOpen = state_.open;
        if (state_.started || state_.paused)
            TMMCustomSoundComponent::Stopped();
        state_ = WaveDeviceState{};
        TMMCustomSoundComponent::Closed();
        blocks_.clear();
        closing_ = false;
        if (wasOpen && !Destroying())
            Fire(OnClose);
    } catch (...) {
        closing_ = false;
        closePending_ = false;
        if (mode == CloseMode::Normal)
            throw;
        return;
    }
    if (!failure.empty() && mode == CloseMode::Normal)
        Error(DeviceErrorText("WaveInClose", failure));
}

int64_t TMMCustomWaveIn::Position() {
    const WaveFormat* f = GetWaveFormat();
    if (!state_.open || closing_ || f == nullptr || stream_ == nullptr)
        return 0;
    const auto samples =
        static_cast<int64_t>(DeviceCall("WaveInGetPosition", [&] { return stream_->PositionSamples(); }));
    int64_t value = samples;
    switch (timeFormat_) {
    case TMMTimeFormats::tfMillisecond:
        value = samples * 1000 / static_cast<int64_t>(f->samplesPerSec);
        break;
    case TMMTimeFormats::tfByte:
        value = samples * f->blockAlign;
        break;
    case TMMTimeFormats::tfSample:
        break;
    }
    if (maxRecordTime_ > 0)
        value = std::min(value, maxRecordTime_);
    return value;
}

} // namespace corvane
