#pragma once

#include "audio/chain/WaveFormat.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvane {

// The Microsoft ADPCM (tag 2) decoder: blocks with a 7-byte header per
// channel, coefficient pairs from the format record and the published
// adaptation table. Stateless between blocks.
class MsAdpcmDecoder {
public:
    // Nothing when the format cannot be decoded (channels other than 1 or 2,
    // a block too small for its headers, no coefficients).
    static std::optional<MsAdpcmDecoder> Create(const WaveFormat& format);

    int SamplesPerBlock() const { return samplesPerBlock_; }
    // Decodes the whole blocks of one pull into 16-bit samples (interleaved);
    // a block header that does not fit is not decoded. A block whose
    // predictor index is not below the coefficient count makes the whole pull
    // decode to nothing (returns false).
    bool Decode(std::span<const uint8_t> pull, std::vector<int16_t>& out) const;

private:
    int channels_ = 1;
    int blockAlign_ = 0;
    int samplesPerBlock_ = 0;
    std::vector<std::array<int, 2>> coefficients_;
};

// The headerless 4-bit decoders of tags 3 (Mediavision), 51 (Antex ADPCME)
// and 518 (Antex-DVI-OKI): per channel a step index and a predictor that
// carry over from one pull to the next.
class NibbleAdpcmDecoder {
public:
    // Nothing unless the tag is one of the three and there are 1 or 2 channels.
    static std::optional<NibbleAdpcmDecoder> Create(const WaveFormat& format);

    void Reset();
    // Every source byte gives two 16-bit samples. Stereo tag 51/518 streams
    // take whole 16-bit words (an odd last byte is left out).
    void Decode(std::span<const uint8_t> pull, std::vector<int16_t>& out);

    // The tag 3 delta table (index 0..88, magnitude 0..7), as 16-bit values.
    static const std::array<std::array<uint16_t, 8>, 89>& MediavisionDeltas();

private:
    int DecodeCode(int channel, int code);

    bool mediavision_ = false;
    int channels_ = 1;
    std::array<int, 2> index_{};
    std::array<int, 2> predictor_{};
};

} // namespace corvane
