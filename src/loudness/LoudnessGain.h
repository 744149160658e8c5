#pragma once

#include "loudness/LoudnessAnalysis.h"

#include <cstdint>

namespace corvane {

// The most a title is raised or lowered to meet its target (dB): a title
// that would need more is not music at the level the target assumes (noise,
// a test tone, a figure gone wrong), and no rule should move the air that far.
inline constexpr double MaxNormalisingGainDb = 20.0;
// A title whose DC offset reaches this (fraction of full scale, −40 dBFS)
// earns no gain: raising it would raise the offset toward full scale, which
// nobody hears and every later stage has to carry.
inline constexpr double DcOffsetWithoutGain = 0.01;

// The gain (dB) that brings a title to `targetLufs`, within
// ±MaxNormalisingGainDb, never above 0 dB for a title carrying a DC offset,
// and lowered where its true peak would rise above `ceilingDbtp`: the ceiling
// wins over everything else.
double NormalisingGainDb(const LoudnessAnalysis& analysis, double targetLufs, double ceilingDbtp);

// A gain in dB as a volume stage's volume (16384 = unity), rounded to nearest.
int32_t VolumeForGainDb(double gainDb);

} // namespace corvane
