#include "loudness/LoudnessGain.h"

#include "audio/output/Gains.h"

#include <algorithm>
#include <cmath>

namespace corvane {

double NormalisingGainDb(const LoudnessAnalysis& analysis, double targetLufs, double ceilingDbtp) {
    return std::min(targetLufs - analysis.integratedLufs, ceilingDbtp - analysis.truePeakDbtp);
}

int32_t VolumeForGainDb(double gainDb) {
    // Beyond +48 dB a title is noise brought up, not music: the stage's
    // 64-bit path would still be exact, but nothing useful lies there.
    const double clamped = std::clamp(gainDb, -96.0, 48.0);
    return static_cast<int32_t>(std::lround(UnityGain * std::pow(10.0, clamped / 20.0)));
}

} // namespace corvane
