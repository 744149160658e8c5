#pragma once

#include "loudness/LoudnessAnalysis.h"

#include <cstdint>

namespace corvane {

// The gain (dB) that brings a title to `targetLufs`, lowered where its true
// peak would rise above `ceilingDbtp`: the ceiling wins over the target.
double NormalisingGainDb(const LoudnessAnalysis& analysis, double targetLufs, double ceilingDbtp);

// A gain in dB as a volume stage's volume (16384 = unity), rounded to nearest.
int32_t VolumeForGainDb(double gainDb);

} // namespace corvane
