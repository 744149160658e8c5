#include "audio/device/StreamStallWatch.h"

namespace corvane {

void StreamStallWatch::Started(long capacity, TimePoint now) {
    capacity_ = capacity;
    expected_ = capacity;
    tookAudio_ = false;
    lastProgress_ = now;
    slow_ = false;
}

StreamStallWatch::Verdict StreamStallWatch::Look(long available, TimePoint now) {
    if (available > expected_)
        tookAudio_ = true;
    // An empty stream has nothing to play, so it cannot stall.
    if (available > expected_ || available >= capacity_) {
        lastProgress_ = now;
        slow_ = false;
    }
    expected_ = available;
    const auto stalled = now - lastProgress_;
    const int limitMs = tookAudio_ ? StallLimitMs : StartStallLimitMs;
    if (stalled <= std::chrono::milliseconds(limitMs))
        return Verdict::Playing;
    if (stalled > std::chrono::milliseconds(SlowServerLimitMs))
        return Verdict::Lost;
    if (slow_ && now < nextAsk_)
        return Verdict::Slow;
    slow_ = serverAnswers_ && serverAnswers_();
    nextAsk_ = now + std::chrono::milliseconds(StallLimitMs);
    return slow_ ? Verdict::Slow : Verdict::Lost;
}

} // namespace corvane
