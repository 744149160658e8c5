#include "audio/decks/TMMAudioFile.h"
#include "audio/output/TMMVolume.h"
#include "audio/output/TMMWaveMixer.h"
#include "audio/output/TMMWaveOut.h"
#include "studio/VirtualWaveDevice.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// A 16-bit PCM WAVE file of a sine, written for the test.
fs::path WriteTone(const std::string& name, int rate, int channels, double seconds, double frequency,
                   double amplitude) {
    const fs::path path = fs::temp_directory_path() / ("corvane-mixer-" + std::to_string(::getpid()) + name);
    const auto frames = static_cast<uint32_t>(rate * seconds);
    const uint32_t bytes = frames * 2 * static_cast<uint32_t>(channels);
    std::ofstream f(path, std::ios::binary);
    auto put = [&](uint32_t v, int size) {
        for (int i = 0; i < size; ++i)
            f.put(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    f.write("RIFF", 4);
    put(36 + bytes, 4);
    f.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate * channels * 2), 4);
    put(static_cast<uint32_t>(channels * 2), 2);
    put(16, 2);
    f.write("data", 4);
    put(bytes, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(
            std::lround(amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * i / rate)));
        for (int c = 0; c < channels; ++c)
            put(static_cast<uint16_t>(v), 2);
    }
    return path;
}

// The console's front of the chain: decks through volumes into the mixer,
// played by the output on the virtual device.
struct DeckFixture {
    VirtualStudio studio;
    VirtualWaveDevice device{studio};
    TMMAudioFile deck1{"mmAudio1"}, deck2{"mmAudio2"};
    TMMVolume volume1{"mmVolume1"}, volume2{"mmVolume2"};
    TMMWaveMixer mixer{"WaveMixer"};
    TMMWaveOut out{device, studio, "mmAudioOut"};
    std::vector<std::string> events;
    std::vector<fs::path> files;

    DeckFixture() {
        deck1.SetOutput(&volume1);
        deck2.SetOutput(&volume2);
        mixer.SetPortInput(0, &volume1);
        mixer.SetPortInput(1, &volume2);
        mixer.SetOutput(&out);
        out.SetBufferSize(4096);
        out.SetNumBuffers(64);
        mixer.OnOpenPort = [this](TMMDSPComponent*, int i) { events.push_back("open" + std::to_string(i)); };
        mixer.OnClosePort = [this](TMMDSPComponent*, int i) {
            events.push_back("close" + std::to_string(i));
        };
    }
    ~DeckFixture() {
        out.Close();
        deck1.SetFileName("");
        deck2.SetFileName("");
        for (const auto& f : files)
            fs::remove(f);
    }
};

TEST(MixerWithDecks, ConvertsA22kMonoDeckOnItsPort) {
    DeckFixture f;
    f.files.push_back(WriteTone("mono22.wav", 22050, 1, 2.0, 1000, 0.5));
    f.deck1.SetFileName(f.files.back().string());
    f.out.Start();
    f.studio.Run(4000);
    EXPECT_EQ(f.deck1.GetWaveFormat()->samplesPerSec, 22050u);
    EXPECT_EQ(f.deck1.GetWaveFormat()->channels, 1);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open0", "close0"}));
    const PlayedAudio& played = f.device.Played();
    const auto left = played.Channel(0, {500, 1500});
    const auto right = played.Channel(1, {500, 1500});
    EXPECT_EQ(left, right);
    int crossings = 0;
    for (size_t i = 1; i < left.size(); ++i)
        crossings += (left[i - 1] < 0) != (left[i] < 0);
    EXPECT_NEAR(crossings, 2000, 4);
    EXPECT_NEAR(played.RmsLevel({500, 1500}), 0.5 / std::sqrt(2.0), 0.01);
    // The tone lasts its two seconds, then the mixer plays silence.
    EXPECT_NEAR(static_cast<double>(played.FindSilences(100).front().startMs), 2000, 25);
}

TEST(MixerWithDecks, AnEmptyDeckNeverOpensOrClosesItsPort) {
    DeckFixture f;
    f.files.push_back(WriteTone("a.wav", 44100, 2, 0.5, 440, 0.25));
    f.deck2.SetFileName(f.files.back().string()); // deck1 stays empty
    f.out.Start();
    f.studio.Run(2000);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open1", "close1"}));
    EXPECT_TRUE(f.mixer.PortDone(0));
    EXPECT_TRUE(f.mixer.PortDone(1));
}

TEST(MixerWithDecks, PlaysTwoDecksAtOnceAndTheOneThatLastsLonger) {
    DeckFixture f;
    f.files.push_back(WriteTone("long.wav", 44100, 2, 2.0, 440, 0.25));
    f.files.push_back(WriteTone("short.wav", 44100, 2, 0.5, 660, 0.25));
    f.deck1.SetFileName(f.files[0].string());
    f.deck2.SetFileName(f.files[1].string());
    f.volume2.SetVolume(8192);
    f.out.Start();
    f.studio.Run(3000);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open0", "open1", "close1", "close0"}));
    const PlayedAudio& played = f.device.Played();
    // Both sines together, then the long one alone; no gap in between.
    EXPECT_NEAR(played.RmsLevel({100, 400}), std::sqrt(0.25 * 0.25 / 2 + 0.125 * 0.125 / 2), 0.01);
    EXPECT_NEAR(played.RmsLevel({600, 1900}), 0.25 / std::sqrt(2.0), 0.01);
    EXPECT_TRUE(played.Underruns().empty());
    EXPECT_NEAR(static_cast<double>(played.FindSilences(100).front().startMs), 2000, 25);
}

} // namespace
} // namespace corvane
