#include "audio/output/TMMWaveOut.h"

#include "audio/chain/EMMError.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <new>

namespace corvane {

struct TMMWaveOut::Slot {
    BufferHeader header;
    WaveDeviceBuffer device;
    std::vector<uint8_t> data;
};

TMMWaveOut::TMMWaveOut(WaveDevice& device, Dispatcher& dispatcher, std::string name)
    : TMMWaveDeviceComponent(std::move(name)), device_(device), dispatcher_(dispatcher),
      self_(std::make_shared<TMMWaveOut*>(this)) {}

TMMWaveOut::~TMMWaveOut() {
    MarkDestroying();
    Close();
    self_.reset();
    Unlink();
}

void TMMWaveOut::FireError() {
    // A fault already being told (or closing the output after it) is not
    // told again: a handler that stops the output on a dead device would
    // otherwise start the same error over and over.
    if (reportingError_ || failing_)
        return;
    reportingError_ = true;
    try {
        Fire(OnError);
    } catch (...) {
        reportingError_ = false;
        throw;
    }
    reportingError_ = false;
}

void TMMWaveOut::Raise(const std::string& message, TMMWaveOutErrorSource source) {
    if (!reportingError_ && !failing_) {
        errorSource_ = source;
        errorMessage_ = message;
    }
    FireError();
    throw EMMWaveOutError(message);
}

void TMMWaveOut::Error(const std::string& message) {
    Raise(message, TMMWaveOutErrorSource::Output);
}

template <typename F> auto TMMWaveOut::DeviceCall(const char* call, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const WaveDeviceError& e) {
        const std::string text =
            *e.what() ? e.what() : "Specified error number is out of range (unknown error)";
        Raise(DeviceErrorText(call, text), TMMWaveOutErrorSource::Device);
    }
}

void TMMWaveOut::FireErrorUnlessRaised(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EMMWaveOutError&) {
        // Error has fired OnError already.
    } catch (...) {
        if (!reportingError_ && !failing_) {
            errorSource_ = TMMWaveOutErrorSource::Chain;
            errorMessage_ = ExceptionMessage(error);
        }
        FireError();
    }
}

void TMMWaveOut::FailOperation() {
    const std::exception_ptr error = std::current_exception();
    FireErrorUnlessRaised(error);
    failing_ = true;
    CloseWith(CloseMode::Forced);
    failing_ = false;
    std::rethrow_exception(error);
}

template <typename F> void TMMWaveOut::RunOperation(F&& operation) {
    try {
        operation();
    } catch (...) {
        stopping_ = false;
        if (failing_ || reportingError_ || closing_) {
            // Raised while the output is already reporting a fault or
            // closing: that fault has been told; let go of the device and
            // end here, so the caller (often OnError's own handler) goes on.
            FireErrorUnlessRaised(std::current_exception());
            DropDevice();
            return;
        }
        FailOperation();
    }
}

void TMMWaveOut::DropDevice() {
    const bool wasPlaying = state_.started || state_.paused;
    const bool wasOpen = stream_ != nullptr;
    if (stream_) {
        try {
            stream_->Close();
        } catch (const WaveDeviceError&) {
            // The device is already gone; there is nothing more to tell.
        }
        stream_.reset();
    }
    state_ = WaveDeviceState{};
    stopRequested_ = true;
    deferredStop_ = deferredClose_ = resetting_ = false;
    queued_ = 0;
    wrapCount_ = wrapSize_ = 0;
    // The slots stay allocated: buffer processing may still be unwinding
    // over one of them. The next Start or Close frees them.
    Guarded(Name(), [&] {
        if (wasPlaying)
            TMMCustomSoundComponent::Stopped();
        if (wasOpen)
            TMMCustomSoundComponent::Closed();
    });
    if (Destroying())
        return;
    if (wasPlaying)
        Fire(OnStop);
    if (wasOpen)
        Fire(OnClose);
}

