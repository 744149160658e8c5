#pragma once

#include "audio/chain/WaveFormat.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace corvane::testing {

// Appends `v` little-endian in `bytes` bytes, as RIFF stores numbers.
inline void PutLE(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Writes a RIFF WAVE file with the format and data given.
inline void WriteWave(const std::string& path, const WaveFormat& format, const std::vector<uint8_t>& data) {
    const auto fmt = SerializeWaveFormat(format);
    std::string out = "RIFF";
    PutLE(out, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size()), 4);
    out += "WAVEfmt ";
    PutLE(out, static_cast<uint32_t>(fmt.size()), 4);
    out.append(fmt.begin(), fmt.end());
    out += "data";
    PutLE(out, static_cast<uint32_t>(data.size()), 4);
    out.append(data.begin(), data.end());
    std::ofstream(path, std::ios::binary) << out;
}

// 16-bit PCM file of the samples given (interleaved when stereo).
inline void WriteWave16(const std::string& path, int rate, int channels,
                        const std::vector<int16_t>& samples) {
    std::vector<uint8_t> data;
    data.reserve(samples.size() * 2);
    for (const int16_t s : samples) {
        data.push_back(static_cast<uint8_t>(s & 0xFF));
        data.push_back(static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF));
    }
    WriteWave(path, PcmWaveFormat(16, channels, rate), data);
}

} // namespace corvane::testing
