// Deck throughput. The MP3 is the CBR test tone repeated to about 40 s; the
// WAV is 60 s of 44.1 kHz 16-bit stereo. "xRealTime" is seconds of audio
// delivered per second of CPU.
#include "audio/chain/WaveFormat.h"
#include "audio/decks/TMMAudioFile.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mpg123.h>
#include <string>
#include <vector>

namespace corvane {
namespace {

constexpr size_t BufferBytes = 16384;

std::string Scratch(const std::string& name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void PutLE(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The CBR tone's frames, without its ID3v1 trailer, repeated `times` times.
const std::string& LongMp3() {
    static const std::string path = [] {
        std::ifstream in(std::string(CORVANE_FIXTURES) + "/audio/tone-cbr.mp3", std::ios::binary);
        std::string mp3((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (mp3.size() > 128 && mp3.compare(mp3.size() - 128, 3, "TAG") == 0)
            mp3.resize(mp3.size() - 128);
        const std::string p = Scratch("corvane-bench-long.mp3");
        std::ofstream out(p, std::ios::binary);
        for (int i = 0; i < 57; ++i)
            out << mp3;
        return p;
    }();
    return path;
}

const std::string& LongWav() {
    static const std::string path = [] {
        const WaveFormat f = PcmWaveFormat(16, 2, 44100);
        const uint32_t frames = 60 * 44100;
        std::string data;
        data.reserve(frames * 4);
        for (uint32_t i = 0; i < frames; ++i) {
            const auto s = static_cast<uint16_t>(static_cast<int16_t>(10000 * std::sin(i * 0.0627)));
            PutLE(data, s, 2);
            PutLE(data, s, 2);
        }
        const auto fmt = SerializeWaveFormat(f);
        std::string out = "RIFF";
        PutLE(out, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size()), 4);
        out += "WAVEfmt ";
        PutLE(out, static_cast<uint32_t>(fmt.size()), 4);
        out.append(fmt.begin(), fmt.end());
        out += "data";
        PutLE(out, static_cast<uint32_t>(data.size()), 4);
        out += data;
        const std::string p = Scratch("corvane-bench-long.wav");
        std::ofstream(p, std::ios::binary) << out;
        return p;
    }();
    return path;
}

// Everything a deck delivers for the file, in buffers of BufferBytes.
int64_t PlayThroughDeck(const std::string& path) {
    TMMAudioFile deck("bench");
    deck.SetFileName(path);
    deck.OpenChain(static_cast<int>(BufferBytes));
    deck.StartChain();
    std::vector<uint8_t> buffer(BufferBytes);
    int64_t total = 0;
    for (bool more = true; more;) {
        BufferHeader h;
        h.data = buffer.data();
        h.bufferLength = static_cast<uint32_t>(buffer.size());
        more = false;
        deck.BufferLoad(&h, more);
        total += h.bytesFilled;
        benchmark::DoNotOptimize(buffer.data());
    }
    deck.StopChain();
    deck.CloseChain();
    return total;
}

int64_t DecodeWithBareMpg123(const std::string& path) {
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    mpg123_param(h, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_open(h, path.c_str());
    std::vector<unsigned char> buffer(BufferBytes);
    int64_t total = 0;
    for (;;) {
        size_t done = 0;
        const int r = mpg123_read(h, buffer.data(), buffer.size(), &done);
        total += static_cast<int64_t>(done);
        benchmark::DoNotOptimize(buffer.data());
        if (r != MPG123_OK && r != MPG123_NEW_FORMAT)
            break;
    }
    mpg123_close(h);
    mpg123_delete(h);
    return total;
}

void Report(benchmark::State& state, int64_t bytesPerRun, double bytesPerSecondOfAudio) {
    state.SetBytesProcessed(state.iterations() * bytesPerRun);
    state.counters["xRealTime"] = benchmark::Counter(static_cast<double>(bytesPerRun) / bytesPerSecondOfAudio,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Mp3BareLibmpg123(benchmark::State& state) {
    const std::string& path = LongMp3();
    int64_t bytes = 0;
    for (auto _ : state)
        bytes = DecodeWithBareMpg123(path);
    Report(state, bytes, 44100.0 * 4);
}

void BM_Mp3ThroughDeck(benchmark::State& state) {
    const std::string& path = LongMp3();
    int64_t bytes = 0;
    for (auto _ : state)
        bytes = PlayThroughDeck(path);
    Report(state, bytes, 44100.0 * 4);
}

void BM_Wav16ThroughDeck(benchmark::State& state) {
    const std::string& path = LongWav();
    int64_t bytes = 0;
    for (auto _ : state)
        bytes = PlayThroughDeck(path);
    Report(state, bytes, 44100.0 * 4);
}

BENCHMARK(BM_Mp3BareLibmpg123)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Mp3ThroughDeck)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Wav16ThroughDeck)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
} // namespace corvane

BENCHMARK_MAIN();