void TMMWaveOut::EndFault(const std::exception_ptr& error) {
    failing_ = true;
    CloseWith(CloseMode::Forced);
    failing_ = false;
    HandleException(Name().empty() ? "TMMWaveOut" : Name(), error);
}

void TMMWaveOut::OnDeviceFault(const std::string& call, const std::string& text) {
    if (stream_ == nullptr)
        return;
    try {
        Raise(DeviceErrorText(call, text), TMMWaveOutErrorSource::Device);
    } catch (...) {
        EndFault(std::current_exception());
    }
}

void TMMWaveOut::SetDeviceID(int id) {
    CheckClosedForChange();
    deviceId_ = id;
}

void TMMWaveOut::SetCallBackMode(TMMCBMode) {
    CheckClosedForChange();
}

std::string TMMWaveOut::ProductName() const {
    const int count = device_.DeviceCount();
    if (count > 0 && (deviceId_ == WaveMapperId || (deviceId_ >= 0 && deviceId_ < count))) {
        try {
            return device_.ProductName(deviceId_);
        } catch (const WaveDeviceError&) {
            // fall through to the engine's wording
        }
    }
    return LoadMMString(MMString::NoWaveOutDevice);
}

WaveDeviceFormat TMMWaveOut::DeviceFormat() const {
    const WaveFormat& f = *GetWaveFormat();
    return WaveDeviceFormat{f.formatTag, f.channels, f.samplesPerSec, f.bitsPerSample};
}

void TMMWaveOut::SetWaveFormat(const WaveFormat* format) {
    if (state_.open && format != GetWaveFormat())
        Close();
    TMMCustomSoundComponent::SetWaveFormat(format);
}

void TMMWaveOut::BufferReady(BufferHeader*) {
    // The output plays what it pulls; nothing is pushed into it.
}

void TMMWaveOut::Open() {
    const int count = device_.DeviceCount();
    if (count == 0)
        Raise(LoadMMString(MMString::NoWaveOutDevice), TMMWaveOutErrorSource::Device);
    if (deviceId_ != WaveMapperId && (deviceId_ < 0 || deviceId_ >= count))
        Raise(LoadMMString(MMString::InvalidDeviceID), TMMWaveOutErrorSource::Device);
    if (GetWaveFormat() == nullptr)
        Error(DeviceErrorText("WaveOutOpen", LoadMMString(MMString::InvalidWaveFormatDevice)));
    if (state_.open)
        Close();
    RunOperation([&] {
        const WaveDeviceFormat format = DeviceFormat();
        bool playable = false;
        try {
            playable = device_.CanPlay(deviceId_, format);
        } catch (const WaveDeviceError&) {
            playable = false;
        }
        if (!playable)
            Raise(DeviceErrorText("WaveOutOpen", LoadMMString(MMString::DeviceCantPlayFormat)),
                  TMMWaveOutErrorSource::Device);
        TMMCustomSoundComponent::Opened();
        stream_ = DeviceCall("WaveOutOpen", [&] {
            return device_.Open(deviceId_, format,
                                [this](WaveDeviceBuffer& buffer) { OnDeviceDone(buffer); });
        });
        stream_->SetOnFault(
            [this](const std::string& call, const std::string& text) { OnDeviceFault(call, text); });
        stream_->SetOnNotice([this](const std::string& text) {
            if (OnDeviceNotice)
                OnDeviceNotice(text);
        });
        state_.open = true;
        Fire(OnOpen);
    });
}

TMMWaveOut::Slot& TMMWaveOut::SlotAt(int index) {
    while (static_cast<int>(slots_.size()) <= index) {
        try {
            auto slot = std::make_unique<Slot>();
            slot->data.assign(static_cast<size_t>(GetBufferSize()), 0);
            slots_.push_back(std::move(slot));
        } catch (const std::bad_alloc&) {
            Error(LoadMMString(MMString::UnableToAllocHeader));
        }
    }
    return *slots_[static_cast<size_t>(index)];
}

