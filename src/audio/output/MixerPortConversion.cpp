#include "audio/output/MixerPortConversion.h"

#include <algorithm>
#include <cstring>

namespace corvane {
namespace {

// The largest source block a port converts at once (bytes).
constexpr uint32_t MaxSourceBlock = 8192;

StreamFormat StreamFormatOf(const WaveFormat& f) {
    return MakePcmStreamFormat(f.bitsPerSample, f.channels, static_cast<int>(f.samplesPerSec));
}

} // namespace

std::unique_ptr<MixerPortConversion> MixerPortConversion::Create(const WaveFormat& from, const WaveFormat& to,
                                                                 uint32_t portBufferSize) {
    if (!IsValidPcm(&from) || !IsValidPcm(&to) || from.blockAlign == 0)
        return nullptr;
    // Ports convert while playing: speed before fidelity.
    auto stream = ConversionService::Open(StreamFormatOf(from), StreamFormatOf(to), ConversionQuality::Low);
    if (!stream)
        return nullptr;
    uint32_t block = std::min(MaxSourceBlock, portBufferSize);
    block -= block % from.blockAlign;
    if (block == 0)
        return nullptr;
    return std::unique_ptr<MixerPortConversion>(new MixerPortConversion(std::move(stream), block));
}

MixerPortConversion::MixerPortConversion(std::unique_ptr<ConversionStream> stream, uint32_t sourceBlock)
    : stream_(std::move(stream)), source_(sourceBlock) {}

size_t MixerPortConversion::Convert(uint32_t bytes, bool last) {
    // Drop what was taken before appending, so the buffer does not grow.
    converted_.erase(converted_.begin(), converted_.begin() + static_cast<std::ptrdiff_t>(taken_));
    taken_ = 0;
    const size_t before = converted_.size();
    stream_->Convert(std::span<const uint8_t>(source_.data(), bytes), converted_,
                     last ? ConversionEnd::Final : ConversionEnd::More);
    return converted_.size() - before;
}

size_t MixerPortConversion::Take(uint8_t* out, size_t bytes) {
    const size_t n = std::min(bytes, Waiting());
    if (n == 0)
        return 0;
    std::memcpy(out, converted_.data() + taken_, n);
    taken_ += n;
    return n;
}

} // namespace corvane
