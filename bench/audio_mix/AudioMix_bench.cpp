// Throughput and CPU share of the console's mix: two decks through their
// volumes into the mixer, master volume, ring buffer and wave output. As the
// console plays a schedule, the decks take turns: when one item (a minute)
// ends on one deck, the next starts on the other, so an hour of programme
// decodes an hour of audio. A further case keeps both decks playing the
// whole time (a cross-fade that never ends), the mixer's worst case.
// - Offline: the chain renders through the virtual wave device as fast as the
//   CPU allows; the figure is audio time over CPU time (× real time), with
//   16-bit WAV and with MP3 sources.
// - Live (--live SECONDS): the same mix of two MP3 decks plays through
//   PortAudio on the default device; the figure is the process's CPU time as
//   a share of one core.
// Run from a release build. The source files (a minute each) are made in a
// temporary folder; MP3 needs the lame encoder.

#include "audio/decks/TMMAudioFile.h"
#include "audio/device/MainThreadQueue.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/output/TMMRingBuffer.h"
#include "audio/output/TMMVolume.h"
#include "audio/output/TMMWaveMixer.h"
#include "audio/output/TMMWaveOut.h"
#include "studio/VirtualWaveDevice.h"
#include "support/Mp3Files.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <numbers>
#include <string>
#include <sys/resource.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

