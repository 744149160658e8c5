#include "audio/readers/TMMADPCMConverter.h"

#include "audio/chain/EMMError.h"
#include "audio/readers/WaveFormatFacts.h"

#include <algorithm>
#include <cstring>

namespace corvane {

TMMADPCMConverter::TMMADPCMConverter(std::string name)
    : TMMDSPComponent(std::move(name), PublishedLinks::Both) {}

TMMADPCMConverter::~TMMADPCMConverter() {
    Unlink();
}

void TMMADPCMConverter::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Configure();
}

void TMMADPCMConverter::SetBitLength(TMMADPCMBits bits) {
    if (bits == bits_)
        return;
    bits_ = bits;
    Configure();
}

void TMMADPCMConverter::InputFormatChanged(const WaveFormat* format) {
    inputFormat_ = format != nullptr ? std::optional(*format) : std::nullopt;
    Configure();
}

void TMMADPCMConverter::Configure() {
    msDecoder_.reset();
    nibbleDecoder_.reset();
    decoding_ = enabled_ && inputFormat_ && IsConverterAdpcm(*inputFormat_);
    if (!decoding_) {
        SetWaveFormat(inputFormat_ ? &*inputFormat_ : nullptr);
        return;
    }
    if (inputFormat_->formatTag == WAVE_FORMAT_ADPCM)
        msDecoder_ = MsAdpcmDecoder::Create(*inputFormat_);
    else
        nibbleDecoder_ = NibbleAdpcmDecoder::Create(*inputFormat_);
    if (!msDecoder_ && !nibbleDecoder_) {
        decoding_ = false;
        SetWaveFormat(nullptr);
        throw EMMADPCMError(MMString::UnableToConvert);
    }
    ClearState();
    const WaveFormat out = PcmWaveFormat(bits_ == TMMADPCMBits::b8Bit ? 8 : 16, inputFormat_->channels,
                                         static_cast<int>(inputFormat_->samplesPerSec));
    SetWaveFormat(&out);
}

void TMMADPCMConverter::ClearState() {
    if (nibbleDecoder_)
        nibbleDecoder_->Reset();
    decoded_.clear();
    readPosition_ = 0;
    inputMore_ = true;
}

void TMMADPCMConverter::Started() {
    if (IsOpened() && !IsStarted())
        ClearState();
    TMMDSPComponent::Started();
}

void TMMADPCMConverter::Reset() {
    ClearState();
}

void TMMADPCMConverter::Pull(BufferHeader* header) {
    // Whole source blocks (Microsoft ADPCM) or whole 16-bit words, about PullBytes.
    const size_t block = msDecoder_ ? inputFormat_->blockAlign : 2;
    const size_t size = std::max(PullBytes / block, size_t{1}) * block;
    source_.resize(size);
    BufferHeader pull = *header;
    pull.data = source_.data();
    pull.bufferLength = static_cast<uint32_t>(size);
    pull.bytesFilled = 0;
    bool more = false;
    Input()->BufferLoad(&pull, more);
    header->loopsLeft = pull.loopsLeft;
    header->loopRestarted = pull.loopRestarted;
    const std::span<const uint8_t> got(source_.data(), std::min<size_t>(pull.bytesFilled, size));
    samples_.clear();
    if (msDecoder_) {
        msDecoder_->Decode(got, samples_);
    } else {
        nibbleDecoder_->Decode(got, samples_);
    }
    // Compact what has been handed out before adding more.
    decoded_.erase(decoded_.begin(), decoded_.begin() + static_cast<std::ptrdiff_t>(readPosition_));
    readPosition_ = 0;
    const size_t at = decoded_.size();
    if (bits_ == TMMADPCMBits::b8Bit) {
        decoded_.resize(at + samples_.size());
        for (size_t i = 0; i < samples_.size(); ++i)
            decoded_[at + i] = static_cast<uint8_t>((samples_[i] >> 8) + 128);
    } else if (!samples_.empty()) {
        // (An empty vector's data may be null, which memcpy may not be given
        // even for no bytes.)
        decoded_.resize(at + samples_.size() * 2);
        std::memcpy(decoded_.data() + at, samples_.data(), samples_.size() * 2);
    }
    // A pull that decodes to nothing ends the stream, even if the input had more.
    inputMore_ = more && !samples_.empty();
}

void TMMADPCMConverter::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    if (!decoding_ || Input() == nullptr) {
        TMMDSPComponent::BufferLoad(header, moreBuffers);
        return;
    }
    if (OnBufferLoad)
        OnBufferLoad(this, header, moreBuffers);
    const size_t frame = GetWaveFormat()->blockAlign;
    const size_t wanted = header->bufferLength / frame * frame;
    while (decoded_.size() - readPosition_ < wanted && inputMore_)
        Pull(header);
    const size_t n = std::min(wanted, (decoded_.size() - readPosition_) / frame * frame);
    if (n > 0)
        std::memcpy(header->data, decoded_.data() + readPosition_, n);
    readPosition_ += n;
    header->bytesFilled = static_cast<uint32_t>(n);
    moreBuffers = inputMore_ || decoded_.size() - readPosition_ >= frame;
}

} // namespace corvane
