#include "studio/PlayedAudio.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace corvane {

PlayedAudio::PlayedAudio(const WaveDeviceFormat& format, int64_t originMs, KeepSamples keep)
    : format_(format), originMs_(originMs), keep_(keep) {}

int64_t PlayedAudio::FrameToMs(uint64_t frame) const {
    return originMs_ + static_cast<int64_t>(frame * 1000 / format_.samplesPerSec);
}

uint64_t PlayedAudio::MsToFrame(int64_t ms) const {
    if (ms <= originMs_)
        return 0;
    return static_cast<uint64_t>(ms - originMs_) * format_.samplesPerSec / 1000;
}

std::pair<uint64_t, uint64_t> PlayedAudio::FrameRange(TimeSpan span) const {
    if (keep_ == KeepSamples::No)
        throw std::logic_error("PlayedAudio: the samples were not kept");
    const uint64_t first = std::min(MsToFrame(span.startMs), frames_);
    const uint64_t last = std::min(MsToFrame(span.endMs), frames_);
    return {first, std::max(first, last)};
}

double PlayedAudio::Sample(uint64_t frame, int channel) const {
    const size_t at = static_cast<size_t>(frame) * format_.BlockAlign() +
                      static_cast<size_t>(channel) * (format_.bitsPerSample / 8);
    if (format_.bitsPerSample == 8)
        return (static_cast<int>(bytes_.at(at)) - 128) / 128.0;
    const auto value = static_cast<int16_t>(bytes_.at(at) | (bytes_.at(at + 1) << 8));
    return value / 32768.0;
}

std::vector<double> PlayedAudio::Channel(int channel, TimeSpan span) const {
    const auto [first, last] = FrameRange(span);
    std::vector<double> out;
    out.reserve(static_cast<size_t>(last - first));
    for (uint64_t f = first; f < last; ++f)
        out.push_back(Sample(f, channel));
    return out;
}

double PlayedAudio::RmsLevel(TimeSpan span) const {
    const auto [first, last] = FrameRange(span);
    if (first == last)
        return 0.0;
    double sum = 0.0;
    for (uint64_t f = first; f < last; ++f)
        for (int c = 0; c < format_.channels; ++c)
            sum += Sample(f, c) * Sample(f, c);
    return std::sqrt(sum / static_cast<double>((last - first) * format_.channels));
}

double PlayedAudio::PeakLevel(TimeSpan span) const {
    const auto [first, last] = FrameRange(span);
    double peak = 0.0;
    for (uint64_t f = first; f < last; ++f)
        for (int c = 0; c < format_.channels; ++c)
            peak = std::max(peak, std::abs(Sample(f, c)));
    return peak;
}

std::vector<TimeSpan> PlayedAudio::FindSilences(int64_t minMs, double threshold) const {
    FrameRange({originMs_, originMs_});
    std::vector<TimeSpan> found;
    auto close = [&](uint64_t start, uint64_t end) {
        const TimeSpan span{FrameToMs(start), FrameToMs(end)};
        if (end > start && span.LengthMs() >= minMs)
            found.push_back(span);
    };
    uint64_t runStart = 0;
    bool inRun = false;
    for (uint64_t f = 0; f < frames_; ++f) {
        bool quiet = true;
        for (int c = 0; c < format_.channels && quiet; ++c)
            quiet = std::abs(Sample(f, c)) <= threshold;
        if (quiet && !inRun) {
            runStart = f;
            inRun = true;
        } else if (!quiet && inRun) {
            close(runStart, f);
            inRun = false;
        }
    }
    if (inRun)
        close(runStart, frames_);
    return found;
}

void PlayedAudio::AppendPlayed(const uint8_t* data, uint64_t frames) {
    frames_ += frames;
    if (keep_ == KeepSamples::Yes)
        bytes_.insert(bytes_.end(), data, data + frames * format_.BlockAlign());
}

void PlayedAudio::AppendSilence(uint64_t frames) {
    frames_ += frames;
    if (keep_ == KeepSamples::Yes)
        bytes_.insert(bytes_.end(), frames * format_.BlockAlign(), format_.bitsPerSample == 8 ? 128 : 0);
}

void PlayedAudio::AddUnderrun(TimeSpan span) {
    if (span.LengthMs() > 0)
        underruns_.push_back(span);
}

} // namespace corvane
