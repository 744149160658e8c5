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
#include <gtest/gtest.h>

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

} // namespace
} // namespace corvane
