#include "loudness/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ebur128.h>
#include <stdexcept>

namespace corvane {

namespace {

constexpr int ReadingsPerSecond = 10;

int64_t FramesToMs(int64_t frames, int rate, bool roundUp) {
    const int64_t scaled = frames * 1000;
    return roundUp ? (scaled + rate - 1) / rate : scaled / rate;
}

} // namespace

void LoudnessMeter::StateDeleter::operator()(ebur128_state* state) const {
    ebur128_destroy(&state);
}

LoudnessMeter::LoudnessMeter(int channels, int rate, CueThresholds thresholds)
    : state_(ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate),
                          EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK)),
      channels_(channels), rate_(rate), thresholds_(thresholds),
      cueMagnitude_(static_cast<int>(std::floor(32768.0 * std::pow(10.0, thresholds.cueLevelDbfs / 20.0)))),
      sums_(static_cast<size_t>(std::max(channels, 0)), 0) {
    if (!state_)
        throw std::runtime_error("the loudness meter cannot measure " + std::to_string(channels) +
                                 " channels at " + std::to_string(rate) + " Hz");
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(const int16_t* samples, int64_t frames) {
    // The cue points: the first and the last frame with a sample above the level.
    for (int64_t f = 0; f < frames; ++f) {
        const int16_t* frame = samples + f * channels_;
        int loudest = 0;
        for (int c = 0; c < channels_; ++c) {
            loudest = std::max(loudest, std::abs(static_cast<int>(frame[c])));
            sums_[static_cast<size_t>(c)] += frame[c];
        }
        if (loudest > cueMagnitude_) {
            if (firstLoudFrame_ < 0)
                firstLoudFrame_ = frames_ + f;
            lastLoudFrame_ = frames_ + f;
        }
    }
    // Fed in pieces that end on the 100 ms steps, so that each reading
    // describes exactly the 100 ms before it.
    const int64_t step = rate_ / ReadingsPerSecond;
    while (frames > 0) {
        const int64_t piece = std::min(frames, step - sinceReading_);
        AddToMeter(samples, piece);
        samples += piece * channels_;
        frames -= piece;
        sinceReading_ += piece;
        frames_ += piece;
        if (sinceReading_ == step) {
            double value = -HUGE_VAL;
            ebur128_loudness_window(state_.get(), 1000 / ReadingsPerSecond, &value);
            steps_.push_back(value);
            sinceReading_ = 0;
        }
    }
}

void LoudnessMeter::AddToMeter(const int16_t* samples, int64_t frames) {
    if (ebur128_add_frames_short(state_.get(), samples, static_cast<size_t>(frames)) != EBUR128_SUCCESS)
        throw std::runtime_error("the loudness meter ran out of memory");
}

AnalysisResult LoudnessMeter::Result() const {
    if (frames_ == 0)
        return AnalysisResult::NotAnalysed("the file holds no audio");
    double integrated = -HUGE_VAL;
    ebur128_loudness_global(state_.get(), &integrated);
    if (!std::isfinite(integrated))
        return AnalysisResult::NotAnalysed("the file is silent");
    LoudnessAnalysis a;
    a.integratedLufs = integrated;
    double range = 0;
    if (ebur128_loudness_range(state_.get(), &range) == EBUR128_SUCCESS && std::isfinite(range))
        a.rangeLu = range;
    double peak = 0;
    for (int c = 0; c < channels_; ++c) {
        double channelPeak = 0;
        ebur128_true_peak(state_.get(), static_cast<unsigned>(c), &channelPeak);
        peak = std::max(peak, channelPeak);
    }
    a.truePeakDbtp = 20.0 * std::log10(peak);
    a.durationMs = static_cast<int>(FramesToMs(frames_, rate_, false));
    for (const int64_t sum : sums_)
        a.dcOffset =
            std::max(a.dcOffset, std::abs(static_cast<double>(sum)) / static_cast<double>(frames_) / 32768.0);
    // A title quieter than the cue level throughout keeps its whole length.
    const bool crossesCueLevel = firstLoudFrame_ >= 0;
    a.cueInMs = crossesCueLevel ? static_cast<int>(FramesToMs(firstLoudFrame_, rate_, false)) : 0;
    a.cueOutMs = crossesCueLevel
                     ? std::min(a.durationMs, static_cast<int>(FramesToMs(lastLoudFrame_ + 1, rate_, true)))
                     : a.durationMs;

    // The segue point: after the last reading at or above the level the
    // title stays below it. None when that reading is at cue-out, and never
    // before half the title.
    const double segueLevel = integrated + thresholds_.segueLevelLu;
    int lastAbove = -1;
    for (int i = static_cast<int>(steps_.size()) - 1; i >= 0; --i)
        if (steps_[static_cast<size_t>(i)] >= segueLevel) {
            lastAbove = i;
            break;
        }
    if (lastAbove >= 0) {
        const int atMs = (lastAbove + 1) * (1000 / ReadingsPerSecond);
        const int segue = std::max(atMs, a.durationMs / 2);
        if (segue < a.cueOutMs)
            a.segueMs = segue;
    }
    return {a, {}};
}

} // namespace corvane
