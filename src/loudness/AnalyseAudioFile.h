#pragma once

#include "loudness/LoudnessAnalysis.h"

#include <string>

namespace corvane {

// Decodes the file with the engine's own readers (WAV and MPEG, as a deck
// plays it) and measures it. Never throws: a missing, damaged, empty or silent
// file is "not analysed" with the reason. Any thread; each call has its own
// deck.
AnalysisResult AnalyseAudioFile(const std::string& path, const CueThresholds& thresholds);

} // namespace corvane
