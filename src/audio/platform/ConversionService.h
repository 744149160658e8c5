#pragma once

#include "audio/platform/StreamFormat.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace corvane {

// Real-time conversion favours speed; High favours fidelity of rate changes.
enum class ConversionQuality { Low, High };
// The last call of a stream flushes what the rate converter still holds.
enum class ConversionEnd { More, Final };

// Restrictions on a suggested format; 0 leaves the value free.
struct FormatWish {
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
};

// One open conversion from a source format to a target PCM format.
// One thread at a time.
class ConversionStream {
public:
    virtual ~ConversionStream() = default;
    // Converts the whole source blocks at the start of `source` and appends
    // the result to `target`; returns the source bytes consumed (the
    // remainder is the caller's to hand in again with more data).
    virtual size_t Convert(std::span<const uint8_t> source, std::vector<uint8_t>& target,
                           ConversionEnd end) = 0;
    // Forgets all state (rate converter history), as after a seek.
    virtual void Reset() = 0;
};

// The stand-in for the platform's audio compression manager. Two kinds of
// conversion, as its drivers offer them:
// - decoding: A-law, mu-law, IMA ADPCM, IEEE float, PCM of other sizes than
//   8 and 16 bits, and any PCM with more than two channels, each to 16-bit
//   PCM at the same rate with at most two channels (more are mixed down);
// - PCM conversion: plain PCM (8 or 16 bits, one or two channels) to plain
//   PCM of any size, channel count and rate (rates through libsoxr).
// Wider conversions are built from these by the conversion chain.
namespace ConversionService {

// The PCM format the service would convert `source` to, honouring the wish;
// nothing when no single conversion reaches such a format.
std::optional<StreamFormat> SuggestPcm(const StreamFormat& source, const FormatWish& wish = {});
// True when one conversion goes from `source` to `target`.
bool CanConvert(const StreamFormat& source, const StreamFormat& target);
// Opens a conversion; nothing when CanConvert says no.
std::unique_ptr<ConversionStream> Open(const StreamFormat& source, const StreamFormat& target,
                                       ConversionQuality quality);

} // namespace ConversionService

} // namespace corvane
