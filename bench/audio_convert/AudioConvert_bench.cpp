// How much faster than real time the conversion chain turns 22.05 kHz mono
// 16-bit PCM into 44.1 kHz stereo 16-bit PCM, the conversion a mixer port
// makes for such a deck. The counter "x_realtime" is seconds of audio
// converted per second of CPU time.
#include "audio/readers/ConversionChain.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace corvane;

void ConvertOneMinute(benchmark::State& state, ConversionQuality quality) {
    constexpr int Rate = 22050;
    constexpr int Seconds = 60;
    std::vector<uint8_t> source;
    for (int i = 0; i < Rate * Seconds; ++i) {
        const auto v =
            static_cast<int16_t>(std::lrint(12000 * std::sin(2 * std::numbers::pi * 440 * i / Rate)));
        source.push_back(static_cast<uint8_t>(v));
        source.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
    auto chain = ConversionChain::Create(PcmWaveFormat(16, 1, Rate), PcmWaveFormat(16, 2, 44100), quality);
    std::vector<uint8_t> out(4096);
    // The source arrives in pulls of about one output buffer's worth, as the
    // converter component asks for it.
    constexpr size_t Pull = 1024;
    for (auto _ : state) {
        chain->Reset();
        for (size_t at = 0; at < source.size(); at += Pull) {
            const size_t n = std::min(Pull, source.size() - at);
            chain->Convert({source.data() + at, n},
                           at + n == source.size() ? ConversionEnd::Final : ConversionEnd::More);
            while (chain->Available() > 0)
                benchmark::DoNotOptimize(chain->Read(out.data(), out.size()));
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(Seconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Convert22kMonoTo44kStereoLow(benchmark::State& state) {
    ConvertOneMinute(state, ConversionQuality::Low);
}
void BM_Convert22kMonoTo44kStereoHigh(benchmark::State& state) {
    ConvertOneMinute(state, ConversionQuality::High);
}

BENCHMARK(BM_Convert22kMonoTo44kStereoLow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert22kMonoTo44kStereoHigh)->Unit(benchmark::kMillisecond);

} // namespace
