// Deck throughput. The MP3 is the CBR test tone repeated to about 40 s; the
// WAV is 60 s of 44.1 kHz 16-bit stereo. "xRealTime" is seconds of audio
// delivered per second of CPU.
#include "audio/chain/WaveFormat.h"
#include "audio/decks/DeckStream.h"
#include "audio/readers/TMMWave.h"

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
        const std::string p = Scratch("corvane-bench-long.wav");
        TMMWave wave;
        wave.SetFileMustExist(false);
        wave.SetFileName(p);
        wave.CreateFile(PcmWaveFormat(16, 2, 44100), WaveWriteMode::Overwrite);
        std::vector<int16_t> frames(2 * 44100);
        for (int second = 0; second < 60; ++second) {
            for (size_t i = 0; i < frames.size(); i += 2)
                frames[i] = frames[i + 1] =
                    static_cast<int16_t>(10000 * std::sin(static_cast<double>(i) * 0.0313));
            wave.Write(reinterpret_cast<const uint8_t*>(frames.data()), frames.size() * 2);
        }
        wave.CloseFile();
        return p;
    }();
    return path;
}

// Everything a deck delivers for the file, in buffers of BufferBytes.
int64_t PlayThroughDeck(const std::string& path) {
    TMMAudioFile deck("bench");
    deck.SetFileName(path);
    return StreamDeck(deck, static_cast<int>(BufferBytes),
                      [](const uint8_t* data, uint32_t) { benchmark::DoNotOptimize(data); });
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
