#include "audio/output/Gains.h"

#include <algorithm>

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

namespace {

// The loops below are written without branches so that the compiler can
// vectorise them: the mix and the volumes run over every sample played.
template <typename Wide> bool ScaleStereo16(int16_t* samples, int count, int32_t left, int32_t right) {
    int clipped = 0;
    for (int i = 0; i < count; ++i) {
        const Wide gain = (i & 1) ? right : left;
        const Wide v = (static_cast<Wide>(samples[i]) * gain) >> 14;
        const Wide c = std::clamp<Wide>(v, INT16_MIN, INT16_MAX);
        clipped |= c != v;
        samples[i] = static_cast<int16_t>(c);
    }
    return clipped != 0;
}

template <typename Wide> bool ScaleMono16(int16_t* samples, int count, int32_t gain) {
    int clipped = 0;
    for (int i = 0; i < count; ++i) {
        const Wide v = (static_cast<Wide>(samples[i]) * gain) >> 14;
        const Wide c = std::clamp<Wide>(v, INT16_MIN, INT16_MAX);
        clipped |= c != v;
        samples[i] = static_cast<int16_t>(c);
    }
    return clipped != 0;
}

// Gains up to double keep every product within 32 bits.
bool Fits32(StereoGains g) {
    return g.left >= -32768 && g.left <= 32768 && g.right >= -32768 && g.right <= 32768;
}

} // namespace

bool ScaleSamples16(int16_t* samples, int count, int channels, StereoGains gains) {
    if (channels == 2)
        return Fits32(gains) ? ScaleStereo16<int32_t>(samples, count, gains.left, gains.right)
                             : ScaleStereo16<int64_t>(samples, count, gains.left, gains.right);
    return Fits32(gains) ? ScaleMono16<int32_t>(samples, count, gains.left)
                         : ScaleMono16<int64_t>(samples, count, gains.left);
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
