#include "audio/readers/TMMACMConverter.h"

#include "audio/chain/EMMError.h"

#include <algorithm>

namespace corvane {

TMMACMConverter::TMMACMConverter(std::string name) : TMMDSPComponent(std::move(name), PublishedLinks::Both) {}

TMMACMConverter::~TMMACMConverter() {
    Unlink();
}

void TMMACMConverter::InputFormatChanged(const WaveFormat* format) {
    chain_.reset();
    inputFormat_ = format != nullptr ? std::optional(*format) : std::nullopt;
    if (format == nullptr) {
        SetWaveFormat(nullptr);
        return;
    }
    const auto destination = DestinationFor(*format);
    if (!destination) {
        SetWaveFormat(nullptr);
        throw EMMConverterError(MMString::InvalidWaveFormat);
    }
    chain_ = ConversionChain::Create(*format, *destination,
                                     quality_ == TMMConverterQuality::cqHigh ? ConversionQuality::High
                                                                             : ConversionQuality::Low);
    if (!chain_) {
        SetWaveFormat(nullptr);
        throw EMMConverterError(MMString::UnableToConvert);
    }
    ClearState();
    SetWaveFormat(&*destination);
}

void TMMACMConverter::ClearState() {
    if (chain_)
        chain_->Reset();
    inputMore_ = true;
}

void TMMACMConverter::Started() {
    if (IsOpened() && !IsStarted())
        ClearState();
    TMMDSPComponent::Started();
}

void TMMACMConverter::Reset() {
    ClearState();
}

void TMMACMConverter::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    if (!Converting() || Input() == nullptr || inputFormat_->blockAlign == 0) {
        TMMDSPComponent::BufferLoad(header, moreBuffers);
        return;
    }
    if (OnBufferLoad)
        OnBufferLoad(this, header, moreBuffers);
    const WaveFormat& out = *GetWaveFormat();
    const size_t frame = out.blockAlign;
    const size_t wanted = header->bufferLength / frame * frame;
    // Source bytes for about one buffer of output, in whole source blocks.
    const size_t block = inputFormat_->blockAlign;
    const double ratio =
        out.avgBytesPerSec == 0 ? 1.0 : double(inputFormat_->avgBytesPerSec) / out.avgBytesPerSec;
    const size_t pullSize =
        std::max<size_t>(static_cast<size_t>(static_cast<double>(wanted) * ratio) / block, 1) * block;
    source_.resize(pullSize);
    while (chain_->Available() < wanted && inputMore_) {
        BufferHeader pull = *header;
        pull.data = source_.data();
        pull.bufferLength = static_cast<uint32_t>(pullSize);
        pull.bytesFilled = 0;
        bool more = false;
        Input()->BufferLoad(&pull, more);
        header->loopsLeft = pull.loopsLeft;
        header->loopRestarted = pull.loopRestarted;
        const size_t got = std::min<size_t>(pull.bytesFilled, pullSize);
        // An input that delivers nothing but promises more would spin here.
        inputMore_ = more && got > 0;
        chain_->Convert({source_.data(), got}, inputMore_ ? ConversionEnd::More : ConversionEnd::Final);
    }
    const size_t n = std::min(wanted, chain_->Available() / frame * frame);
    header->bytesFilled = static_cast<uint32_t>(chain_->Read(header->data, n));
    moreBuffers = inputMore_ || chain_->Available() >= frame;
}

} // namespace corvane
