#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/platform/ConversionService.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvane {

// A conversion from one wave format to another built from the conversion
// service's single conversions: directly when one reaches the target, else
// through intermediate PCM formats (a decoder to PCM, then a PCM conversion
// of size, channels and rate). Bytes go in as they come; each stage keeps the
// unconverted remainder of a block for the next call. One thread at a time:
// the thread of the chain that pulls through it.
class ConversionChain {
public:
    // Nothing when no chain of conversions leads from `from` to `to`; a chain
    // without stages when the two need no conversion (same tag, bits,
    // channels and rate).
    static std::unique_ptr<ConversionChain> Create(const WaveFormat& from, const WaveFormat& to,
                                                   ConversionQuality quality);

    int StageCount() const { return static_cast<int>(stages_.size()); }
    // Converts what it can of `source` (with Final, also what the stages still hold).
    void Convert(std::span<const uint8_t> source, ConversionEnd end);
    // Converted bytes waiting to be read.
    size_t Available() const { return output_.size() - readPosition_; }
    // Hands out up to `bytes` converted bytes; returns how many.
    size_t Read(uint8_t* data, size_t bytes);
    // Forgets everything held, as after a seek.
    void Reset();

private:
    struct Stage {
        std::unique_ptr<ConversionStream> stream;
        std::vector<uint8_t> pending;
    };
    std::vector<Stage> stages_;
    std::vector<uint8_t> output_, scratch_;
    size_t readPosition_ = 0;
};

} // namespace corvane
