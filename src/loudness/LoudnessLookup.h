#pragma once

#include "loudness/LoudnessAnalysis.h"

#include <optional>
#include <string>

namespace corvane {

// Where playout finds a title's measurement when it loads the file: nothing
// for a title not analysed (or changed since), which then plays as it is.
class LoudnessLookup {
public:
    virtual ~LoudnessLookup() = default;
    virtual std::optional<LoudnessAnalysis> FindAnalysis(const std::string& path) = 0;
    // The measurement found for `path` does not fit the file as a deck opened
    // it (another file's, or a decoder that reads it otherwise): it is
    // dropped, so the title counts as not measured, and measured again.
    virtual void MeasureAgain(const std::string& path) = 0;
};

} // namespace corvane
