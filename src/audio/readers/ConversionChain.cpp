#include "audio/readers/ConversionChain.h"

#include "audio/readers/WaveFormatFacts.h"

#include <cstring>

namespace corvane {

namespace {

// More stages than a decoder and a PCM conversion never help.
constexpr int MaxStages = 3;

// The next format on the way from `from` to `to`.
std::optional<StreamFormat> Intermediate(const StreamFormat& from, const StreamFormat& to) {
    const FormatWish wish{to.channels, to.sampleRate, 0};
    if (IsPlainPcm(from)) {
        if (auto suggested = ConversionService::SuggestPcm(from, wish);
            suggested && ConversionService::CanConvert(*suggested, to))
            return suggested;
        FormatWish other = wish;
        other.bits = from.bitsPerSample == 8 ? 16 : 8;
        return ConversionService::SuggestPcm(from, other);
    }
    if (auto suggested = ConversionService::SuggestPcm(from, wish))
        return suggested;
    return ConversionService::SuggestPcm(from);
}

} // namespace

std::unique_ptr<ConversionChain> ConversionChain::Create(const WaveFormat& from, const WaveFormat& to,
                                                         ConversionQuality quality) {
    auto chain = std::unique_ptr<ConversionChain>(new ConversionChain());
    if (SameSampleFormat(from, to))
        return chain;
    auto current = ToStreamFormat(from);
    const auto target = ToStreamFormat(to);
    if (!current || !target)
        return nullptr;
    while (!(*current == *target)) {
        if (chain->StageCount() == MaxStages)
            return nullptr;
        std::optional<StreamFormat> next = target;
        if (!ConversionService::CanConvert(*current, *target))
            next = Intermediate(*current, *target);
        if (!next || !ConversionService::CanConvert(*current, *next))
            return nullptr;
        chain->stages_.push_back({ConversionService::Open(*current, *next, quality), {}});
        current = next;
    }
    return chain;
}

void ConversionChain::Convert(std::span<const uint8_t> source, ConversionEnd end) {
    // Compact what has been read before adding more.
    if (readPosition_ > 0) {
        output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(readPosition_));
        readPosition_ = 0;
    }
    if (stages_.empty()) {
        output_.insert(output_.end(), source.begin(), source.end());
        return;
    }
    std::vector<uint8_t> input(source.begin(), source.end());
    for (size_t i = 0; i < stages_.size(); ++i) {
        Stage& stage = stages_[i];
        stage.pending.insert(stage.pending.end(), input.begin(), input.end());
        std::vector<uint8_t>& into = i + 1 == stages_.size() ? output_ : scratch_;
        if (&into == &scratch_)
            scratch_.clear();
        const size_t used = stage.stream->Convert(stage.pending, into, end);
        stage.pending.erase(stage.pending.begin(), stage.pending.begin() + static_cast<std::ptrdiff_t>(used));
        if (end == ConversionEnd::Final)
            stage.pending.clear(); // a partial last block has no samples to give
        if (&into == &scratch_)
            input.swap(scratch_);
    }
}

size_t ConversionChain::Read(uint8_t* data, size_t bytes) {
    const size_t n = std::min(bytes, Available());
    if (n > 0)
        std::memcpy(data, output_.data() + readPosition_, n);
    readPosition_ += n;
    return n;
}

void ConversionChain::Reset() {
    for (Stage& stage : stages_) {
        stage.stream->Reset();
        stage.pending.clear();
    }
    output_.clear();
    readPosition_ = 0;
}

} // namespace corvane
