#pragma once

#include "support/WaveFiles.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane::testing {

// One stretch of a generated title: a sine of `hz` with peaks at `peakDbfs`
// (silence when hz is 0) lasting `ms`, the same on every channel.
struct ToneStretch {
    double hz = 0;
    double peakDbfs = -20;
    int ms = 0;
};

// Interleaved 16-bit samples of the stretches one after another.
inline std::vector<int16_t> ToneSamples(int rate, int channels, const std::vector<ToneStretch>& stretches) {
    std::vector<int16_t> out;
    for (const ToneStretch& s : stretches) {
        const int64_t frames = int64_t{s.ms} * rate / 1000;
        const double amplitude = 32767.0 * std::pow(10.0, s.peakDbfs / 20.0);
        for (int64_t f = 0; f < frames; ++f) {
            const double v =
                s.hz > 0 ? amplitude * std::sin(2 * M_PI * s.hz * static_cast<double>(f) / rate) : 0;
            for (int c = 0; c < channels; ++c)
                out.push_back(static_cast<int16_t>(std::lround(v)));
        }
    }
    return out;
}

// A 16-bit WAVE file of the stretches.
inline void WriteToneFile(const std::string& path, int rate, int channels,
                          const std::vector<ToneStretch>& stretches) {
    WriteWave16(path, rate, channels, ToneSamples(rate, channels, stretches));
}

// A 16-bit stereo 44.1 kHz WAVE file at `path` of `seconds` of a sine at
// `hz`, `amplitude` of full scale (1 = full scale); returns the path.
inline std::string WriteSineFile(const std::filesystem::path& path, double seconds, double hz,
                                 double amplitude) {
    constexpr int Rate = 44100;
    const auto frames = static_cast<size_t>(seconds * Rate);
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(
            std::lround(amplitude * 32767 * std::sin(2 * M_PI * hz * static_cast<double>(i) / Rate)));
    WriteWave16(path.string(), Rate, 2, samples);
    return path.string();
}

} // namespace corvane::testing
