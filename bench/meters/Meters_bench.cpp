// One second of programme through the console's displays at the connector's
// pace: every 10 ms each level meter takes a chunk of 250 frames and the
// spectrum a block of 64 frames, and the 25 ms peak tick runs. The time per
// iteration is the share of one core the computation takes (1 s of audio).
#include "audio/meters/ConsoleMeterSettings.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace corvane {
namespace {

std::vector<unsigned char> Programme(int frames) {
    std::vector<unsigned char> bytes;
    bytes.reserve(static_cast<size_t>(frames) * 4);
    for (int i = 0; i < frames; ++i) {
        const double t = i / 44100.0;
        const double s =
            0.4 * std::sin(2 * std::numbers::pi * 220 * t) + 0.2 * std::sin(2 * std::numbers::pi * 3100 * t);
        for (double channel : {s, 0.8 * s}) {
            const auto v = static_cast<uint16_t>(static_cast<int16_t>(std::lround(channel * 32767)));
            bytes.push_back(static_cast<unsigned char>(v & 0xFF));
            bytes.push_back(static_cast<unsigned char>(v >> 8));
        }
    }
    return bytes;
}

void BM_ConsoleDisplaysPerSecondOfAudio(benchmark::State& state) {
    TMMLevel left, right;
    TMMSpectrum spectrum;
    ApplyConsoleLevelSettings(left, TMMChannel::chLeft);
    ApplyConsoleLevelSettings(right, TMMChannel::chRight);
    ApplyConsoleSpectrumSettings(spectrum);
    left.SetTotalSpots(60);
    right.SetTotalSpots(60);
    const auto audio = Programme(44100 + 250);
    for (auto _ : state) {
        for (int refresh = 0; refresh < 100; ++refresh) {
            const unsigned char* chunk = audio.data() + static_cast<size_t>(refresh) * 441 * 4;
            left.RefreshPcmData(chunk);
            right.RefreshPcmData(chunk);
            spectrum.RefreshPcmData(chunk);
            if (refresh % 5 == 0) { // two peak ticks every 50 ms
                left.Tick(), right.Tick(), spectrum.Tick();
                left.Tick(), right.Tick(), spectrum.Tick();
            }
        }
        benchmark::DoNotOptimize(spectrum.Bars().data());
    }
}
BENCHMARK(BM_ConsoleDisplaysPerSecondOfAudio)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace corvane
