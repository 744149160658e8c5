#pragma once

#include <optional>
#include <string>

namespace corvane {

// The levels that place a title's cue points. Read from the settings' audio
// section; the defaults are what a station gets without choosing.
struct CueThresholds {
    // Cue-in is where the audio first rises above this sample level, cue-out
    // where it last falls below it (dBFS).
    double cueLevelDbfs = -40.0;
    // The segue point is where the ending falls below the title's integrated
    // loudness plus this (LU, negative) for the rest of the title.
    double segueLevelLu = -15.0;
};

// What was measured of one title (EBU R 128 / ITU-R BS.1770). Times are ms
// from the start of the file.
struct LoudnessAnalysis {
    double integratedLufs = 0;
    double rangeLu = 0;
    // The highest true peak of any channel (dBTP).
    double truePeakDbtp = 0;
    int cueInMs = 0;
    int cueOutMs = 0;
    // None when the title stays above the segue level to its cue-out.
    std::optional<int> segueMs;
    // The decoded length (ms).
    int durationMs = 0;
    // The largest mean of a channel, as a fraction of full scale (0 to 1):
    // a direct-current offset, which the loudness meter does not hear (its
    // K-weighting removes it) but which a gain would raise all the same.
    double dcOffset = 0;

    friend bool operator==(const LoudnessAnalysis&, const LoudnessAnalysis&) = default;
};

// A measurement or why there is none ("not analysed": the file is missing,
// damaged, empty or silent). Exactly one of the two is set.
struct AnalysisResult {
    std::optional<LoudnessAnalysis> analysis;
    std::string reason;

    bool Analysed() const { return analysis.has_value(); }
    static AnalysisResult NotAnalysed(std::string why) { return {std::nullopt, std::move(why)}; }
};

} // namespace corvane
