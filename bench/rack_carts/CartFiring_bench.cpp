// Firing a cart from the rack, as the console does it on a digit key.
// - Offline (Google Benchmark): the console's playout engine on the virtual
//   device with an item on air; the figure is the wall time PlayCart holds
//   the main thread, for a WAV cart and for MP3 carts whose exact length is
//   found by a scan of the whole file at load.
// - Live (--live SECONDS): the engine plays a schedule through PortAudio with
//   the output's queue at 8 buffers of 4096 bytes and fires a cart every 20 s;
//   it prints each firing's moment (ms after the output started) and how long
//   PlayCart took. cart-live.sh records the sink meanwhile and runs
//   --analyse RECORDING FIRINGS, which finds when each cart was heard and
//   every dropout of 5 ms or more.
// The audio files are made in a temporary folder (MP3 with the lame encoder).

#include "audio/decks/DeckFixtures.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/Mp3Files.h"
#include "support/QtSeams.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace corvane {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double MusicHz = 440;
constexpr double CartHz = 1000;
constexpr int Rate = 44100;

fs::path Folder() {
    static const fs::path folder = [] {
        const fs::path p = fs::temp_directory_path() / ("corvane-bench-carts-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

// `seconds` of a sine at `hz` as 16-bit stereo WAV.
fs::path MakeWave(const std::string& name, double seconds, double hz, double amplitude) {
    const fs::path path = Folder() / name;
    const auto frames = static_cast<size_t>(seconds * Rate);
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(
            amplitude * 32767 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / Rate));
    test::WriteWave16(path.string(), Rate, 2, samples);
    return path;
}

// The same as MP3 (VBR, so that its exact length needs the scan), or empty without an encoder.
// Carts as VBR MP3 files, as stations keep most of theirs.
fs::path MakeMp3(const fs::path& wave) {
    return testing::MakeMp3(wave, "-V 4");
}

// The station's playout and rack over `device`, a long music item on air.
struct Console {
    Console(Seams seams, WaveDevice& device, int buffers, double musicSeconds)
        : station(seams, {device, {}}, {Folder(), "corvane", {}}), playout(&station.Playout()),
          rack(&station.Rack()) {
        station.Start(StationMode::Offline);
        station.Core().MutableSettings().LoopScheduleContinuously = true;
        playout->mmAudioOut().SetNumBuffers(buffers);
        Table& s = station.Data().cdsSchedule;
        s.Append();
        s.FieldByName("LocalPathToFile")
            .SetAsString(MakeWave("music.wav", musicSeconds, MusicHz, 0.25).string());
        s.Post();
        s.First();
        playout->StartItem();
    }
    Station station;
    PlayoutEngine* playout;
    CartRack* rack;
};

void FireOnAir(benchmark::State& state, const fs::path& cart) {
    if (cart.empty()) {
        state.SkipWithError("no MP3 encoder (lame) to make the cart");
        return;
    }
    StudioSeams studio;
    VirtualWaveDevice device(studio.studio, KeepSamples::No);
    Console console(studio.seams(), device, 8, 120);
    studio.studio.Run(500);
    double worst = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        console.rack->PlayCart(cart.string());
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        state.SetIterationTime(ms / 1000);
        worst = std::max(worst, ms);
        // A different cart each time would be a fresh load too: alternate
        // with silence so that every firing opens the file again.
        state.PauseTiming();
        console.playout->Deck(1).SetFileName("");
        studio.studio.Run(50);
        state.ResumeTiming();
    }
    state.counters["worst_ms"] = worst;
}

void BM_PlayCartWave10s(benchmark::State& state) {
    FireOnAir(state, MakeWave("cart10.wav", 10, CartHz, 0.4));
}
void BM_PlayCartMp3Vbr30s(benchmark::State& state) {
    FireOnAir(state, MakeMp3(MakeWave("cart30.wav", 30, CartHz, 0.4)));
}
void BM_PlayCartMp3Vbr5min(benchmark::State& state) {
    FireOnAir(state, MakeMp3(MakeWave("bed300.wav", 300, CartHz, 0.4)));
}
BENCHMARK(BM_PlayCartWave10s)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_PlayCartMp3Vbr30s)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_PlayCartMp3Vbr5min)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Live: a cart every 20 s; one line per firing "fire <output position, ms> <PlayCart ms>".
int RunLive(int seconds) {
    int argc = 1;
    char name[] = "bench_rack_carts";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    testing::QtSeams qt;
    PortAudioWaveDevice device(qt.dispatcher);
    const fs::path cart = MakeWave("cart.wav", 2, CartHz, 0.4);
    const auto start = Clock::now();
    // One item for the whole run: what is measured is the carts, not the joins between items.
    Console console(qt.seams(), device, 8, seconds + 30);
    const auto since = [&start] {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    QTimer fire;
    double worst = 0;
    QObject::connect(&fire, &QTimer::timeout, [&] {
        // Where the device's clock stands at the key: the recording's time
        // axis, counted from the output's first sound.
        const auto position = static_cast<double>(console.playout->mmAudioOut().Position());
        const double at = since();
        console.rack->PlayCart(cart.string());
        const double took = since() - at;
        worst = std::max(worst, took);
        std::printf("fire %.1f %.3f\n", position, took);
        std::fflush(stdout);
    });
    fire.start(20000);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    console.playout->mmAudioOut().Stop();
    std::printf("worst PlayCart %.3f ms\n", worst);
    return 0;
}

// The level of `hz` over `frames` frames of the left channel from `first`.
double Tone(const std::vector<int16_t>& pcm, size_t first, size_t frames, double hz) {
    double re = 0, im = 0;
    for (size_t i = 0; i < frames && first + i < pcm.size() / 2; ++i) {
        const double v = pcm[2 * (first + i)] / 32768.0;
        const double phase = 2 * std::numbers::pi * hz * static_cast<double>(i) / Rate;
        re += v * std::cos(phase);
        im += v * std::sin(phase);
    }
    return 2 * std::sqrt(re * re + im * im) / static_cast<double>(frames);
}

// Reads the sink's recording (s16le stereo 44.1 kHz) and the firings: time
// zero is the music's first sound, where the output's position starts. The
// sound server's own buffering delays both alike and is not counted.
int Analyse(const std::string& recording, const std::string& firings) {
    std::ifstream in(recording, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    const size_t frames = samples.size() / 2;
    size_t first = 0;
    while (first < frames && std::abs(samples[2 * first]) < 200)
        ++first;
    if (first == frames) {
        std::puts("nothing heard");
        return 1;
    }
    size_t last = frames - 1;
    while (last > first && std::abs(samples[2 * last]) < 200)
        --last;
    // Dropouts: runs of 5 ms or more at silence between the music's first and last sound.
    const size_t minRun = Rate * 5 / 1000;
    std::vector<std::pair<size_t, size_t>> dropouts; // first frame, frames
    size_t run = 0;
    for (size_t f = first; f <= last; ++f) {
        if (std::abs(samples[2 * f]) < 4) {
            ++run;
            continue;
        }
        if (run >= minRun) {
            dropouts.emplace_back(f - run, run);
            std::printf("dropout at %.3f s, %.1f ms\n", static_cast<double>(f - run - first) / Rate,
                        static_cast<double>(run) * 1000 / Rate);
        }
        run = 0;
    }
    // Latency: from each firing to the cart's tone in the recording.
    std::ifstream keys(firings);
    std::string word;
    double at = 0, took = 0, worst = 0;
    int carts = 0;
    const size_t window = Rate / 100;
    while (keys >> word) {
        if (word != "fire" || !(keys >> at >> took))
            continue;
        // Silence the server filled in while the output starved is in the
        // recording but not in the output's position.
        auto from = first + static_cast<size_t>(at / 1000 * Rate);
        for (const auto& [start, length] : dropouts)
            if (start < from)
                from += length;
        for (size_t f = from; f + window < frames && f < from + Rate; f += Rate / 1000)
            if (Tone(samples, f, window, CartHz) > 0.15) {
                const double latency = static_cast<double>(f - from) * 1000 / Rate;
                worst = std::max(worst, latency);
                std::printf("cart at %.1f s heard after %.0f ms\n", at / 1000, latency);
                ++carts;
                break;
            }
    }
    std::printf("%d carts heard, worst latency %.0f ms; %zu dropouts of 5 ms or more over %.0f s\n", carts,
                worst, dropouts.size(), static_cast<double>(last - first) / Rate);
    return 0;
}

} // namespace
} // namespace corvane

int main(int argc, char** argv) {
    int status = 0;
    if (argc == 3 && std::string(argv[1]) == "--live") {
        status = corvane::RunLive(std::atoi(argv[2]));
    } else if (argc == 4 && std::string(argv[1]) == "--analyse") {
        status = corvane::Analyse(argv[2], argv[3]);
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    std::filesystem::remove_all(corvane::Folder());
    return status;
}
