#pragma once

#include <cstdint>
#include <vector>

namespace corvane {

inline constexpr uint16_t WAVE_FORMAT_PCM = 0x0001;

// The wave-format record passed along the chain: the RIFF "fmt " layout of
// format tag, channels, samples per second, average bytes per second, block
// align (bytes per sample frame), bits per sample, then the extra bytes of
// format-specific data (their count is the record's extra size).
struct WaveFormat {
    uint16_t formatTag = WAVE_FORMAT_PCM;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::vector<uint8_t> extra;

    uint16_t ExtraSize() const { return static_cast<uint16_t>(extra.size()); }
    bool IsPcm() const { return formatTag == WAVE_FORMAT_PCM; }

    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// Size of the fixed part of the record in a file (bytes).
inline constexpr int WaveFormatFixedSize = 18;

// A PCM record for (bits, channels, rate): block align = channels × bits / 8,
// average bytes per second = block align × rate, no extra bytes.
WaveFormat PcmWaveFormat(int bitsPerSample, int channels, int samplesPerSec);

// A component's own copy of a record: a PCM record keeps no extra bytes, any
// other keeps its extra size's worth.
WaveFormat CopyWaveFormat(const WaveFormat& format);

// What the sample arithmetic of volume, mixer and PCM converter accepts: PCM,
// 8 or 16 bits, 1 or 2 channels, 4000..100000 samples per second. False for
// no format.
bool IsValidPcm(const WaveFormat* format);

// Same tag, bits, channels and rate: no conversion is needed between the two.
bool SameSampleFormat(const WaveFormat& a, const WaveFormat& b);

// The record as a RIFF "fmt " chunk body stores it (little-endian, 18 bytes
// plus the extra bytes).
std::vector<uint8_t> SerializeWaveFormat(const WaveFormat& format);

} // namespace corvane
