#include "audio/output/TMMWaveMixer.h"

#include "audio/chain/EMMError.h"
#include "audio/chain/TMMCustomSoundComponent.h"

#include <algorithm>
#include <cstring>

namespace corvane {
namespace {

constexpr uint32_t FrameBytes = 4; // 16-bit stereo
// Port buffers are never smaller than this (bytes), so that no allocation
// happens while mixing.
constexpr uint32_t MinPortBufferSize = 65536;
// The largest block a converting port pulls from its chain at once (bytes).
constexpr uint32_t MaxConversionBlock = 8192;

} // namespace

TMMWaveMixer::TMMWaveMixer(std::string name) : TMMDSPComponent(std::move(name), PublishedLinks::Output) {
    RebuildFormat();
}

TMMWaveMixer::~TMMWaveMixer() {
    MarkDestroying();
    Closed();
    for (int i = 0; i < PortCount; ++i)
        SetPortInput(i, nullptr);
    Unlink();
}

std::string TMMWaveMixer::PortProperty(int index) {
    return "Input" + std::to_string(index + 1);
}

int TMMWaveMixer::PortOf(std::string_view property) const {
    for (int i = 0; i < PortCount; ++i)
        if (SamePropertyName(property, PortProperty(i)))
            return i;
    return -1;
}

bool TMMWaveMixer::PublishesLink(std::string_view property) const {
    return PortOf(property) >= 0 || TMMDSPComponent::PublishesLink(property);
}

TMMDSPComponent* TMMWaveMixer::PublishedLink(std::string_view property) const {
    const int port = PortOf(property);
    return port >= 0 ? ports_[port].input : TMMDSPComponent::PublishedLink(property);
}

TMMDSPComponent* TMMWaveMixer::PortInput(int index) const {
    return ValidPort(index) ? ports_[index].input : nullptr;
}

bool TMMWaveMixer::CanConnectPort(int index, TMMDSPComponent* input) {
    for (int j = 0; j < PortCount; ++j)
        if (j != index && ports_[j].input == input)
            return false;
    // Refuses the mixer itself, a component without Output, and anything
    // downstream of the mixer.
    return TMMDSPComponent::CanConnectInput(input);
}

void TMMWaveMixer::SetPortInput(int index, TMMDSPComponent* input) {
    if (!ValidPort(index) || input == ports_[index].input)
        return;
    if (input != nullptr && !CanConnectPort(index, input))
        return;
    std::lock_guard lock(lock_);
    ClosePort(index);
    Port& port = ports_[index];
    if (port.input != nullptr)
        NotifyLinkChanged(this, LinkSide::Input, PortProperty(index));
    port.input = nullptr;
    if (input == nullptr)
        return;
    NotifyLinkChanged(input, LinkSide::Output, "Output");
    port.input = input;
    input->SetOutputLink(this, PortProperty(index));
    port.held = !(IsOpened() && position_ >= port.startFrame);
}

void TMMWaveMixer::SetLoop(int index, bool loop) {
    if (!ValidPort(index))
        return;
    Port& port = ports_[index];
    port.loop = loop;
    port.loopsLeft = port.loopCount;
    if (IsOpened() && position_ >= port.startFrame)
        port.held = false;
}

bool TMMWaveMixer::Loop(int index) const {
    return ValidPort(index) && ports_[index].loop;
}

void TMMWaveMixer::SetLoopCount(int index, int count) {
    if (!ValidPort(index))
        return;
    ports_[index].loopCount = static_cast<int16_t>(count);
    ports_[index].loopsLeft = ports_[index].loopCount;
}

int TMMWaveMixer::LoopCount(int index) const {
    return ValidPort(index) ? ports_[index].loopCount : 0;
}

void TMMWaveMixer::SetSampleRate(int rate) {
    rate = std::clamp(rate, 8000, 100000);
    if (rate == sampleRate_ && GetWaveFormat() != nullptr)
        return;
    sampleRate_ = rate;
    RebuildFormat();
}

void TMMWaveMixer::RebuildFormat() {
    const WaveFormat format = PcmWaveFormat(16, 2, sampleRate_);
    TMMDSPComponent::SetWaveFormat(&format);
}

void TMMWaveMixer::SetVolume(int32_t volume) {
    volume_ = volume;
    gains_ = GainsFromVolume(volume_, panning_);
}

void TMMWaveMixer::SetPanning(int32_t panning) {
    panning_ = std::clamp(panning, -UnityGain, UnityGain);
    gains_ = GainsFromVolume(volume_, panning_);
}

int64_t TMMWaveMixer::FramesToTime(int64_t frames) const {
    switch (timeFormat_) {
    case TMMTimeFormats::tfMillisecond:
        return frames * 1000 / sampleRate_;
    case TMMTimeFormats::tfByte:
        return frames * FrameBytes;
    case TMMTimeFormats::tfSample:
        break;
    }
    return frames;
}

int64_t TMMWaveMixer::TimeToFrames(int64_t time) const {
    switch (timeFormat_) {
    case TMMTimeFormats::tfMillisecond:
        return time * sampleRate_ / 1000;
    case TMMTimeFormats::tfByte:
        return time / FrameBytes;
    case TMMTimeFormats::tfSample:
        break;
    }
    return time;
}

void TMMWaveMixer::HoldPort(int index, bool hold) {
    if (!ValidPort(index) || ports_[index].input == nullptr)
        return;
    std::lock_guard lock(lock_);
    if (hold)
        ClosePort(index);
    ports_[index].held = hold;
}

bool TMMWaveMixer::PortDone(int index) const {
    if (!ValidPort(index))
        return true;
    std::lock_guard lock(lock_);
    const Port& port = ports_[index];
    return port.input != nullptr && port.held && (!port.conversion || port.conversion->Waiting() == 0);
}

bool TMMWaveMixer::CanConnectOutput(TMMDSPComponent* candidate) {
    if (!TMMDSPComponent::CanConnectOutput(candidate))
        return false;
    for (const Port& port : ports_)
        if (port.input != nullptr && (port.input == candidate || !port.input->CanConnectOutput(candidate)))
            return false;
    return true;
}

void TMMWaveMixer::LinkChanged(TMMDSPComponent* component, LinkSide side, std::string_view partnerProperty) {
    // A port input that is about to feed something else leaves its port.
    if (side == LinkSide::Output && component != nullptr) {
        for (int i = 0; i < PortCount; ++i) {
            if (ports_[i].input == component) {
                std::lock_guard lock(lock_);
                ClosePort(i);
                ports_[i].input = nullptr;
            }
        }
    }
    TMMDSPComponent::LinkChanged(component, side, partnerProperty);
}

void TMMWaveMixer::FreeNotification(TMMDSPComponent* freed) {
    for (Port& port : ports_)
        if (port.input == freed) {
            port.input = nullptr;
            port.conversion.reset();
            port.openedNotified = false;
        }
    TMMDSPComponent::FreeNotification(freed);
}

void TMMWaveMixer::InputFormatChanged(const WaveFormat*) {
    // The mixer's format is its own, whatever its ports deliver.
}

void TMMWaveMixer::SetWaveFormat(const WaveFormat* format) {
    if (Loading())
        return;
    if (!IsValidPcm(format))
        throw EMMWaveMixerError(MMString::InvalidWaveFormat);
    sampleRate_ = 0; // force the rebuild
    SetSampleRate(static_cast<int>(format->samplesPerSec));
}

void TMMWaveMixer::Opened() {
    if (IsOpened())
        return;
    TMMDSPComponent::Opened();
    const uint32_t size = std::max<uint32_t>(MinPortBufferSize, static_cast<uint32_t>(GetBufferSize()));
    std::lock_guard lock(lock_);
    for (Port& port : ports_) {
        port.buffer.assign(size, 0);
        port.length = 0;
    }
    accumulator_.assign(size / FrameBytes * 2, 0);
    overflow_ = false;
}

void TMMWaveMixer::Closed() {
    std::lock_guard lock(lock_);
    CloseAllPorts();
    for (Port& port : ports_) {
        port.buffer.clear();
        port.buffer.shrink_to_fit();
    }
    accumulator_.clear();
    TMMDSPComponent::Closed();
}

void TMMWaveMixer::Started() {
    std::lock_guard lock(lock_);
    CloseAllPorts();
    position_ = 0;
    overflow_ = false;
    for (Port& port : ports_)
        port.held = false;
    TMMDSPComponent::Started();
}

void TMMWaveMixer::Stopped() {
    std::lock_guard lock(lock_);
    TMMDSPComponent::Stopped();
    CloseAllPorts();
}

void TMMWaveMixer::Reset() {
    std::lock_guard lock(lock_);
    CloseAllPorts();
    position_ = 0;
    for (Port& port : ports_)
        port.held = false;
}

void TMMWaveMixer::BufferReady(BufferHeader*) {
    // A source: nothing is pushed into the mixer.
}

void TMMWaveMixer::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    const int64_t framesLeft = endPosition_ - position_;
    const auto frames =
        static_cast<uint32_t>(std::min<int64_t>(header->bufferLength / FrameBytes, framesLeft));
    FillPorts(frames);
    Mix(header->data, frames);
    header->bytesFilled = frames * FrameBytes;
    position_ += frames;
    moreBuffers = position_ < endPosition_ || !IsStarted();
}

