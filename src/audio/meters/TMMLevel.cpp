#include "audio/meters/TMMLevel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace corvane {

TMMLevel::TMMLevel() {
    smoother_.Configure(TMMDecayMode::dmNone, 1);
    peak_.Configure(1, 20, 0);
}

void TMMLevel::SetDecay(TMMDecayMode mode, int decay) {
    smoother_.Configure(mode, decay);
}

void TMMLevel::SetPeaks(int numPeaks, int peakDelay, int peakSpeed) {
    peak_.Configure(numPeaks, peakDelay, peakSpeed);
}

void TMMLevel::SetTotalSpots(int total) {
    totalSpots_ = std::max(total, 0);
    spots_ = std::min(spots_, totalSpots_);
}

int TMMLevel::RequiredBytes() const {
    return (static_cast<int>(BitLength) + 1) * (static_cast<int>(Mode) + 1) * std::max(Samples, 1);
}

void TMMLevel::SetPcmFormat(const WaveFormat& format) {
    if (!IsValidPcm(&format))
        throw EMMLevelError(MMString::InvalidWaveFormat);
    BitLength = format.bitsPerSample == 8 ? TMMBits::b8Bit : TMMBits::b16Bit;
    Mode = format.channels == 2 ? TMMMode::mStereo : TMMMode::mMono;
}

int TMMLevel::ChunkLevel(const unsigned char* data) const {
    const int frameBytes = (static_cast<int>(BitLength) + 1) * (static_cast<int>(Mode) + 1);
    // Which channel's offset applies: the left one for mono and for both.
    const int offset = Mode == TMMMode::mStereo && Channel == TMMChannel::chRight ? DCOffsetR : DCOffsetL;
    int peak = 0;
    for (int i = 0; i < std::max(Samples, 1); ++i) {
        const int s = MeterSample(data + i * frameBytes, BitLength, Mode, Channel) + offset;
        peak = std::max(peak, std::abs(s));
    }
    return std::min(peak, 32767);
}

void TMMLevel::RefreshPcmData(const unsigned char* data) {
    if (!Enabled)
        return;
    const int level = ChunkLevel(data);
    if (level >= 32767 && OnPcmOverflow)
        OnPcmOverflow();
    Show(smoother_.Apply(level));
}

int TMMLevel::LevelToSpots(int level) {
    level = level * (Gain + 8) / 8;
    const double total = totalSpots_;
    double spots;
    if (LogAmp) {
        const double dB = 20.0 * std::log10(std::max(level / 32767.0, 0.000001));
        spots = (dB - Sensitivy) * total / -Sensitivy;
    } else {
        const double floorValue = 32767.0 / std::pow(10.0, -Sensitivy / 20.0);
        spots = (level - floorValue) * total / (32767.0 - floorValue);
    }
    int result = std::max(static_cast<int>(std::lround(spots)), 0);
    if (result > totalSpots_) {
        if (OnGainOverflow)
            OnGainOverflow();
        result = totalSpots_;
    }
    return result;
}

void TMMLevel::Show(int level) {
    const int spots = LevelToSpots(level);
    bool changed = spots != spots_;
    spots_ = spots;
    changed |= peak_.Update(spots);
    if (changed && OnChange)
        OnChange();
}

void TMMLevel::SetValue(int percent) {
    percent = std::clamp(percent, 0, 100);
    Show(smoother_.Apply(static_cast<int>(std::lround(percent * 32767.0 / 100.0))));
}

int TMMLevel::Value() const {
    return totalSpots_ > 0 ? static_cast<int>(std::lround(spots_ * 100.0 / totalSpots_)) : 0;
}

void TMMLevel::Tick() {
    if (peak_.Tick() && OnChange)
        OnChange();
}

void TMMLevel::ResetData() {
    smoother_.Clear();
    peak_.Clear();
    spots_ = 0;
    if (OnChange)
        OnChange();
}

} // namespace corvane
