#include "audio/decks/DeckFixtures.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "tools/AudioPreview.h"
#include "tools/PreviewPlayer.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace corvane {
namespace {

using test::ScratchFolder;

constexpr int Rate = 8000;

// A quiet-free tone file of `ms` milliseconds, 16-bit mono.
std::string ToneFile(const ScratchFolder& folder, const std::string& name, int ms) {
    std::vector<int16_t> samples(static_cast<size_t>(Rate) * ms / 1000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 0.3));
    const std::string path = folder.File(name);
    test::WriteWave16(path, Rate, 1, samples);
    return path;
}

// A stereo 44.1 kHz sine of `hz`, half of full scale, `ms` long.
std::string StereoSine(const ScratchFolder& folder, const std::string& name, double hz, int ms) {
    constexpr int rate = 44100;
    std::vector<int16_t> samples(static_cast<size_t>(rate) * ms / 1000 * 2);
    for (size_t i = 0; i < samples.size(); i += 2)
        samples[i] = samples[i + 1] = static_cast<int16_t>(
            16000 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i / 2) / rate));
    const std::string path = folder.File(name);
    test::WriteWave16(path, rate, 2, samples);
    return path;
}

class Preview : public ::testing::Test {
protected:
    PreviewSetup MakeSetup() {
        PreviewSetup setup{device, s.seams(), {}, {}, {}};
        setup.DeviceId = [this] { return deviceId; };
        setup.External = [this] { return external; };
        setup.ShowModal = [this](PreviewPlayer& player) { shown(player); };
        return setup;
    }

    StudioSeams s;
    VirtualWaveDevice device{s.studio};
    ScratchFolder folder;
    bool external = false;
    int deviceId = WaveMapperId;
    std::function<void(PreviewPlayer&)> shown = [](PreviewPlayer&) {};
};