void TMMWaveMixer::CloseAllPorts() {
    for (int i = 0; i < PortCount; ++i)
        ClosePort(i);
}

void TMMWaveMixer::ForEachInPortChain(int index, const std::function<void(TMMDSPComponent&)>& op) {
    TMMDSPComponent* top = ports_[index].input;
    if (top == nullptr)
        return;
    while (top->Input() != nullptr)
        top = top->Input();
    for (TMMDSPComponent* c = top; c != nullptr && c != this; c = c->Output())
        if (!IsSoundComponent(c))
            op(*c);
}

void TMMWaveMixer::OpenPort(int index) {
    Port& port = ports_[index];
    port.framesPlayed = 0;
    port.held = false;
    port.openedNotified = false;
    port.needsConversion = false;
    port.conversionOk = false;
    port.conversion.reset();
    const WaveFormat* from = port.input->GetWaveFormat();
    if (from != nullptr && !SameSampleFormat(*from, *GetWaveFormat())) {
        port.needsConversion = true;
        // Pull no more than the chain's own buffer size at once.
        const uint32_t block = std::min<uint32_t>(MaxConversionBlock, static_cast<uint32_t>(GetBufferSize()));
        port.conversion = MixerPortConversion::Create(*from, *GetWaveFormat(), block);
        if (!port.conversion) {
            ClosePort(index);
            return;
        }
        port.conversionOk = true;
    }
    const int size = GetBufferSize();
    ForEachInPortChain(index, [size](TMMDSPComponent& c) {
        c.SetBufferSize(size);
        c.Opened();
        c.Started();
    });
}