bool TMMWaveOut::FillBuffer(Slot& slot) {
    BufferHeader& h = slot.header;
    h.data = slot.data.data();
    h.bufferLength =
        static_cast<uint32_t>(std::min<size_t>(static_cast<size_t>(GetBufferSize()), slot.data.size()));
    h.bytesFilled = 0;
    h.nextQueued = nullptr;
    h.looping = looping_ ? MMTrue : 0;
    h.loopCount = loopCount_;
    h.loopsLeft = loopsLeft_;
    h.loopRestarted = 0;
    bool more = false;
    TMMDSPComponent::BufferLoad(&h, more);
    const uint32_t block = std::max<uint32_t>(GetWaveFormat() ? GetWaveFormat()->blockAlign : 1, 1);
    h.bytesFilled = std::min(h.bytesFilled, h.bufferLength);
    h.bytesFilled -= h.bytesFilled % block;
    h.bufferLength = h.bytesFilled;
    loopsLeft_ = h.loopsLeft;
    moreData_ = more && h.bytesFilled > 0;
    return more;
}

void TMMWaveOut::QueueBuffer(Slot& slot) {
    if (OnBufferFilled)
        OnBufferFilled(this, &slot.header);
    if (!stopRequested_) {
        slot.header.flags = WHDR_PREPARED;
        slot.device = WaveDeviceBuffer{slot.header.data, slot.header.bufferLength};
        DeviceCall("WaveOutWrite", [&] { stream_->Write(slot.device); });
        framesWritten_ += slot.header.bufferLength / std::max<uint32_t>(GetWaveFormat()->blockAlign, 1);
    }
    slot.header.bytesFilled = slot.header.bufferLength;
    ++queued_;
}

int TMMWaveOut::QueueInitialBuffers() {
    moreData_ = true;
    int i = 0;
    for (; i < numBuffers_ && moreData_; ++i) {
        Slot& slot = SlotAt(i);
        FillBuffer(slot);
        if (slot.header.bytesFilled == 0)
            break;
        QueueBuffer(slot);
    }
    return i;
}

void TMMWaveOut::Start() {
    if (!state_.open)
        Open();
    if (!state_.open || state_.started)
        return;
    RunOperation([&] {
        bytesPlayed_ = 0;
        framesWritten_ = 0;
        lastDevicePosition_ = 0;
        wrapCount_ = wrapSize_ = 0;
        samplesBeforeReset_ = 0;
        loopStart_ = 0;
        loopsLeft_ = loopCount_;
        stopRequested_ = deferredStop_ = resetting_ = false;
        completionIndex_ = 0;
        queued_ = 0;
        // Nothing may sound until the whole queue is in place.
        DeviceCall("WaveOutPause", [&] { stream_->Pause(); });
        TMMCustomSoundComponent::Started();
        buffersInUse_ = QueueInitialBuffers();
        if (buffersInUse_ == 0) {
            TMMCustomSoundComponent::Stopped();
            Error(DeviceErrorText("WaveOutStart", LoadMMString(MMString::UnableToStartDevice)));
        }
        state_.started = true;
        // A paused output keeps its queue waiting until Restart.
        if (!state_.paused)
            DeviceCall("WaveOutRestart", [&] { stream_->Resume(); });
        Fire(OnStart);
    });
}

void TMMWaveOut::OnDeviceDone(WaveDeviceBuffer&) {
    if (queued_ > 0)
        --queued_;
    if (resetting_ && queued_ == 0)
        resetting_ = false;
    if (stopRequested_ || resetting_ || !state_.started)
        return;
    try {
        ProcessCompletion();
    } catch (...) {
        // As a window procedure would: close, and hand the error to the
        // application's handler; the program plays on without this output.
        // The processing has told OnError already, once.
        EndFault(std::current_exception());
    }
}

