#pragma once

#include "loudness/LoudnessAnalysis.h"

#include <cstdint>
#include <ebur128.h>
#include <memory>
#include <vector>

namespace corvane {

// Measures one title from its PCM as it is decoded: libebur128 for the
// integrated loudness, the loudness range and the true peak, the sample
// levels for cue-in and cue-out, and the loudness of each 100 ms for the
// segue point. Feed it in order, then ask for the result once. One
// thread at a time.
class LoudnessMeter {
public:
    LoudnessMeter(int channels, int rate, CueThresholds thresholds);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Interleaved 16-bit frames.
    void Add(const int16_t* samples, int64_t frames);
    // The measurement; not analysed when nothing was fed or all was silence.
    AnalysisResult Result() const;

private:
    void AddToMeter(const int16_t* samples, int64_t frames);

    struct StateDeleter {
        void operator()(ebur128_state* state) const;
    };
    std::unique_ptr<ebur128_state, StateDeleter> state_;
    int channels_;
    int rate_;
    CueThresholds thresholds_;
    // Sample magnitude above which audio counts for the cue points.
    int cueMagnitude_;
    int64_t frames_ = 0;
    int64_t firstLoudFrame_ = -1;
    int64_t lastLoudFrame_ = -1;
    // Frames fed since the last reading.
    int64_t sinceReading_ = 0;
    // The sum of each channel's samples, for its mean (the DC offset).
    std::vector<int64_t> sums_;
    // Loudness (LUFS) of each 100 ms step.
    std::vector<double> steps_;
};

} // namespace corvane
