// The stream's figures: what encoding the air costs (seconds of audio per
// second of one core, per format, at 128 kbit/s), what the air itself pays
// per played buffer to hand it to the stream, how long a stream takes to be
// back after its server returns, and how long now & next takes from the item
// display to the file and the UDP line. Run from a release build; the
// reconnect figure starts icecast2 on loopback.
#include "audio/chain/WaveFormat.h"
#include "broadcast/IcecastStream.h"
#include "broadcast/NowPlayingAnnouncer.h"
#include "broadcast/StreamEncoder.h"
#include "broadcast/StreamQueue.h"
#include "broadcast/UdpListener.h"
#include "platform/Dispatcher.h"
#include "support/IcecastServer.h"
#include "support/TempFolder.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <thread>

namespace corvane {
namespace {

constexpr uint32_t Rate = 44100;

// One second of stereo programme-like audio: two tones and some noise.
std::vector<int16_t> OneSecond() {
    std::vector<int16_t> samples(Rate * 2);
    std::mt19937 noise(7);
    std::uniform_int_distribution<int> hiss(-600, 600);
    for (uint32_t i = 0; i < Rate; ++i) {
        const double t = double(i) / Rate;
        const double v =
            6000 * std::sin(2 * M_PI * 220 * t) + 3000 * std::sin(2 * M_PI * 1375 * t) + hiss(noise);
        samples[2 * i] = static_cast<int16_t>(v);
        samples[2 * i + 1] = static_cast<int16_t>(-v);
    }
    return samples;
}

// Each iteration encodes one second of audio in 4096-byte buffers, as the
// output plays them. "audio_s_per_s" is how many seconds of air one core
// encodes per second: 100 / it is the per cent of one core the stream costs.
void BM_Encode(benchmark::State& state, const char* format) {
    const std::vector<int16_t> second = OneSecond();
    auto encoder = MakeStreamEncoder(format, {Rate, 2}, 128, "Bench");
    std::vector<uint8_t> out;
    for (auto _ : state) {
        for (size_t at = 0; at < second.size(); at += 2048) {
            out.clear();
            encoder->Encode(second.data() + at, std::min<size_t>(1024, (second.size() - at) / 2), out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["audio_s_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_Encode, mp3, "mp3")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encode, opus, "opus")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encode, vorbis, "vorbis")->Unit(benchmark::kMillisecond);

// What the air pays per played buffer (4096 bytes, 23 ms of audio): the copy
// into the stream's queue, with the encoder thread taking blocks out.
void BM_AirToQueue(benchmark::State& state) {
    StreamQueue queue(Rate * 5);
    std::atomic<bool> done{false};
    std::thread consumer([&] {
        while (!done)
            if (queue.Pop(std::chrono::milliseconds(10)))
                queue.Done();
    });
    const std::vector<int16_t> buffer(2048, 1000);
    for (auto _ : state)
        queue.Push(buffer.data(), 1024, {Rate, 2});
    done = true;
    queue.Wake();
    consumer.join();
}
BENCHMARK(BM_AirToQueue);

class DiscardingDispatcher final : public Dispatcher {
public:
    void Post(std::function<void()>) override {}
};

// From the server listening again to the stream connected and sending, with
// the console's own retry interval (manual time: the wall clock of that
// span). The air keeps coming meanwhile, from a thread playing the output's
// part.
void BM_Reconnect(benchmark::State& state) {
    testing::IcecastServer server;
    DiscardingDispatcher dispatcher;
    StreamSettings settings{true,     "127.0.0.1", server.Port(),
                            "/bench", "source",    testing::IcecastServer::SourcePassword,
                            "mp3",    128};
    IcecastStream stream(settings, dispatcher, {}, {});
    std::atomic<bool> done{false};
    std::thread air([&] {
        const std::vector<int16_t> buffer(2048, 0);
        WaveFormat format;
        format.channels = 2;
        format.samplesPerSec = Rate;
        format.bitsPerSample = 16;
        while (!done) {
            stream.Air(reinterpret_cast<const uint8_t*>(buffer.data()), 4096, &format);
            std::this_thread::sleep_for(std::chrono::microseconds(23220));
        }
    });
    stream.WaitForState(StreamState::Connected, std::chrono::seconds(30));
    for (auto _ : state) {
        server.Kill();
        stream.WaitForState(StreamState::Retrying, std::chrono::seconds(30));
        server.Start();
        const auto back = std::chrono::steady_clock::now();
        if (!stream.WaitForState(StreamState::Connected, std::chrono::seconds(30)))
            state.SkipWithError("the stream did not come back");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - back).count());
    }
    done = true;
    air.join();
}
BENCHMARK(BM_Reconnect)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// From the item display's moment (the announcer called) to the file replaced
// and the UDP line received on loopback.
void BM_NowPlayingLatency(benchmark::State& state) {
    testing::TempFolder folder;
    testing::UdpListener rds;
    NowPlayingSettings settings;
    settings.File = folder.File("now.txt");
    settings.UdpTarget = rds.Target();
    NowPlayingAnnouncer announcer(settings, {});
    NowPlayingItem item;
    item.artist = "Bench";
    int n = 0;
    for (auto _ : state) {
        item.title = "Item " + std::to_string(++n);
        announcer.ItemHeard(item);
        benchmark::DoNotOptimize(rds.Receive());
    }
}
BENCHMARK(BM_NowPlayingLatency)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace corvane

BENCHMARK_MAIN();
