#include "audio/readers/AdpcmDecoders.h"

#include "audio/platform/SampleDecoding.h"
#include "audio/readers/WaveFormatFacts.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace corvane {

namespace {

constexpr std::array<int, 16> AdaptationTable = {230, 230, 230, 230, 307, 409, 512, 614,
                                                 768, 614, 512, 409, 307, 230, 230, 230};

int16_t Get16(std::span<const uint8_t> b, size_t at) {
    return static_cast<int16_t>(b[at] | b[at + 1] << 8);
}

struct MsChannel {
    int coefficient1 = 0, coefficient2 = 0;
    int delta = 0;
    int sample1 = 0, sample2 = 0;
    int Decode(int code) {
        const int64_t predicted = (int64_t{sample1} * coefficient1 + int64_t{sample2} * coefficient2) / 256;
        const int nibble = code >= 8 ? code - 16 : code;
        const int value =
            static_cast<int>(std::clamp<int64_t>(predicted + int64_t{nibble} * delta, -32768, 32767));
        sample2 = sample1;
        sample1 = value;
        // Held where the next product cannot overflow, as damaged blocks would otherwise drive it.
        delta = std::clamp(AdaptationTable[static_cast<size_t>(code)] * delta / 256, 16, INT_MAX / 768);
        return value;
    }
};

// Deltas of the Antex streams: the IMA steps scaled by (2m + 1) / 8, rounded down.
int AntexDelta(int index, int magnitude) {
    return std::min((2 * magnitude + 1) * ImaStepTable[static_cast<size_t>(index)] / 8, 32767);
}

std::array<std::array<uint16_t, 8>, 89> BuildMediavisionDeltas() {
    std::array<std::array<uint16_t, 8>, 89> table{};
    for (size_t i = 0; i < table.size(); ++i)
        for (size_t m = 0; m < 8; ++m)
            table[i][m] = static_cast<uint16_t>(
                std::lround((2.0 * static_cast<double>(m) + 1) * ImaStepTable[i] / 8.0));
    // The first row as the Mediavision codec has it (within 2 of the rule).
    table[0] = {0, 2, 4, 6, 8, 10, 12, 13};
    return table;
}

} // namespace

std::optional<MsAdpcmDecoder> MsAdpcmDecoder::Create(const WaveFormat& f) {
    if (f.formatTag != WAVE_FORMAT_ADPCM || (f.channels != 1 && f.channels != 2) ||
        f.blockAlign < 7 * f.channels || f.extra.size() < 4)
        return std::nullopt;
    MsAdpcmDecoder d;
    d.channels_ = f.channels;
    d.blockAlign_ = f.blockAlign;
    const int fitting = corvane::SamplesPerBlock(f);
    const int claimed = f.extra[0] | f.extra[1] << 8;
    d.samplesPerBlock_ = claimed >= 2 && claimed <= fitting ? claimed : fitting;
    const size_t count = std::min<size_t>(f.extra[2] | f.extra[3] << 8, (f.extra.size() - 4) / 4);
    for (size_t i = 0; i < count; ++i) {
        const std::span<const uint8_t> e(f.extra);
        d.coefficients_.push_back({Get16(e, 4 + 4 * i), Get16(e, 6 + 4 * i)});
    }
    if (d.coefficients_.empty())
        return std::nullopt;
    return d;
}

