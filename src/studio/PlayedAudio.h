#pragma once

#include "audio/device/WaveDevice.h"

#include <cstdint>
#include <vector>

namespace corvane {

// A stretch of virtual studio time, in ms: [startMs, endMs).
struct TimeSpan {
    int64_t startMs = 0;
    int64_t endMs = 0;
    int64_t LengthMs() const { return endMs - startMs; }
    friend bool operator==(const TimeSpan&, const TimeSpan&) = default;
};

// Whether a virtual device keeps what it plays (tests) or only counts it
// (offline rendering of hours, where the samples would fill the memory).
enum class KeepSamples { Yes, No };

// What one open stream of the virtual wave device put out, on the studio's
// time axis: frame f sounds at originMs + f * 1000 / rate. Paused and starved
// stretches are silence in the recording, so times line up with the studio's
// clock; the starved ones are listed as underruns besides.
class PlayedAudio {
public:
    PlayedAudio(const WaveDeviceFormat& format, int64_t originMs, KeepSamples keep);

    const WaveDeviceFormat& Format() const { return format_; }
    int64_t OriginMs() const { return originMs_; }
    uint64_t Frames() const { return frames_; }
    // The recorded bytes in the stream's format (empty unless kept).
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // One sample scaled to -1..1; channel 0 is left.
    double Sample(uint64_t frame, int channel) const;
    // Each channel's samples scaled to -1..1, for the frames within the span.
    std::vector<double> Channel(int channel, TimeSpan span) const;

    // Root mean square over all channels within the span, 1 = full scale.
    double RmsLevel(TimeSpan span) const;
    // Largest absolute sample within the span, 1 = full scale.
    double PeakLevel(TimeSpan span) const;
    // Stretches of at least minMs whose samples all stay within threshold of
    // silence (1 = full scale), in time order.
    std::vector<TimeSpan> FindSilences(int64_t minMs, double threshold = 1.0 / 32768) const;
    // Stretches during which the stream played on with nothing queued.
    const std::vector<TimeSpan>& Underruns() const { return underruns_; }

    int64_t FrameToMs(uint64_t frame) const;
    uint64_t MsToFrame(int64_t ms) const;

    // Recording, by the virtual device.
    void AppendPlayed(const uint8_t* data, uint64_t frames);
    void AppendSilence(uint64_t frames);
    void AddUnderrun(TimeSpan span);

private:
    // Frames [first, last) of a span, clipped to what was recorded.
    std::pair<uint64_t, uint64_t> FrameRange(TimeSpan span) const;

    WaveDeviceFormat format_;
    int64_t originMs_;
    KeepSamples keep_;
    uint64_t frames_ = 0;
    std::vector<uint8_t> bytes_;
    std::vector<TimeSpan> underruns_;
};

} // namespace corvane
