#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/platform/StreamFormat.h"

#include <cstdint>
#include <optional>
#include <span>

namespace corvane {

// Format tags the readers treat themselves.
inline constexpr uint16_t WAVE_FORMAT_ADPCM = 0x0002;             // Microsoft ADPCM
inline constexpr uint16_t WAVE_FORMAT_MEDIAVISION_ADPCM = 0x0003; // with 4 bits; IEEE float with 32 or 64
inline constexpr uint16_t WAVE_FORMAT_ANTEX_ADPCME = 0x0033;
inline constexpr uint16_t WAVE_FORMAT_ANTEX_DVI_OKI = 0x0206;
inline constexpr uint16_t WAVE_FORMAT_MPEG = 0x0050;
inline constexpr uint16_t WAVE_FORMAT_MPEGLAYER3 = 0x0055;

// The four formats the ADPCM converter decodes itself: Microsoft ADPCM and
// the headerless 4-bit streams of tags 3, 51 and 518. Tag 3 with 32 or 64
// bits is IEEE float (the meaning every modern file gives it), not ADPCM.
bool IsConverterAdpcm(const WaveFormat& format);

// Sample frames in one block of the format (1 for PCM-like formats); 0 when
// the format's blocks cannot be counted.
int SamplesPerBlock(const WaveFormat& format);

// Parses a "fmt " chunk body (missing bytes read as 0; the extra bytes are
// those its extra size claims and the chunk holds).
WaveFormat ParseWaveFormat(std::span<const uint8_t> body);

// The conversion service's view of a record; nothing when it cannot decode it.
std::optional<StreamFormat> ToStreamFormat(const WaveFormat& format);
// The record of a PCM stream format.
WaveFormat ToWaveFormat(const StreamFormat& pcm);

} // namespace corvane