void TMMWaveMixer::ClosePort(int index) {
    Port& port = ports_[index];
    if (port.input == nullptr)
        return;
    port.held = true;
    ForEachInPortChain(index, [](TMMDSPComponent& c) {
        c.Stopped();
        c.Closed();
    });
    port.conversion.reset();
    if (port.openedNotified) {
        port.openedNotified = false;
        if (OnClosePort)
            OnClosePort(this, index);
    }
}

void TMMWaveMixer::NotifyOpened(int index) {
    Port& port = ports_[index];
    if (port.openedNotified)
        return;
    port.openedNotified = true;
    if (OnOpenPort)
        OnOpenPort(this, index);
}

void TMMWaveMixer::PullInto(Port& port, BufferHeader& header, bool& more) {
    header.bytesFilled = 0;
    header.looping = port.loop ? MMTrue : 0;
    header.loopCount = port.loopCount;
    header.loopsLeft = port.loopsLeft;
    header.loopRestarted = 0;
    more = false;
    port.input->BufferLoad(&header, more);
    header.bytesFilled = std::min(header.bytesFilled, header.bufferLength);
    if (port.loop)
        port.loopsLeft = header.loopsLeft;
    if (!more || header.bytesFilled == 0)
        port.held = true;
}

uint32_t TMMWaveMixer::ReadPort(int index, uint8_t* out, uint32_t bytes) {
    Port& port = ports_[index];
    if (port.conversion)
        return ReadConvertedPort(index, out, bytes);
    if (port.held || bytes == 0)
        return 0;
    BufferHeader header;
    header.data = out;
    header.bufferLength = bytes;
    bool more = false;
    PullInto(port, header, more);
    if (!port.held)
        NotifyOpened(index);
    return header.bytesFilled - header.bytesFilled % FrameBytes;
}

