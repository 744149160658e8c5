#pragma once

#include "audio/chain/WaveFormat.h"

#include <cstdint>
#include <string>

namespace corvane {

// The two characters of the regional settings a format description uses
// (the "Intl" section's sList and sDecimal).
struct RegionalSeparators {
    char list = ',';
    char decimal = '.';
};

// The engine's name of a format tag ("PCM", "IMA ADPCM", …; "Unknown" for a
// tag it does not list).
std::string WaveFormatTagName(uint16_t tag);

// The engine's description of a format: "44.100 kHz, 16 Bit, Stereo", with
// the channel count ("…, 16 Bit, 6 Channels") beyond two; "Unknown" without a
// format.
std::string WaveFormatDescription(const WaveFormat* format, RegionalSeparators separators = {});

} // namespace corvane
