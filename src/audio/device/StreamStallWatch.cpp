#include "audio/device/StreamStallWatch.h"

namespace corvane {

void StreamStallWatch::Started(long capacity, TimePoint now) {
    capacity_ = capacity;
    expected_ = capacity;
    tookAudio_ = false;
    lastProgress_ = now;
}

bool StreamStallWatch::Look(long available, TimePoint now) {
    if (available > expected_)
        tookAudio_ = true;
    // An empty stream has nothing to play, so it cannot stall.
    if (available > expected_ || available >= capacity_)
        lastProgress_ = now;
    expected_ = available;
    const int limitMs = tookAudio_ ? StallLimitMs : StartStallLimitMs;
    return now - lastProgress_ <= std::chrono::milliseconds(limitMs);
}

} // namespace corvane