fs::path Folder() {
    static const fs::path folder = [] {
        const fs::path p = fs::temp_directory_path() / ("corvane-bench-mix-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

void Put16(std::ofstream& f, uint16_t v) {
    f.put(static_cast<char>(v & 0xff)).put(static_cast<char>(v >> 8));
}
void Put32(std::ofstream& f, uint32_t v) {
    Put16(f, static_cast<uint16_t>(v & 0xffff));
    Put16(f, static_cast<uint16_t>(v >> 16));
}

// A minute of a two-tone signal as 16-bit stereo WAV at 44.1 kHz.
fs::path MakeWave(const std::string& name, double frequency) {
    const fs::path path = Folder() / name;
    const uint32_t frames = 44100 * 60;
    std::ofstream f(path, std::ios::binary);
    f.write("RIFF", 4);
    Put32(f, 36 + frames * 4);
    f.write("WAVEfmt ", 8);
    Put32(f, 16);
    Put16(f, 1);
    Put16(f, 2);
    Put32(f, 44100);
    Put32(f, 44100 * 4);
    Put16(f, 4);
    Put16(f, 16);
    f.write("data", 4);
    Put32(f, frames * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = i / 44100.0;
        const auto v = static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * frequency * t) +
                                            4000 * std::sin(2 * std::numbers::pi * frequency * 1.5 * t));
        Put16(f, static_cast<uint16_t>(v));
        Put16(f, static_cast<uint16_t>(v));
    }
    return path;
}

// The same as MP3 (128 kbit/s), or empty without an encoder.
// Music as 128 kbit/s CBR MP3 files.
fs::path MakeMp3(const fs::path& wave) {
    return testing::MakeMp3(wave, "-b 128");
}

enum class Decks { TakeTurns, BothAtOnce };

// The console's chain from two decks to the output.
struct MixChain {
    TMMAudioFile deck1{"mmAudio1"}, deck2{"mmAudio2"};
    TMMVolume volume1{"mmVolume1"}, volume2{"mmVolume2"};
    TMMWaveMixer mixer{"WaveMixer"};
    TMMVolume master{"MasterVolume"};
    TMMRingBuffer ring;
    TMMWaveOut out;

    MixChain(WaveDevice& device, Dispatcher& dispatcher, const fs::path& a, const fs::path& b, Decks decks)
        : ring(dispatcher, "MMRingBuffer1"), out(device, dispatcher, "mmAudioOut") {
        deck1.SetOutput(&volume1);
        deck2.SetOutput(&volume2);
        mixer.SetPortInput(0, &volume1);
        mixer.SetPortInput(1, &volume2);
        mixer.SetOutput(&master);
        master.SetOutput(&ring);
        ring.SetOutput(&out);
        // Cross-fade levels, so that the gains do real work.
        volume1.SetVolume(12000);
        volume2.SetVolume(6000);
        out.SetDeviceID(WaveMapperId);
        out.SetBufferSize(4096);
        out.SetNumBuffers(64);
        deck1.SetFileName(a.string());
        if (decks == Decks::BothAtOnce) {
            deck2.SetFileName(b.string());
            mixer.SetLoop(0, true);
            mixer.SetLoop(1, true);
            return;
        }
        // The second deck is loaded when the first item ends; until then its
        // port finds nothing and stays closed.
        mixer.OnClosePort = [this, b](TMMDSPComponent*, int port) {
            TMMAudioFile& next = port == 0 ? deck2 : deck1;
            if (next.IsEmpty())
                next.SetFileName(b.string());
            else
                next.Seek(0);
            mixer.HoldPort(1 - port, false);
        };
    }
};

void RenderOffline(benchmark::State& state, bool mp3, Decks decks) {
    const fs::path a = MakeWave("a.wav", 440), b = MakeWave("b.wav", 660);
    const fs::path sourceA = mp3 ? MakeMp3(a) : a, sourceB = mp3 ? MakeMp3(b) : b;
    if (sourceA.empty() || sourceB.empty()) {
        state.SkipWithError("no MP3 encoder (lame) to make the sources");
        return;
    }
    const int64_t minutes = state.range(0);
    for (auto _ : state) {
        VirtualStudio studio;
        VirtualWaveDevice device(studio, KeepSamples::No);
        MixChain chain(device, studio, sourceA, sourceB, decks);
        chain.out.Start();
        studio.Run(minutes * 60'000);
        chain.out.Stop();
        if (!device.Played().Underruns().empty() || chain.mixer.MixPosition() < minutes * 60 * 44100)
            state.SkipWithError("the offline mix ran dry");
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(minutes * 60) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_OfflineMixWave(benchmark::State& state) {
    RenderOffline(state, false, Decks::TakeTurns);
}
void BM_OfflineMixMp3(benchmark::State& state) {
    RenderOffline(state, true, Decks::TakeTurns);
}
void BM_OfflineMixWaveBothDecks(benchmark::State& state) {
    RenderOffline(state, false, Decks::BothAtOnce);
}
void BM_OfflineMixMp3BothDecks(benchmark::State& state) {
    RenderOffline(state, true, Decks::BothAtOnce);
}
BENCHMARK(BM_OfflineMixWave)->Arg(60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfflineMixMp3)->Arg(60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfflineMixWaveBothDecks)->Arg(60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfflineMixMp3BothDecks)->Arg(60)->Unit(benchmark::kMillisecond);

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int RunLive(int seconds) {
    const fs::path a = MakeMp3(MakeWave("a.wav", 440)), b = MakeMp3(MakeWave("b.wav", 660));
    if (a.empty() || b.empty()) {
        std::cerr << "no MP3 encoder (lame) to make the sources\n";
        return 1;
    }
    MainThreadQueue loop;
    PortAudioWaveDevice device(loop);
    MixChain chain(device, loop, a, b, Decks::BothAtOnce);
    chain.out.Start();
    loop.RunFor(std::chrono::milliseconds(2000)); // settle: open, first fill
    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    loop.RunFor(std::chrono::milliseconds(seconds * 1000));
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    chain.out.Stop();
    std::printf("live mix of two MP3 decks playing at once through PortAudio: %.2f%% of one core over %.0f s "
                "(%.3f s CPU)\n",
                100 * cpu / wall, wall, cpu);
    return 0;
}

} // namespace
} // namespace corvane

int main(int argc, char** argv) {
    int status = 0;
    if (argc == 3 && std::string(argv[1]) == "--live") {
        status = corvane::RunLive(std::atoi(argv[2]));
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    std::filesystem::remove_all(corvane::Folder());
    return status;
}
