#include "audio/platform/SampleDecoding.h"

#include <algorithm>
#include <cstring>

namespace corvane {

const std::array<int16_t, 89> ImaStepTable = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const std::array<int, 8> ImaIndexChanges = {-1, -1, -1, -1, 2, 4, 6, 8};

int16_t DecodeALaw(uint8_t code) {
    code ^= 0x55;
    const int exponent = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    int magnitude = exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
    return static_cast<int16_t>((code & 0x80) != 0 ? magnitude : -magnitude);
}

int16_t DecodeMuLaw(uint8_t code) {
    code = static_cast<uint8_t>(~code);
    const int exponent = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return static_cast<int16_t>((code & 0x80) != 0 ? -magnitude : magnitude);
}

namespace {

int32_t SignedLittleEndian(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    const int shift = 32 - 8 * bytes;
    return static_cast<int32_t>(v << shift) >> shift;
}

void DecodePcm(const StreamFormat& f, std::span<const uint8_t> in, std::vector<float>& out) {
    const int bytes = (f.bitsPerSample + 7) / 8;
    // Full scale of the container maps to ±32768, whatever the container size.
    const float scale = 32768.0f / static_cast<float>(1u << (8 * bytes - 1));
    const size_t count = in.size() / static_cast<size_t>(bytes);
    const size_t start = out.size();
    out.resize(start + count);
    float* dst = out.data() + start;
    if (bytes == 1) {
        for (size_t i = 0; i < count; ++i)
            dst[i] = (static_cast<float>(in[i]) - 128.0f) * 256.0f;
    } else if (bytes == 2) {
        for (size_t i = 0; i < count; ++i)
            dst[i] = static_cast<float>(static_cast<int16_t>(in[2 * i] | in[2 * i + 1] << 8));
    } else {
        for (size_t i = 0; i < count; ++i)
            dst[i] =
                static_cast<float>(SignedLittleEndian(&in[i * static_cast<size_t>(bytes)], bytes)) * scale;
    }
}

void DecodeFloat(const StreamFormat& f, std::span<const uint8_t> in, std::vector<float>& out) {
    const size_t bytes = static_cast<size_t>(f.bitsPerSample) / 8;
    for (size_t at = 0; at + bytes <= in.size(); at += bytes) {
        double v = 0;
        if (bytes == 4) {
            float x;
            std::memcpy(&x, &in[at], 4);
            v = x;
        } else {
            std::memcpy(&v, &in[at], 8);
        }
        // NaN and infinities in a damaged file become silence or full scale.
        v = v != v ? 0.0 : std::clamp(v, -1.0, 1.0);
        out.push_back(static_cast<float>(v * 32768.0));
    }
}

struct ImaChannel {
    int predictor = 0;
    int index = 0;
    int Decode(int code) {
        const int step = ImaStepTable[static_cast<size_t>(index)];
        int diff = step >> 3;
        if (code & 1)
            diff += step >> 2;
        if (code & 2)
            diff += step >> 1;
        if (code & 4)
            diff += step;
        predictor = std::clamp(predictor + ((code & 8) != 0 ? -diff : diff), -32768, 32767);
        index = std::clamp(index + ImaIndexChanges[static_cast<size_t>(code & 7)], 0, 88);
        return predictor;
    }
};

void DecodeImaBlock(const StreamFormat& f, const uint8_t* block, std::vector<float>& out) {
    const auto channels = static_cast<size_t>(f.channels);
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(f.samplesPerBlock) * channels);
    float* frames = out.data() + start;
    ImaChannel state[64];
    for (size_t c = 0; c < channels; ++c) {
        const uint8_t* h = block + 4 * c;
        state[c].predictor = static_cast<int16_t>(h[0] | h[1] << 8);
        // A damaged header's step index is held to the table.
        state[c].index = std::min<int>(h[2], 88);
        frames[c] = static_cast<float>(state[c].predictor);
    }
    const uint8_t* data = block + 4 * channels;
    const size_t groups = static_cast<size_t>(f.samplesPerBlock - 1) / 8;
    for (size_t g = 0; g < groups; ++g) {
        for (size_t c = 0; c < channels; ++c) {
            const uint8_t* group = data + (g * channels + c) * 4;
            for (size_t s = 0; s < 8; ++s) {
                const int code = (group[s / 2] >> ((s & 1) * 4)) & 0x0F;
                frames[(1 + g * 8 + s) * channels + c] = static_cast<float>(state[c].Decode(code));
            }
        }
    }
}

// Speaker bits in their WAVE order: front left, front right, front centre,
// low frequency, back left, back right, front left of centre, front right of
// centre, back centre, side left, side right, then the top speakers.
enum class Side { Left, Right, Both, None };
constexpr Side SpeakerSides[18] = {Side::Left,  Side::Right, Side::Both,  Side::None, Side::Left,
                                   Side::Right, Side::Left,  Side::Right, Side::Both, Side::Left,
                                   Side::Right, Side::Both,  Side::Left,  Side::Both, Side::Right,
                                   Side::Left,  Side::Both,  Side::Right};

std::vector<Side> ChannelSides(int channels, uint32_t mask) {
    std::vector<Side> sides;
    for (int bit = 0; bit < 32 && static_cast<int>(sides.size()) < channels; ++bit) {
        if (mask == 0 || (mask & (1u << bit)) != 0)
            sides.push_back(bit < 18 ? SpeakerSides[bit] : Side::Both);
    }
    sides.resize(static_cast<size_t>(channels), Side::Both);
    return sides;
}

} // namespace

