#include "audio/device/MainThreadQueue.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/device/PortAudioWaveInDevice.h"
#include "audio/device/PrivateSoundServer.h"
#include "audio/device/SoundServerRecorder.h"
#include "audio/input/TMMWaveRecorder.h"
#include "audio/output/TMMWaveOut.h"
#include "audio/readers/TMMWave.h"
#include "tools/AudioLogging.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <thread>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

// An endless 1 kHz sine at half scale, the "broadcast".
class Tone final : public TMMDSPComponent {
public:
    Tone() : TMMDSPComponent("Tone", PublishedLinks::Output) {
        const WaveFormat cd = PcmWaveFormat(16, 2, 44100);
        SetWaveFormat(&cd);
    }
    ~Tone() override { Unlink(); }
    void BufferLoad(BufferHeader* h, bool& more) override {
        auto* s = reinterpret_cast<int16_t*>(h->data);
        const uint32_t frames = h->bufferLength / 4;
        for (uint32_t i = 0; i < frames; ++i, ++frame_) {
            const auto v = static_cast<int16_t>(std::lround(
                16384 * std::sin(2 * std::numbers::pi * 1000 * static_cast<double>(frame_) / 44100)));
            s[2 * i] = s[2 * i + 1] = v;
        }
        h->bytesFilled = frames * 4;
        more = true;
    }

private:
    uint64_t frame_ = 0;
};

class NoPrompts final : public Prompter {
public:
    MessageAnswer Show(const std::string&, MessageType, MessageButtons) override { return MessageAnswer::Ok; }
};

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    testing::PrivateSoundServer server;
    if (!server.Start() || !server.MakeSinkTheDefault()) {
        std::fprintf(stderr, "could not start a PulseAudio server\n");
        return 1;
    }
    server.UseForThisProcess();
    const std::string path = (std::filesystem::temp_directory_path() / "corvane-bench-snoop.wav").string();
    MainThreadQueue main;
    NoPrompts prompter;
    PortAudioWaveInDevice input;
    TMMWaveRecorder recorder(input, main, prompter, "WaveRecorder");
    // Set up as the console's audio logging records.
    ConfigureAudioLogging(recorder);
    recorder.SetRecordFileName(path);

    PortAudioWaveDevice device(main);
    TMMWaveOut out(device, main, "mmAudioOut");
    out.SetDeviceID(WaveMapperId);
    out.SetBufferSize(4096);
    out.SetNumBuffers(64);
    Tone tone;
    out.SetInput(&tone);

    std::atomic<bool> busy{true};
    std::thread load([&] {
        volatile double x = 1;
        while (busy.load(std::memory_order_relaxed))
            x = std::sqrt(x + 1.0);
    });

    out.Start();
    main.RunFor(1s);
    recorder.StartRecording();
    const auto start = std::chrono::steady_clock::now();
    main.RunUntil([&] { return recorder.GetRecordPosition() > 0; }, 10s);
    const auto flowing = std::chrono::steady_clock::now();
    main.RunFor(std::chrono::seconds(seconds));
    const int64_t recordedMs = recorder.GetRecordPosition();
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - flowing).count();
    recorder.StopRecording();
    out.Stop();
    out.Close();
    busy = false;
    load.join();

    TMMWave wave;
    wave.SetTimeFormat(TMMTimeFormats::tfByte);
    wave.SetFileName(path);
    wave.OpenFile();
    std::vector<uint8_t> data(static_cast<size_t>(wave.DataSize()));
    data.resize(static_cast<size_t>(wave.Read(data.data(), data.size())));
    std::vector<double> left;
    left.reserve(data.size() / 4);
    for (size_t i = 0; i + 3 < data.size(); i += 4)
        left.push_back(static_cast<int16_t>(data[i] | (data[i + 1] << 8)) / 32768.0);
    const ToneSpan span = FindTone(left);
    const auto dropouts =
        span.found ? FindDropouts(left, span.first, span.last, 44) : decltype(FindDropouts(left, 0, 0, 44)){};
    const auto clicks =
        span.found ? FindClicks(left, span.first, span.last, 0.5 * 2 * std::numbers::pi * 1000 / 44100 * 1.2)
                   : std::vector<size_t>{};
    std::printf("recorded %.1f s while playing, wall clock %.1f s after the input's first frames "
                "(%.0f ms to the first frames)\n",
                static_cast<double>(recordedMs) / 1000, wallMs / 1000,
                std::chrono::duration<double, std::milli>(flowing - start).count());
    std::printf("file: %.1f s of audio; tone %s; %zu dropouts of 1 ms or more, %zu jumps in the sine\n",
                static_cast<double>(left.size()) / 44100, span.found ? "found" : "NOT found", dropouts.size(),
                clicks.size());
    for (const auto& [first, last] : dropouts)
        std::printf("  dropout at %.3f s, %.1f ms\n", static_cast<double>(first) / 44100,
                    static_cast<double>(last - first) * 1000 / 44100);
    for (const size_t at : clicks)
        std::printf("  jump at %.3f s\n", static_cast<double>(at) / 44100);
    std::filesystem::remove(path);
    return span.found && dropouts.empty() && clicks.empty() ? 0 : 2;
}
