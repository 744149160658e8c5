#pragma once

#include <chrono>
#include <functional>

namespace corvane {

// Decides when an output stream has stopped taking audio: it holds audio but
// its room has not grown (nothing was played) for longer than StallLimitMs;
// before it has taken any audio since it started, StartStallLimitMs, since a
// sound server may take longer than a second to start a new stream on a busy
// machine. The stream's writer feeds it what it sees and the time it saw it.
//
// A stall is not yet a loss. An overloaded or briefly stopped sound server
// still answers on its socket, and tearing its stream down costs seconds of
// silence where waiting costs a short underrun; so past the limit the server
// is asked (`serverAnswers`, at most once per StallLimitMs) and, while it
// answers, the stream counts as Slow up to SlowServerLimitMs from the last
// audio it took. A server that does not answer, or is not known, makes the
// stall a loss at once.
class StreamStallWatch {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using ServerAnswers = std::function<bool()>;

    enum class Verdict {
        Playing, // taking audio, or not stalled for long
        Slow,    // stalled, but its server is still there: keep waiting
        Lost,    // stalled with no server behind it, or for too long
    };

    static constexpr int StallLimitMs = 1000;
    static constexpr int StartStallLimitMs = 3000;
    static constexpr int SlowServerLimitMs = 10000;

    explicit StreamStallWatch(ServerAnswers serverAnswers = {}) : serverAnswers_(std::move(serverAnswers)) {}

    // The stream started, with `capacity` frames of room.
    void Started(long capacity, TimePoint now);
    // Frames were written into the stream's room.
    void Wrote(long frames) { expected_ -= frames; }
    // The stream's room as just read at `now`.
    Verdict Look(long available, TimePoint now);

private:
    ServerAnswers serverAnswers_;
    long capacity_ = 0;
    long expected_ = 0; // the room there would be had nothing played since the last look
    bool tookAudio_ = false;
    TimePoint lastProgress_{};
    // While Slow: when the server is asked again.
    TimePoint nextAsk_{};
    bool slow_ = false;
};

} // namespace corvane