void DecodeSamples(const StreamFormat& f, std::span<const uint8_t> blocks, std::vector<float>& out) {
    switch (f.encoding) {
    case SampleEncoding::Pcm:
        DecodePcm(f, blocks, out);
        break;
    case SampleEncoding::IeeeFloat:
        DecodeFloat(f, blocks, out);
        break;
    case SampleEncoding::ALaw:
    case SampleEncoding::MuLaw:
        for (const uint8_t code : blocks)
            out.push_back(f.encoding == SampleEncoding::ALaw ? DecodeALaw(code) : DecodeMuLaw(code));
        break;
    case SampleEncoding::ImaAdpcm:
        for (size_t at = 0; at + static_cast<size_t>(f.blockAlign) <= blocks.size();
             at += static_cast<size_t>(f.blockAlign))
            DecodeImaBlock(f, &blocks[at], out);
        break;
    }
}

void MixChannels(std::span<const float> in, int fromChannels, uint32_t mask, int toChannels,
                 std::vector<float>& out) {
    const auto from = static_cast<size_t>(fromChannels);
    const size_t frames = in.size() / from;
    const size_t start = out.size();
    out.resize(start + frames * static_cast<size_t>(toChannels));
    float* dst = out.data() + start;
    if (fromChannels == toChannels) {
        std::copy(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(frames * from), dst);
        return;
    }
    if (fromChannels == 1) {
        for (size_t i = 0; i < frames; ++i)
            dst[2 * i] = dst[2 * i + 1] = in[i];
        return;
    }
    // Weights per side: a centre speaker counts on both sides at -3 dB.
    std::vector<float> left(from, 0.0f), right(from, 0.0f);
    const auto sides = ChannelSides(fromChannels, fromChannels == 2 ? 0 : mask);
    for (size_t c = 0; c < from; ++c) {
        const Side side = sides[c];
        left[c] = side == Side::Left ? 1.0f : side == Side::Both ? 0.7071f : 0.0f;
        right[c] = side == Side::Right ? 1.0f : side == Side::Both ? 0.7071f : 0.0f;
    }
    float leftSum = 0, rightSum = 0;
    for (size_t c = 0; c < from; ++c) {
        leftSum += left[c];
        rightSum += right[c];
    }
    for (size_t c = 0; c < from; ++c) {
        left[c] = leftSum > 0 ? left[c] / leftSum : 0.0f;
        right[c] = rightSum > 0 ? right[c] / rightSum : 0.0f;
    }
    for (size_t i = 0; i < frames; ++i) {
        const float* frame = &in[i * from];
        float l = 0, r = 0;
        for (size_t c = 0; c < from; ++c) {
            l += frame[c] * left[c];
            r += frame[c] * right[c];
        }
        if (toChannels == 1)
            dst[i] = (l + r) * 0.5f;
        else {
            dst[2 * i] = l;
            dst[2 * i + 1] = r;
        }
    }
}

} // namespace corvane
