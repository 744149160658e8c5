#pragma once

#include <chrono>

namespace corvane {

// Decides when an output stream has stopped taking audio: it holds audio but
// its room has not grown (nothing was played) for longer than StallLimitMs;
// before it has taken any audio since it started, StartStallLimitMs, since a
// sound server may take longer than a second to start a new stream on a busy
// machine. The stream's writer feeds it what it sees and the time it saw it.
class StreamStallWatch {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    static constexpr int StallLimitMs = 1000;
    static constexpr int StartStallLimitMs = 3000;

    // The stream started, with `capacity` frames of room.
    void Started(long capacity, TimePoint now);
    // Frames were written into the stream's room.
    void Wrote(long frames) { expected_ -= frames; }
    // The stream's room as just read at `now`; false once the stream counts
    // as stalled.
    bool Look(long available, TimePoint now);

private:
    long capacity_ = 0;
    long expected_ = 0; // the room there would be had nothing played since the last look
    bool tookAudio_ = false;
    TimePoint lastProgress_{};
};

} // namespace corvane