bool MsAdpcmDecoder::Decode(std::span<const uint8_t> pull, std::vector<int16_t>& out) const {
    const size_t start = out.size();
    const auto channels = static_cast<size_t>(channels_);
    const size_t header = 7 * channels;
    for (size_t at = 0; at + header <= pull.size(); at += static_cast<size_t>(blockAlign_)) {
        const auto block = pull.subspan(at, std::min(pull.size() - at, static_cast<size_t>(blockAlign_)));
        MsChannel state[2];
        for (size_t c = 0; c < channels; ++c) {
            const size_t predictor = block[c];
            if (predictor >= coefficients_.size()) {
                out.resize(start);
                return false;
            }
            state[c].coefficient1 = coefficients_[predictor][0];
            state[c].coefficient2 = coefficients_[predictor][1];
            state[c].delta = Get16(block, channels + 2 * c);
            state[c].sample1 = Get16(block, 3 * channels + 2 * c);
            state[c].sample2 = Get16(block, 5 * channels + 2 * c);
        }
        for (size_t c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(state[c].sample2));
        for (size_t c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(state[c].sample1));
        // Each byte: high nibble first (left), low nibble second (right).
        const size_t nibbles =
            std::min((block.size() - header) * 2, static_cast<size_t>(samplesPerBlock_ - 2) * channels);
        for (size_t n = 0; n < nibbles; ++n) {
            const uint8_t byte = block[header + n / 2];
            const int code = (n & 1) == 0 ? byte >> 4 : byte & 0x0F;
            out.push_back(static_cast<int16_t>(state[n % channels].Decode(code)));
        }
    }
    return true;
}

const std::array<std::array<uint16_t, 8>, 89>& NibbleAdpcmDecoder::MediavisionDeltas() {
    static const auto table = BuildMediavisionDeltas();
    return table;
}

std::optional<NibbleAdpcmDecoder> NibbleAdpcmDecoder::Create(const WaveFormat& f) {
    if (!IsConverterAdpcm(f) || f.formatTag == WAVE_FORMAT_ADPCM || (f.channels != 1 && f.channels != 2))
        return std::nullopt;
    NibbleAdpcmDecoder d;
    d.mediavision_ = f.formatTag == WAVE_FORMAT_MEDIAVISION_ADPCM;
    d.channels_ = f.channels;
    return d;
}

void NibbleAdpcmDecoder::Reset() {
    index_ = {};
    predictor_ = {};
}

int NibbleAdpcmDecoder::DecodeCode(int channel, int code) {
    const auto c = static_cast<size_t>(channel);
    const int magnitude = code & 7;
    const bool negative = (code & 8) != 0;
    if (mediavision_) {
        // 16-bit arithmetic that wraps, as the codec computes it.
        const uint16_t delta =
            MediavisionDeltas()[static_cast<size_t>(index_[c])][static_cast<size_t>(magnitude)];
        const auto p = static_cast<uint16_t>(predictor_[c]);
        predictor_[c] = static_cast<int16_t>(negative ? static_cast<uint16_t>(p - delta)
                                                      : static_cast<uint16_t>(p + delta));
    } else {
        const int delta = AntexDelta(index_[c], magnitude);
        predictor_[c] = std::clamp(predictor_[c] + (negative ? -delta : delta), -32768, 32767);
    }
    index_[c] = std::clamp(index_[c] + ImaIndexChanges[static_cast<size_t>(magnitude)], 0, 88);
    return predictor_[c];
}

void NibbleAdpcmDecoder::Decode(std::span<const uint8_t> pull, std::vector<int16_t>& out) {
    if (channels_ == 1) {
        for (const uint8_t b : pull) {
            out.push_back(static_cast<int16_t>(DecodeCode(0, b >> 4)));
            out.push_back(static_cast<int16_t>(DecodeCode(0, b & 0x0F)));
        }
        return;
    }
    if (mediavision_) {
        // One frame a byte: low nibble left, high nibble right.
        for (const uint8_t b : pull) {
            out.push_back(static_cast<int16_t>(DecodeCode(0, b & 0x0F)));
            out.push_back(static_cast<int16_t>(DecodeCode(1, b >> 4)));
        }
        return;
    }
    // The bytes of each 16-bit word swapped; one frame a byte, high nibble left.
    for (size_t at = 0; at + 2 <= pull.size(); at += 2) {
        for (const size_t k : {at + 1, at}) {
            out.push_back(static_cast<int16_t>(DecodeCode(0, pull[k] >> 4)));
            out.push_back(static_cast<int16_t>(DecodeCode(1, pull[k] & 0x0F)));
        }
    }
}

} // namespace corvane