TEST_F(Preview, MeasuringGivesTheLengthAsADateTimeAndPlaysNothingEvenWithTheExternalPlayer) {
    const std::string path = ToneFile(folder, "Short Tone.wav", 205'500);
    external = true;
    EXPECT_DOUBLE_EQ(PreviewAudio(MakeSetup(), path, PreviewMode::DurationOnly), 205.5 / 86400.0);
    EXPECT_TRUE(device.Streams().empty());
    EXPECT_TRUE(s.shell.OpenedTargets().empty());
}

TEST_F(Preview, ExternalPlayerGetsThePreviewThroughTheShell) {
    const std::string path = ToneFile(folder, "a.wav", 1000);
    external = true;
    EXPECT_EQ(PreviewAudio(MakeSetup(), path, PreviewMode::Play), 0.0);
    ASSERT_EQ(s.shell.OpenedTargets().size(), 1u);
    EXPECT_EQ(s.shell.OpenedTargets()[0].target, path);
    EXPECT_TRUE(s.shell.OpenedTargets()[0].parameters.empty());
}

TEST_F(Preview, PlaysOnThePreviewDeviceCountingDownTheRemainingTime) {
    const std::string path = ToneFile(folder, "a rather long file name for the label.wav", 205'500);
    device.SetDeviceCount(2);
    deviceId = 1;
    std::vector<std::pair<int, int>> remaining;
    shown = [&](PreviewPlayer& player) {
        EXPECT_EQ(player.Label(), "A RATHER LONG FILE NAME FOR ");
        EXPECT_EQ(player.RemainingMs(), 205'500);
        player.SetView({[&](int m, int sec) { remaining.emplace_back(m, sec); }, {}, {}});
        player.Play();
        s.studio.Run(3000);
        EXPECT_TRUE(player.Playing());
        player.Pause();
        const int64_t pausedAt = s.studio.NowMs();
        s.studio.Run(1000);
        EXPECT_EQ(device.Played().RmsLevel({pausedAt + 10, pausedAt + 990}), 0.0);
        player.Play(); // resumes where it paused
        s.studio.Run(1000);
        EXPECT_GT(device.Played().RmsLevel({pausedAt + 1100, pausedAt + 1900}), 0.1);
        EXPECT_LT(player.RemainingMs(), 205'500 - 3000);
        EXPECT_GT(player.RemainingMs(), 205'500 - 4500);
        player.Stop();
    };
    EXPECT_DOUBLE_EQ(PreviewAudio(MakeSetup(), path, PreviewMode::Play), 205.5 / 86400.0);
    ASSERT_GE(remaining.size(), 2u);
    EXPECT_EQ(remaining.front(), std::make_pair(3, 24)); // the first tick after the start
    const int64_t origin = device.Played().OriginMs();
    EXPECT_NEAR(device.Played().RmsLevel({origin + 100, origin + 2000}), 8000 / 32768.0 / std::sqrt(2.0),
                0.02);
}

TEST_F(Preview, PlayingAgainWhilePlayingStartsFromTheTop) {
    const std::string path = ToneFile(folder, "a.wav", 10'000);
    PreviewPlayer player(device, s.seams(), WaveMapperId);
    player.Load(path);
    player.Play();
    s.studio.Run(2000);
    player.Tick();
    EXPECT_LE(player.RemainingMs(), 8100);
    player.Play();
    s.studio.Run(100);
    player.Tick();
    EXPECT_GT(player.RemainingMs(), 9000);
}

TEST_F(Preview, ABadOrMissingFileIsReportedToTheOperatorAndNothingShows) {
    std::ofstream(folder.File("bad.wav")) << "not audio at all";
    bool opened = false;
    shown = [&](PreviewPlayer&) { opened = true; };
    for (const std::string& path : {folder.File("bad.wav"), folder.File("missing.wav")}) {
        s.prompter.Clear();
        EXPECT_EQ(PreviewAudio(MakeSetup(), path, PreviewMode::Play), 0.0) << path;
        ASSERT_EQ(s.prompter.Messages().size(), 1u) << path;
        EXPECT_EQ(s.prompter.Messages()[0].text, PreviewProblemMessage);
        EXPECT_EQ(s.prompter.Messages()[0].type, MessageType::Warning);
    }
    EXPECT_FALSE(opened);
    EXPECT_ANY_THROW(PreviewAudio(MakeSetup(), folder.File("bad.wav"), PreviewMode::DurationOnly));
}

TEST_F(Preview, AnOutputErrorClosesTheWindowThenWarns) {
    const std::string path = ToneFile(folder, "a.wav", 5000);
    device.FailNext(VirtualWaveDevice::Call::Open, "device busy");
    std::vector<std::string> order;
    shown = [&](PreviewPlayer& player) {
        player.SetView({{}, {}, [&] { order.push_back("close"); }});
        EXPECT_ANY_THROW(player.Play());
        order.push_back(s.prompter.Messages().empty() ? "" : s.prompter.Messages().back().text);
    };
    PreviewAudio(MakeSetup(), path, PreviewMode::Play);
    EXPECT_EQ(order, (std::vector<std::string>{"close", PreviewProblemMessage}));
}

// The spectrum shows the lower half of the band in 16 bars of 689 Hz: a
// tone lands in its own bar, the far bars stay dark, and the display empties
// again once the preview stops.
TEST_F(Preview, TheSpectrumShowsATonesBandWhilePlaying) {
    for (const auto& [hz, bar] : std::vector<std::pair<double, int>>{{1378.1, 2}, {5512.5, 8}, {9650, 14}}) {
        const std::string path = StereoSine(folder, "tone.wav", hz, 3000);
        PreviewPlayer player(device, s.seams(), WaveMapperId);
        player.Load(path);
        const TMMSpectrum& spectrum = player.Spectrum();
        ASSERT_EQ(spectrum.Bars().size(), 16u);
        player.Play();
        s.studio.Run(1000);
        const auto& bars = spectrum.Bars();
        const auto loudest = std::max_element(bars.begin(), bars.end(),
                                              [](const auto& a, const auto& b) { return a.value < b.value; });
        EXPECT_EQ(loudest - bars.begin(), bar) << hz;
        EXPECT_GT(loudest->spots, 3) << hz;
        for (int far : {bar - 4, bar + 4})
            if (far >= 0 && far < 16)
                EXPECT_LT(bars[static_cast<size_t>(far)].spots, loudest->spots / 2) << hz << " bar " << far;
        player.Stop();
        s.studio.Run(100);
        EXPECT_EQ(spectrum.Bars()[static_cast<size_t>(bar)].spots, 0) << hz;
    }
}

} // namespace
} // namespace corvane
