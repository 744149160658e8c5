#include "audio/decks/DeckFixtures.h"
#include "library/WidgetTestApplication.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "tools/PreviewPlayer.h"
#include "tools/ui/TfrmQelPlayAudio.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace corvane {
namespace {

TEST(PlayAudioWindow, ShowsTheFileAndTimeStartsOnShowAndClosesWithEscOrOff) {
    test::ScratchFolder folder;
    const std::string path = folder.File("tone.wav");
    test::WriteWave16(path, 8000, 1, std::vector<int16_t>(8000 * 65, 1000));
    StudioSeams s;
    VirtualWaveDevice device(s.studio);
    PreviewPlayer player(device, s.seams(), WaveMapperId);
    player.Load(path);
    for (const char* closer : {"Esc", "btnOff"}) {
        TfrmQelPlayAudio window(player);
        EXPECT_EQ(window.windowTitle(), "Audio Player");
        EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(window.FileLabel(), "TONE.WAV");
        EXPECT_EQ(window.RemainingText(), "01:05");
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(player.Playing());
            window.findChild<QPushButton*>("btnPause")->click();
            EXPECT_TRUE(player.Paused());
            window.findChild<QPushButton*>("btnPlay")->click();
            EXPECT_TRUE(player.Playing());
            if (std::string(closer) == "Esc") {
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(&window, &esc);
            } else {
                window.findChild<QPushButton*>(closer)->click();
            }
        });
        window.RunModal();
        EXPECT_FALSE(window.isVisible()) << closer;
        EXPECT_FALSE(player.Playing()) << closer;
    }
}

TEST(PlayAudioWindow, TheSpectrumDisplayDrawsTheTonesBar) {
    test::ScratchFolder folder;
    const std::string path = folder.File("tone.wav");
    std::vector<int16_t> samples(44100 * 2 * 2);
    for (size_t i = 0; i < samples.size(); i += 2)
        samples[i] = samples[i + 1] =
            static_cast<int16_t>(16000 * std::sin(2 * std::numbers::pi * 5512.5 * (i / 2) / 44100.0));
    test::WriteWave16(path, 44100, 2, samples);
    StudioSeams s;
    VirtualWaveDevice device(s.studio);
    PreviewPlayer player(device, s.seams(), WaveMapperId);
    player.Load(path);
    TfrmQelPlayAudio window(player);
    auto* display = window.findChild<QWidget*>("MMSpectrum1");
    ASSERT_NE(display, nullptr);
    display->resize(256, 50); // two pixels for each of the spectrum's
    const auto lit = [&](int column) {
        // The bottom spot of the column's bar.
        return display->grab().toImage().pixelColor(2 * column + 1, 49) != QColor(Qt::black);
    };
    EXPECT_FALSE(lit(8 * 8));
    player.Play();
    s.studio.Run(1000);
    EXPECT_TRUE(lit(8 * 8));      // bar 8: 5512 Hz
    EXPECT_FALSE(lit(15 * 8));    // bar 15: nothing up there
    EXPECT_FALSE(lit(8 * 8 + 7)); // the gap between bars
    player.Stop();
}

// The two level bars show the level as the console's meters do: lit from the
// left in green while a channel sounds, dark for a silent channel, and dark
// again once the file has ended (they used to stay blank white throughout).
TEST(PlayAudioWindow, TheLevelBarsLightWithTheChannelThatSoundsAndGoDarkAfterTheEnd) {
    test::ScratchFolder folder;
    const std::string path = folder.File("left.wav");
    std::vector<int16_t> samples(44100 * 2 * 2);
    for (size_t i = 0; i < samples.size(); i += 2)
        samples[i] = static_cast<int16_t>(30000 * std::sin(2 * std::numbers::pi * 440 * (i / 2) / 44100.0));
    test::WriteWave16(path, 44100, 2, samples);
    StudioSeams s;
    VirtualWaveDevice device(s.studio);
    PreviewPlayer player(device, s.seams(), WaveMapperId);
    player.Load(path);
    TfrmQelPlayAudio window(player);
    auto* left = window.findChild<QWidget*>("MMLevel1");
    auto* right = window.findChild<QWidget*>("MMLevel2");
    ASSERT_TRUE(left && right);
    left->resize(240, 8);
    right->resize(240, 8);
    const auto colourAt = [](QWidget* bar, int x) { return bar->grab().toImage().pixelColor(x, 4); };

    EXPECT_EQ(colourAt(left, 0), QColor(Qt::black));
    player.Play();
    s.studio.Run(1000);
    EXPECT_EQ(colourAt(left, 0), QColor(0, 230, 60)) << "the first spot, green";
    EXPECT_EQ(colourAt(left, 2), QColor(Qt::black)) << "the gap between spots";
    EXPECT_NE(colourAt(left, 198), QColor(Qt::black)) << "a loud tone lights most of the bar";
    EXPECT_EQ(colourAt(right, 0), QColor(Qt::black)) << "the silent channel";
    s.studio.Run(5000);
    EXPECT_EQ(colourAt(left, 0), QColor(Qt::black)) << "after the end";
    player.Stop();
}

} // namespace
} // namespace corvane
