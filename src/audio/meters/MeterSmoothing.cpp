#include "audio/meters/MeterSmoothing.h"

#include <algorithm>
#include <cmath>

namespace corvane {

float MeterDecayFactor(int decay) {
    float f = 0.0001f;
    for (int i = 0; i < decay; ++i)
        f = std::sqrt(f);
    return f;
}

void MeterSmoother::Configure(TMMDecayMode mode, int decay) {
    decay = std::clamp(decay, 1, 16);
    mode_ = mode;
    factor_ = MeterDecayFactor(decay);
    windowSize_ = std::min(std::max(2 * decay - 2, 1), 32);
    Clear();
}

void MeterSmoother::Clear() {
    smoothed_ = 0;
    window_.fill(0);
    windowFill_ = windowNext_ = 0;
    windowSum_ = 0;
}

int MeterSmoother::Apply(int value) {
    switch (mode_) {
    case TMMDecayMode::dmNone:
        return value;
    case TMMDecayMode::dmStepUp:
        smoothed_ *= factor_;
        if (static_cast<float>(value) > smoothed_) {
            smoothed_ = static_cast<float>(value);
            return value;
        }
        return static_cast<int>(smoothed_);
    case TMMDecayMode::dmExponential:
        smoothed_ = smoothed_ * factor_ + (1.0f - factor_) * static_cast<float>(value);
        return static_cast<int>(std::floor(smoothed_));
    case TMMDecayMode::dmUniform:
        if (windowFill_ == windowSize_)
            windowSum_ -= window_[windowNext_];
        else
            ++windowFill_;
        window_[windowNext_] = value;
        windowSum_ += value;
        windowNext_ = (windowNext_ + 1) % windowSize_;
        return static_cast<int>(windowSum_ / windowFill_);
    }
    return value;
}

void PeakHold::Configure(int numPeaks, int peakDelay, int peakSpeed) {
    numPeaks_ = std::max(numPeaks, 0);
    peakDelay_ = std::clamp(peakDelay, 0, 50);
    peakSpeed_ = std::clamp(peakSpeed, 0, 50);
    Clear();
}

bool PeakHold::Update(int spots) {
    if (numPeaks_ <= 0 || spots <= 0 || spots < peak_)
        return false;
    const bool changed = spots != peak_;
    peak_ = spots;
    countdown_ = 2 * peakDelay_ + 1;
    return changed;
}

bool PeakHold::Tick() {
    if (peak_ <= 0)
        return false;
    if (--countdown_ > 0)
        return false;
    if (peakSpeed_ == 0) {
        peak_ = 0;
    } else {
        --peak_;
        countdown_ = peakSpeed_;
    }
    return true;
}

} // namespace corvane