void TMMWaveOut::ProcessCompletion() {
    ++processingDepth_;
    try {
        Slot& slot = *slots_[static_cast<size_t>(completionIndex_)];
        bytesPlayed_ += slot.header.bufferLength;
        completionIndex_ = (completionIndex_ + 1) % buffersInUse_;
        slot.header.flags |= WHDR_DONE;
        slot.header.nextQueued = &slots_[static_cast<size_t>(completionIndex_)]->header;
        TMMDSPComponent::BufferReady(&slot.header);

        const uint64_t position =
            DeviceCall("WaveOutGetPosition", [&] { return stream_->PositionSamples(); });
        if (position + 65534 < lastDevicePosition_) {
            // The device's sample counter wrapped.
            wrapSize_ = lastDevicePosition_ | 0xFFFFF;
            ++wrapCount_;
        }
        lastDevicePosition_ = position;

        if (moreData_ && !deferredStop_) {
            if (looping_ && slot.header.loopRestarted != 0) {
                loopStart_ = position;
                slot.header.loopRestarted = 0;
                Fire(OnLooping);
            }
            const bool promised = FillBuffer(slot);
            if (slot.header.bytesFilled > 0)
                QueueBuffer(slot);
            else if (promised && !deferredStop_)
                Error(LoadMMString(MMString::ErrorFillingBuffer));
            // else: the chain ended with an empty call; the queue plays out.
        }
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        FireErrorUnlessRaised(error);
        --processingDepth_;
        std::rethrow_exception(error);
    }
    --processingDepth_;
    if (processingDepth_ == 0 && (deferredStop_ || queued_ == 0)) {
        // The data ended (or a stop waited for us): stop from a fresh main
        // thread turn, once this processing has unwound.
        stopRequested_ = true;
        DeviceCall("WaveOutPause", [&] { stream_->Pause(); });
        PostStop();
    }
}

void TMMWaveOut::PostStop() {
    dispatcher_.Post([weak = std::weak_ptr<TMMWaveOut*>(self_)] {
        if (const auto self = weak.lock())
            (*self)->Stop();
    });
}

void TMMWaveOut::Pause() {
    if (!state_.open)
        Open();
    if (!state_.open || state_.paused)
        return;
    RunOperation([&] {
        if (state_.started)
            DeviceCall("WaveOutPause", [&] { stream_->Pause(); });
        state_.paused = true;
        TMMCustomSoundComponent::Paused();
        Fire(OnPause);
    });
}

void TMMWaveOut::Restart() {
    if (!state_.started || !state_.paused)
        return;
    RunOperation([&] {
        resetting_ = false;
        DeviceCall("WaveOutRestart", [&] { stream_->Resume(); });
        state_.paused = false;
        TMMCustomSoundComponent::Restarted();
        Fire(OnRestart);
    });
}

void TMMWaveOut::Stop() {
    // A stop asked for while this one talks to the device (from OnError, say)
    // has nothing to add.
    if ((!state_.started && !state_.paused) || stopping_)
        return;
    RunOperation([&] {
        stopping_ = true;
        stopRequested_ = true;
        resetting_ = true;
        wrapCount_ = wrapSize_ = 0;
        if (stream_)
            DeviceCall("WaveOutReset", [&] { stream_->Reset(); });
        stopping_ = false;
        if (processingDepth_ > 0) {
            deferredStop_ = true;
            return;
        }
        state_.started = false;
        state_.paused = false;
        // The reset gave every buffer back, and the device delivers no
        // completion from before it.
        queued_ = 0;
        resetting_ = false;
        TMMCustomSoundComponent::Stopped();
        FreeSlots();
        deferredStop_ = false;
        if (!Destroying())
            Fire(OnStop);
        if (deferredClose_)
            Close();
    });
}

void TMMWaveOut::FreeSlots() {
    slots_.clear();
    buffersInUse_ = 0;
    queued_ = 0;
    completionIndex_ = 0;
}

