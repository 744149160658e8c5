#include "audio/output/Gains.h"

namespace corvane {
namespace {

int32_t RoundedScale(int64_t value, int64_t factor) {
    const int64_t product = value * factor;
    // Round half away from zero, like the gain tables the console was tuned on.
    const int64_t half = UnityGain / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / UnityGain : (product - half) / UnityGain);
}

} // namespace

StereoGains GainsFromVolume(int32_t volume, int32_t panning) {
    StereoGains g{volume, volume};
    if (panning > 0)
        g.left = RoundedScale(volume, UnityGain - static_cast<int64_t>(panning));
    else
        g.right = RoundedScale(volume, UnityGain + static_cast<int64_t>(panning));
    return g;
}

bool ScaleSamples16(int16_t* samples, int count, int channels, StereoGains gains) {
    bool clipped = false;
    for (int i = 0; i < count; ++i) {
        const int32_t gain = (channels == 2 && (i & 1)) ? gains.right : gains.left;
        samples[i] = Saturate16((static_cast<int64_t>(samples[i]) * gain) >> 14, clipped);
    }
    return clipped;
}

bool ScaleSamples8(uint8_t* samples, int count, int channels, StereoGains gains) {
    bool clipped = false;
    for (int i = 0; i < count; ++i) {
        const int32_t gain = (channels == 2 && (i & 1)) ? gains.right : gains.left;
        int64_t v = ((static_cast<int64_t>(samples[i]) - 128) * gain) >> 14;
        if (v > 127) {
            v = 127;
            clipped = true;
        } else if (v < -128) {
            v = -128;
            clipped = true;
        }
        samples[i] = static_cast<uint8_t>(v + 128);
    }
    return clipped;
}

} // namespace corvane
