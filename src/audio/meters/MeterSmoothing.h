#pragma once

#include <array>
#include <cstdint>

namespace corvane {

enum class TMMDecayMode { dmNone, dmStepUp, dmExponential, dmUniform };

// Per-refresh decay factor of a meter: 0.0001 with the square root taken
// `decay` times (Decay 7 → 0.93057, Decay 6 → 0.86596). Single precision,
// as the meters have always computed it.
float MeterDecayFactor(int decay);

// The smoothing a level meter applies to its chunk levels and a spectrum to
// each bin: turns the newest value into the value shown.
class MeterSmoother {
public:
    void Configure(TMMDecayMode mode, int decay);
    int Apply(int value);
    void Clear();

private:
    TMMDecayMode mode_ = TMMDecayMode::dmNone;
    float factor_ = 0;
    int windowSize_ = 1; // dmUniform: min(max(2 × Decay − 2, 1), 32)
    float smoothed_ = 0;
    std::array<int, 32> window_{};
    int windowFill_ = 0;
    int windowNext_ = 0;
    int64_t windowSum_ = 0;
};

// The peak mark of a bar: set by a new maximum, held for 2 × PeakDelay + 1
// ticks of the 25 ms display timer, then falling one spot every PeakSpeed
// ticks (or at once to zero with PeakSpeed 0).
class PeakHold {
public:
    void Configure(int numPeaks, int peakDelay, int peakSpeed);
    // Returns whether the peak changed.
    bool Update(int spots);
    bool Tick();
    void Clear() { peak_ = 0, countdown_ = 0; }
    int Peak() const { return peak_; }

private:
    int numPeaks_ = 1, peakDelay_ = 20, peakSpeed_ = 0;
    int peak_ = 0;
    int countdown_ = 0;
};

} // namespace corvane
