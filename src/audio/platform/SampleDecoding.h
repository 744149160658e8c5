#pragma once

#include "audio/platform/StreamFormat.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane {

// The published IMA ADPCM step sizes and index changes (by code magnitude).
extern const std::array<int16_t, 89> ImaStepTable;
extern const std::array<int, 8> ImaIndexChanges;

// One G.711 code as a 16-bit sample.
int16_t DecodeALaw(uint8_t code);
int16_t DecodeMuLaw(uint8_t code);

// Decodes whole blocks of `format` into samples scaled so that 16-bit full
// scale is ±32768, appended interleaved with the stream's own channels.
// `blocks` holds a whole number of blocks.
void DecodeSamples(const StreamFormat& format, std::span<const uint8_t> blocks, std::vector<float>& out);

// Mixes interleaved frames of `fromChannels` channels into `toChannels` (1 or
// 2). Mono is copied to both sides; more than two channels are placed by
// their speaker positions (`channelMask`, or the default order when 0) and
// mixed with weights that add up to 1 per side, so the mix never clips.
void MixChannels(std::span<const float> in, int fromChannels, uint32_t channelMask, int toChannels,
                 std::vector<float>& out);

} // namespace corvane
