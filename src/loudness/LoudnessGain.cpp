#include "loudness/LoudnessGain.h"

#include "audio/output/Gains.h"

#include <algorithm>
#include <cmath>

namespace corvane {

double NormalisingGainDb(const LoudnessAnalysis& analysis, double targetLufs, double ceilingDbtp) {
    double gain =
        std::clamp(targetLufs - analysis.integratedLufs, -MaxNormalisingGainDb, MaxNormalisingGainDb);
    if (analysis.dcOffset >= DcOffsetWithoutGain)
        gain = std::min(gain, 0.0);
    const double room = ceilingDbtp - analysis.truePeakDbtp;
    // Figures that are not numbers give no gain at all rather than any.
    if (!std::isfinite(gain) || !std::isfinite(room))
        return 0.0;
    return std::min(gain, room);
}

int32_t VolumeForGainDb(double gainDb) {
    // Beyond +48 dB a title is noise brought up, not music: the stage's
    // 64-bit path would still be exact, but nothing useful lies there.
    const double clamped = std::clamp(gainDb, -96.0, 48.0);
    return static_cast<int32_t>(std::lround(UnityGain * std::pow(10.0, clamped / 20.0)));
}

} // namespace corvane
