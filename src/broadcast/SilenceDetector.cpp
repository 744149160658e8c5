#include "broadcast/SilenceDetector.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace corvane {

void SilenceDetector::Configure(const SilenceSettings& settings) {
    const double dbfs =
        std::clamp(std::isfinite(settings.ThresholdDbfs) ? settings.ThresholdDbfs : -50.0, -96.0, 0.0);
    thresholdSample_ = static_cast<int32_t>(std::lround(32768.0 * std::pow(10.0, dbfs / 20)));
    delayMs_ = std::clamp<int32_t>(settings.DelayMs, 500, 600000);
}

void SilenceDetector::BufferPlayed(const uint8_t* bytes, uint32_t length, int64_t nowMs) {
    int32_t peak = 0;
    for (uint32_t i = 0; i + 1 < length; i += 2) {
        int16_t sample;
        std::memcpy(&sample, bytes + i, sizeof sample);
        peak = std::max(peak, std::abs(int32_t{sample}));
        if (peak >= thresholdSample_)
            break;
    }
    if (peak >= thresholdSample_)
        AirOfUnknownLevel(nowMs);
    Check(playing_, nowMs);
}

void SilenceDetector::AirOfUnknownLevel(int64_t nowMs) {
    // The buffer heard now began about a buffer ago; the air came back
    // within it.
    if (raised_)
        Clear(nowMs);
    lastLoudMs_ = nowMs;
}

void SilenceDetector::Check(bool playing, int64_t nowMs) {
    if (playing != playing_) {
        playing_ = playing;
        // Playing begins: the delay counts from here. Playing ends: whatever
        // was raised is over, with nothing to watch.
        if (playing)
            lastLoudMs_ = nowMs;
        else if (raised_)
            Clear(nowMs);
    }
    if (playing_ && !raised_ && nowMs - lastLoudMs_ >= delayMs_) {
        raised_ = true;
        if (events_.Raised)
            events_.Raised(lastLoudMs_, nowMs);
    }
}

void SilenceDetector::Clear(int64_t backMs) {
    raised_ = false;
    if (events_.Cleared)
        events_.Cleared(lastLoudMs_, backMs);
}

} // namespace corvane
