#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace corvane {

// Wave format tags the platform's conversion service knows.
inline constexpr uint16_t WaveFormatPcm = 0x0001;
inline constexpr uint16_t WaveFormatIeeeFloat = 0x0003;
inline constexpr uint16_t WaveFormatALaw = 0x0006;
inline constexpr uint16_t WaveFormatMuLaw = 0x0007;
inline constexpr uint16_t WaveFormatImaAdpcm = 0x0011;
inline constexpr uint16_t WaveFormatExtensible = 0xFFFE;

// Size in bytes of a wave format record without its extra bytes.
inline constexpr size_t WaveFormatRecordSize = 18;

enum class SampleEncoding { Pcm, IeeeFloat, ALaw, MuLaw, ImaAdpcm };

// What the samples of a stream are, decoded from a wave format record: the
// form in which the conversion service reasons about formats.
struct StreamFormat {
    SampleEncoding encoding = SampleEncoding::Pcm;
    int channels = 0;
    int sampleRate = 0;    // Hz
    int bitsPerSample = 0; // bits each sample occupies (4 for IMA ADPCM)
    int blockAlign = 0;    // bytes of one block (one frame, or one ADPCM block)
    int samplesPerBlock = 1;
    uint32_t channelMask = 0; // speaker positions; 0 = the default order
    friend bool operator==(const StreamFormat&, const StreamFormat&) = default;
};

// PCM with 8-bit unsigned or 16-bit signed samples.
StreamFormat MakePcmStreamFormat(int bits, int channels, int sampleRate);

// Plain PCM the mixer and the PCM converter work with: 8 or 16 bits, one or
// two channels, any positive rate.
bool IsPlainPcm(const StreamFormat& format);

// Decodes a record in the wave format layout (tag, channels, rate, bytes per
// second, block align, bits, extra size, extra bytes; little-endian). Nothing
// when the conversion service cannot decode it: an unknown tag or
// sub-format, no channels, no rate, or sizes that do not fit together. The
// block align of PCM, float and G.711 streams is derived from the channels
// and bits, because headers often carry a wrong one.
std::optional<StreamFormat> DescribeWaveFormat(std::span<const uint8_t> record);

} // namespace corvane
