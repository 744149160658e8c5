#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace corvane::test {

// Interleaved 16-bit little-endian stereo frames of a sine on each channel
// (amplitude 0 for silence), as the connector hands them to a display.
inline std::vector<unsigned char> StereoSine(int frames, double hz, int rate, int ampLeft, int ampRight) {
    std::vector<unsigned char> bytes;
    bytes.reserve(frames * 4);
    for (int i = 0; i < frames; ++i) {
        const double s = std::sin(2 * std::numbers::pi * hz * i / rate);
        for (int amp : {ampLeft, ampRight}) {
            const auto v = static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * amp)));
            bytes.push_back(static_cast<unsigned char>(v & 0xFF));
            bytes.push_back(static_cast<unsigned char>(v >> 8));
        }
    }
    return bytes;
}

} // namespace corvane::test