uint32_t TMMWaveMixer::ReadConvertedPort(int index, uint8_t* out, uint32_t bytes) {
    Port& port = ports_[index];
    MixerPortConversion& conversion = *port.conversion;
    auto got = static_cast<uint32_t>(conversion.Take(out, bytes));
    while (got < bytes && !port.held) {
        BufferHeader header;
        header.data = conversion.SourceBuffer();
        header.bufferLength = conversion.SourceBlockSize();
        bool more = false;
        PullInto(port, header, more);
        if (header.bytesFilled == 0)
            break;
        if (conversion.Convert(header.bytesFilled, !more) == 0) {
            if (more) {
                port.conversionOk = false;
                port.held = true;
            }
            break;
        }
        NotifyOpened(index);
        got += static_cast<uint32_t>(conversion.Take(out + got, bytes - got));
    }
    return got;
}

void TMMWaveMixer::FillPorts(uint32_t frames) {
    const uint32_t wanted = frames * FrameBytes;
    for (int i = 0; i < PortCount; ++i) {
        if (!IsOpened() || !IsStarted())
            break;
        std::lock_guard lock(lock_);
        Port& port = ports_[i];
        if (port.buffer.size() < wanted)
            port.buffer.resize(wanted);
        uint32_t filled = 0;
        // An input that ends inside this buffer closes its port, and the close
        // event may give the port its next source at once (the schedule's next
        // row on the same deck): that source fills the rest of the buffer, so
        // a join without a cross-fade has no gap. Bounded, so that a run of
        // sources that end at once cannot hold the buffer.
        for (int opening = 0; port.input != nullptr && filled < wanted && opening <= MaxOpensPerBuffer;
             ++opening) {
            if (!port.input->IsOpened() && !port.held && position_ + frames >= port.startFrame) {
                const int64_t lead = (port.startFrame - position_) * FrameBytes - filled;
                if (lead > 0) {
                    std::memset(port.buffer.data() + filled, 0, static_cast<size_t>(lead));
                    filled += static_cast<uint32_t>(lead);
                }
                OpenPort(i);
            }
            if (port.input == nullptr || !port.input->IsOpened())
                break;
            // A source may deliver less than asked before its end (a reader's
            // last block): ask again rather than leave a hole.
            bool ended = false;
            while (filled < wanted && !ended) {
                const uint32_t got = ReadPort(i, port.buffer.data() + filled, wanted - filled);
                filled += got;
                port.framesPlayed += got / FrameBytes;
                ended = PortDone(i);
                if (ended)
                    ClosePort(i);
                else if (got == 0)
                    break;
            }
            if (!ended)
                break;
        }
        if (port.input != nullptr) {
            // A playing port always contributes a whole buffer.
            if (filled > 0 && filled < wanted) {
                std::memset(port.buffer.data() + filled, 0, wanted - filled);
                filled = wanted;
            }
        }
        port.length = filled;
    }
}

void TMMWaveMixer::Mix(uint8_t* out, uint32_t frames) {
    const size_t samples = static_cast<size_t>(frames) * 2;
    if (accumulator_.size() < samples)
        accumulator_.resize(samples);
    bool any = false;
    for (const Port& port : ports_) {
        if (port.length == 0 || !IsStarted())
            continue;
        const auto* in = reinterpret_cast<const int16_t*>(port.buffer.data());
        if (!any)
            for (size_t k = 0; k < samples; ++k)
                accumulator_[k] = in[k];
        else
            for (size_t k = 0; k < samples; ++k)
                accumulator_[k] += in[k];
        any = true;
    }
    if (!any) {
        std::memset(out, 0, samples * 2);
        return;
    }
    // Branch-free, so that the compiler vectorises the loops.
    auto* mixed = reinterpret_cast<int16_t*>(out);
    int clipped = 0;
    if (gains_.IsUnity()) {
        for (size_t k = 0; k < samples; ++k) {
            const int32_t v = accumulator_[k];
            const int32_t c = std::clamp<int32_t>(v, INT16_MIN, INT16_MAX);
            clipped |= c != v;
            mixed[k] = static_cast<int16_t>(c);
        }
    } else {
        const int64_t left = gains_.left, right = gains_.right;
        for (size_t k = 0; k < samples; ++k) {
            const int64_t v = (accumulator_[k] * ((k & 1) ? right : left)) >> 14;
            const int64_t c = std::clamp<int64_t>(v, INT16_MIN, INT16_MAX);
            clipped |= c != v;
            mixed[k] = static_cast<int16_t>(c);
        }
    }
    overflow_ = overflow_ || clipped != 0;
}

} // namespace corvane
