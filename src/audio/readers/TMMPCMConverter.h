#pragma once

#include "audio/readers/TMMACMConverter.h"

namespace corvane {

// Converts whatever its input delivers to valid PCM (8 or 16 bits, one or two
// channels, 4000..100000 Hz): 8- and 16-bit PCM passes through; 24- and
// 32-bit PCM, float, A-law, mu-law, IMA ADPCM and WAVE_FORMAT_EXTENSIBLE
// become 16-bit PCM at the same rate, more than two channels are mixed down
// to stereo, and rates above 100000 Hz are divided down into range.
class TMMPCMConverter final : public TMMACMConverter {
public:
    using TMMACMConverter::TMMACMConverter;

    // Off: the delivered format is the input's (no conversion).
    void SetAutoConvert(bool on) { autoConvert_ = on; }
    bool AutoConvert() const { return autoConvert_; }

protected:
    std::optional<WaveFormat> DestinationFor(const WaveFormat& input) const override;

private:
    bool autoConvert_ = true;
};

} // namespace corvane
