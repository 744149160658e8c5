#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane {

// One stretch of a wave file's data that is played: start and length in
// sample frames and in bytes of the data chunk.
struct TMMCutSegment {
    int64_t startSample = 0;
    int64_t lengthSamples = 0;
    int64_t startByte = 0;
    int64_t lengthBytes = 0;
};

// The segments of a wave file that are played, in playing order. A loaded
// file has one segment covering all its data.
class TMMCutList {
public:
    void Clear() { segments_.clear(); }
    void Add(const TMMCutSegment& segment) { segments_.push_back(segment); }
    const std::vector<TMMCutSegment>& Segments() const { return segments_; }
    int Count() const { return static_cast<int>(segments_.size()); }
    // Sample frames of all segments together.
    int64_t TotalSamples() const;
    // The segment holding a playing position (in sample frames counted over
    // the segments), or Count() past the end.
    int SegmentAt(int64_t sample) const;
    // Where segment `index` begins, counted over the segments.
    int64_t PlayStart(int index) const;

private:
    std::vector<TMMCutSegment> segments_;
};

} // namespace corvane
