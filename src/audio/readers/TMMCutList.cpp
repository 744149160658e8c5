#include "audio/readers/TMMCutList.h"

namespace corvane {

int64_t TMMCutList::TotalSamples() const {
    int64_t total = 0;
    for (const auto& s : segments_)
        total += s.lengthSamples;
    return total;
}

int TMMCutList::SegmentAt(int64_t sample) const {
    int64_t start = 0;
    for (int i = 0; i < Count(); ++i) {
        start += segments_[static_cast<size_t>(i)].lengthSamples;
        if (sample < start)
            return i;
    }
    return Count();
}

int64_t TMMCutList::PlayStart(int index) const {
    int64_t start = 0;
    for (int i = 0; i < index && i < Count(); ++i)
        start += segments_[static_cast<size_t>(i)].lengthSamples;
    return start;
}

} // namespace corvane
