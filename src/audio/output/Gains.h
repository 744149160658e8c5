#pragma once

#include <cstdint>

namespace corvane {

// 16-bit fixed-point gains: 16384 is unity, 0 silence, 32768 double.
inline constexpr int32_t UnityGain = 16384;

struct StereoGains {
    int32_t left = UnityGain;
    int32_t right = UnityGain;
    bool IsUnity() const { return left == UnityGain && right == UnityGain; }
};

// The gains of a volume and a balance on the 16384 scale: a positive panning
// takes the left channel down, a negative one the right; computed with 64-bit
// intermediates and rounded to the nearest integer.
StereoGains GainsFromVolume(int32_t volume, int32_t panning);

// Scales 16-bit stereo or mono samples in place (mono uses the left gain):
// sample × gain >> 14, saturated. Returns true when a sample was clipped.
bool ScaleSamples16(int16_t* samples, int count, int channels, StereoGains gains);
// The same for unsigned 8-bit samples around 128.
bool ScaleSamples8(uint8_t* samples, int count, int channels, StereoGains gains);

} // namespace corvane
