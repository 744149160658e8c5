#pragma once

#include "settings/BroadcastSettings.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace corvane {

// The station's own watch on the air after the DSP plug-in: an alarm when,
// while on air, nothing above the threshold has been heard for the delay,
// whether the buffers played are silent (a silent title, a dead source) or
// none is played at all (the output stopped taking audio while the console
// believes it plays). A quiet passage shorter than the delay never raises it.
// Cleared when the air comes back (or playing ends), with the silence's
// length. Times are monotonic ms; the level is each buffer's peak. Main
// thread; Qt-free. Costs one pass over each buffer's samples.
class SilenceDetector {
public:
    struct Events {
        // The air has been silent since `quietSinceMs`; raised at `nowMs`.
        std::function<void(int64_t quietSinceMs, int64_t nowMs)> Raised;
        // The silence raised ended at `backMs` (the air came back, or the
        // console stopped playing).
        std::function<void(int64_t quietSinceMs, int64_t backMs)> Cleared;
    };

    explicit SilenceDetector(Events events) : events_(std::move(events)) {}

    // Threshold and delay from now on; out-of-range values are brought into
    // range (-96..0 dBFS; 0.5 s..10 min).
    void Configure(const SilenceSettings& settings);
    // A buffer of interleaved 16-bit PCM has just been heard, at `nowMs`.
    void BufferPlayed(const uint8_t* bytes, uint32_t length, int64_t nowMs);
    // A buffer whose level cannot be read (not 16-bit PCM) has been heard:
    // it counts as air, never as silence, so that no false alarm is raised.
    void AirOfUnknownLevel(int64_t nowMs);
    // Whether the console believes it plays, at `nowMs`: called on a timer
    // and with every buffer, so that an output that plays nothing is found.
    void Check(bool playing, int64_t nowMs);

    bool Alarm() const { return raised_; }
    // When the air went silent, while it is.
    std::optional<int64_t> QuietSinceMs() const {
        return playing_ ? std::optional(lastLoudMs_) : std::nullopt;
    }
    int32_t DelayMs() const { return delayMs_; }

private:
    void Clear(int64_t backMs);

    Events events_;
    // The threshold as a 16-bit sample's magnitude.
    int32_t thresholdSample_ = 104;
    int32_t delayMs_ = 5000;
    bool playing_ = false;
    // The last moment anything above the threshold was heard (or playing began).
    int64_t lastLoudMs_ = 0;
    bool raised_ = false;
};

} // namespace corvane