void TMMWaveOut::ResetPlayback() {
    if ((!state_.started && !state_.paused) || resetting_)
        return;
    RunOperation([&] {
        resetting_ = true;
        DeviceCall("WaveOutPause", [&] { stream_->Pause(); });
        DeviceCall("WaveOutReset", [&] { stream_->Reset(); });
        queued_ = 0;
        completionIndex_ = 0;
        framesWritten_ = 0;
        lastDevicePosition_ = 0;
        wrapCount_ = wrapSize_ = 0;
        samplesBeforeReset_ = 0;
        loopStart_ = 0;
        TMMCustomSoundComponent::Reset();
        resetting_ = false;
        buffersInUse_ = QueueInitialBuffers();
        if (buffersInUse_ == 0) {
            Stop();
            return;
        }
        if (!state_.paused)
            DeviceCall("WaveOutRestart", [&] { stream_->Resume(); });
    });
}

void TMMWaveOut::Close() {
    CloseWith(CloseMode::Normal);
}

void TMMWaveOut::CloseWith(CloseMode mode) {
    if (mode == CloseMode::Normal && (!state_.open || closing_) && !deferredClose_)
        return;
    if (stopping_) {
        // Asked from OnError while a stop's device call failed: the device
        // is gone, and stopping it again would only fail again.
        DropDevice();
        return;
    }
    closing_ = true;
    try {
        if (state_.started || state_.paused) {
            if (mode == CloseMode::Forced)
                processingDepth_ = 0; // an error unwound the processing
            Stop();
        }
        if (deferredStop_) {
            deferredClose_ = true;
            return;
        }
        deferredClose_ = false;
        CloseDevice();
    } catch (...) {
        // Closing never fails the caller; OnError has told what went wrong.
        closing_ = false;
        deferredClose_ = false;
    }
}

void TMMWaveOut::CloseDevice() {
    std::string failure;
    const bool wasOpen = stream_ != nullptr;
    if (stream_) {
        try {
            stream_->Close();
        } catch (const WaveDeviceError& e) {
            failure = e.what();
        }
        stream_.reset();
    }
    wrapCount_ = wrapSize_ = 0;
    TMMCustomSoundComponent::Closed();
    FreeSlots();
    state_ = WaveDeviceState{};
    closing_ = false;
    if (wasOpen && !Destroying())
        Fire(OnClose);
    if (!failure.empty())
        Error(DeviceErrorText("WaveOutClose", failure));
}

int64_t TMMWaveOut::HeldMs() const {
    if (!state_.started || stream_ == nullptr || GetWaveFormat() == nullptr || resetting_)
        return 0;
    uint64_t played = 0;
    try {
        played = stream_->PositionSamples();
    } catch (const WaveDeviceError&) {
        return 0;
    }
    if (wrapSize_ == 0 && played < framesWritten_)
        return static_cast<int64_t>((framesWritten_ - played) * 1000 / GetWaveFormat()->samplesPerSec);
    return 0;
}

int64_t TMMWaveOut::WrittenMs() const {
    const WaveFormat* format = GetWaveFormat();
    if (format == nullptr || format->samplesPerSec == 0)
        return 0;
    return static_cast<int64_t>(framesWritten_ * 1000 / format->samplesPerSec);
}

int64_t TMMWaveOut::Position() {
    if (!state_.open || closing_ || stream_ == nullptr || GetWaveFormat() == nullptr)
        return 0;
    const uint64_t device = DeviceCall("WaveOutGetPosition", [&] { return stream_->PositionSamples(); });
    const auto samples = static_cast<int64_t>(device + samplesBeforeReset_ + wrapCount_ * wrapSize_) -
                         static_cast<int64_t>(loopStart_);
    const WaveFormat& f = *GetWaveFormat();
    switch (timeFormat_) {
    case TMMTimeFormats::tfMillisecond:
        return samples * 1000 / static_cast<int64_t>(f.samplesPerSec);
    case TMMTimeFormats::tfByte:
        return samples * f.blockAlign;
    case TMMTimeFormats::tfSample:
        break;
    }
    return samples;
}

} // namespace corvane
