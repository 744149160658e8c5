#pragma once

#include "WaveBuilder.h"
#include "audio/platform/SampleDecoding.h"
#include "audio/readers/AdpcmDecoders.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace corvane::test {

// The format tests' tone and the encoders that make their compressed files.

// The test tone: 1000 Hz on the left (and mono), 500 Hz on the right, at half
// of full scale; extra channels are silent.
inline double Tone(int64_t frame, int channel, int rate) {
    if (channel > 1)
        return 0.0;
    const double hz = channel == 0 ? 1000.0 : 500.0;
    return 0.5 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(frame) / rate);
}

inline int16_t Tone16(int64_t frame, int channel, int rate) {
    return static_cast<int16_t>(std::lrint(Tone(frame, channel, rate) * 32767));
}

inline void PutLE(std::vector<uint8_t>& out, int64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Encoders that give the test files their compressed data. Each mirrors the
// published algorithm from the encoding side.
struct ImaEncoderState {
    int predictor = 0, index = 0;
    int Encode(int sample) {
        const int step = ImaStepTable[static_cast<size_t>(index)];
        int diff = sample - predictor;
        int code = diff < 0 ? 8 : 0;
        diff = std::abs(diff);
        int delta = step >> 3;
        for (int bit = 4, s = step; bit > 0; bit >>= 1, s >>= 1) {
            if (diff >= s) {
                code |= bit;
                diff -= s;
                delta += s;
            }
        }
        predictor = std::clamp(predictor + ((code & 8) != 0 ? -delta : delta), -32768, 32767);
        index = std::clamp(index + ImaIndexChanges[static_cast<size_t>(code & 7)], 0, 88);
        return code;
    }
};

// IMA ADPCM (tag 0x11) blocks of `blockAlign` bytes.
inline std::vector<uint8_t> EncodeIma(const std::vector<std::vector<int16_t>>& channels, int blockAlign) {
    const auto ch = channels.size();
    const size_t perBlock = static_cast<size_t>(blockAlign - 4 * static_cast<int>(ch)) * 2 / ch + 1;
    const size_t frames = channels[0].size();
    std::vector<uint8_t> out;
    std::vector<ImaEncoderState> state(ch);
    for (size_t start = 0; start + perBlock <= frames; start += perBlock) {
        for (size_t c = 0; c < ch; ++c) {
            state[c].predictor = channels[c][start];
            PutLE(out, channels[c][start], 2);
            out.push_back(static_cast<uint8_t>(state[c].index));
            out.push_back(0);
        }
        for (size_t group = 0; group < (perBlock - 1) / 8; ++group)
            for (size_t c = 0; c < ch; ++c)
                for (size_t k = 0; k < 8; k += 2) {
                    const size_t at = start + 1 + group * 8 + k;
                    const int lo = state[c].Encode(channels[c][at]);
                    const int hi = state[c].Encode(channels[c][at + 1]);
                    out.push_back(static_cast<uint8_t>(lo | hi << 4));
                }
    }
    return out;
}

// Microsoft ADPCM blocks using the first coefficient pair (256, 0) throughout.
inline std::vector<uint8_t> EncodeMsAdpcm(const std::vector<std::vector<int16_t>>& channels, int blockAlign) {
    static constexpr int Adapt[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                      768, 614, 512, 409, 307, 230, 230, 230};
    const auto ch = channels.size();
    const size_t perBlock = static_cast<size_t>(blockAlign - 7 * static_cast<int>(ch)) * 2 / ch + 2;
    const size_t frames = channels[0].size();
    std::vector<uint8_t> out;
    for (size_t start = 0; start + perBlock <= frames; start += perBlock) {
        // The first step as a real encoder chooses it: about the size of the first change.
        std::vector<int> s1(ch), s2(ch), delta(ch);
        for (size_t c = 0; c < ch; ++c)
            delta[c] = std::max(16, std::abs(channels[c][start + 2] - channels[c][start + 1]));
        for (size_t c = 0; c < ch; ++c)
            out.push_back(0);
        for (size_t c = 0; c < ch; ++c)
            PutLE(out, delta[c], 2);
        for (size_t c = 0; c < ch; ++c)
            PutLE(out, s1[c] = channels[c][start + 1], 2);
        for (size_t c = 0; c < ch; ++c)
            PutLE(out, s2[c] = channels[c][start], 2);
        std::vector<int> codes;
        for (size_t i = 2; i < perBlock; ++i)
            for (size_t c = 0; c < ch; ++c) {
                const int predicted = s1[c];
                const int n = std::clamp(
                    static_cast<int>(std::lround(double(channels[c][start + i] - predicted) / delta[c])), -8,
                    7);
                const int value = std::clamp(predicted + n * delta[c], -32768, 32767);
                s2[c] = s1[c];
                s1[c] = value;
                delta[c] = std::max(Adapt[n & 15] * delta[c] / 256, 16);
                codes.push_back(n & 15);
            }
        for (size_t k = 0; k + 1 < codes.size(); k += 2)
            out.push_back(static_cast<uint8_t>(codes[k] << 4 | codes[k + 1]));
    }
    return out;
}

// The mono 4-bit streams (tags 3, 51, 518), chosen byte by byte for the
// closest decoded pair.
inline std::vector<uint8_t> EncodeNibbles(const WaveFormat& format, const std::vector<int16_t>& mono) {
    auto decoder = *NibbleAdpcmDecoder::Create(format);
    std::vector<uint8_t> out;
    std::vector<int16_t> decoded;
    for (size_t i = 0; i + 1 < mono.size(); i += 2) {
        int best = 0;
        double bestError = 1e18;
        for (int b = 0; b < 256; ++b) {
            auto trial = decoder;
            decoded.clear();
            const uint8_t byte = static_cast<uint8_t>(b);
            trial.Decode({&byte, 1}, decoded);
            const double e = std::pow(decoded[0] - mono[i], 2) + std::pow(decoded[1] - mono[i + 1], 2);
            if (e < bestError) {
                bestError = e;
                best = b;
            }
        }
        const uint8_t byte = static_cast<uint8_t>(best);
        decoded.clear();
        decoder.Decode({&byte, 1}, decoded);
        out.push_back(byte);
    }
    return out;
}

} // namespace corvane::test
