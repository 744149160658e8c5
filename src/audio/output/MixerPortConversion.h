#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/platform/ConversionService.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corvane {

// Converts what a mixer port's chain delivers into the mixer's 16-bit stereo
// at its rate: a source block is pulled into SourceBuffer(), converted, and
// the result waits here until the mixer copies it out. Thread of the driver's
// buffer processing.
class MixerPortConversion {
public:
    // Nothing when the service has no conversion between the two formats.
    static std::unique_ptr<MixerPortConversion> Create(const WaveFormat& from, const WaveFormat& to,
                                                       uint32_t portBufferSize);

    uint8_t* SourceBuffer() { return source_.data(); }
    uint32_t SourceBlockSize() const { return static_cast<uint32_t>(source_.size()); }
    // Converts the first `bytes` of the source buffer; `last` flushes what the
    // rate converter still holds. Returns the bytes produced.
    size_t Convert(uint32_t bytes, bool last);
    // Converted bytes not yet taken.
    size_t Waiting() const { return converted_.size() - taken_; }
    // Copies up to `bytes` converted bytes out; returns how many.
    size_t Take(uint8_t* out, size_t bytes);

private:
    MixerPortConversion(std::unique_ptr<ConversionStream> stream, uint32_t sourceBlock);

    std::unique_ptr<ConversionStream> stream_;
    std::vector<uint8_t> source_;
    std::vector<uint8_t> converted_;
    size_t taken_ = 0;
};

} // namespace corvane
