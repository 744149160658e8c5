#include "audio/readers/TMMPCMConverter.h"

#include "audio/platform/ConversionService.h"
#include "audio/readers/WaveFormatFacts.h"

namespace corvane {

namespace {

constexpr int MaxValidRate = 100000;

} // namespace

std::optional<WaveFormat> TMMPCMConverter::DestinationFor(const WaveFormat& input) const {
    if (!autoConvert_ || IsValidPcm(&input))
        return IsValidPcm(&input) ? std::optional(input) : std::nullopt;
    const auto stream = ToStreamFormat(input);
    if (!stream)
        return std::nullopt;
    auto suggested = ConversionService::SuggestPcm(*stream);
    if (!suggested)
        return std::nullopt;
    // Rates beyond the range the sample arithmetic accepts are halved into it
    // (192000 -> 96000, 352800 -> 88200).
    while (suggested->sampleRate > MaxValidRate)
        suggested->sampleRate /= 2;
    const WaveFormat pcm = ToWaveFormat(*suggested);
    return IsValidPcm(&pcm) ? std::optional(pcm) : std::nullopt;
}

} // namespace corvane
