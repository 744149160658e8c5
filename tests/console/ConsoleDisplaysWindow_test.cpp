// clang-format off
// Before any Qt header: the connector has a member named like Qt's "slots" macro.
#include "audio/output/TMMConnector.h"
// clang-format on
#include "ConsoleWindow.h"
#include "audio/meters/ConsoleMeterSettings.h"
#include "audio/output/TMMWaveOut.h"
#include "audio/output/TestSource.h"
#include "console/ui/ConsoleMeterPanel.h"
#include "console/ui/LedDigit.h"
#include "console/ui/ScheduleGridModel.h"
#include "studio/VirtualWaveDevice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <cmath>
#include <numbers>
#include <vector>

namespace corvane::testing {
namespace {

constexpr int Ms(int h, int m, int s) {
    return ((h * 60 + m) * 60 + s) * 1000;
}

struct DisplaysWindow : Window {
    int Digit(const char* name) { return console->findChild<LedDigit*>(name)->Value(); }
    LedDigit& Led(const char* name) { return *console->findChild<LedDigit*>(name); }
    // "mm:ss" as the four digits named show it.
    QString Shown(const char* m2, const char* m1, const char* s2, const char* s1) {
        return QString("%1%2:%3%4").arg(Digit(m2)).arg(Digit(m1)).arg(Digit(s2)).arg(Digit(s1));
    }
    QString Big() { return Shown("BigMM2", "BigMM1", "BigSS2", "BigSS1"); }
    QString Small() { return Shown("mm2", "mm1", "ss2", "ss1"); }
    QString Text(const char* label) { return console->findChild<QLabel*>(label)->text(); }

    void AddScheduleRow(const char* title, const char* path, const char* notes = "", const char* type = "") {
        Table& s = data->cdsSchedule;
        s.Append();
        s.FieldByName("ObjectType").SetAsString(type);
        s.FieldByName("TitleName").SetAsString(title);
        s.FieldByName("LocalPathToFile").SetAsString(path);
        s.FieldByName("Notes").SetAsString(notes);
        s.Post();
    }
};

// Interleaved 16-bit stereo frames: a sine of `amplitude` on the left (and
// on the right when `right` is set).
std::vector<int16_t> Sine(int frames, double hz, int amplitude, bool right) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * hz * i / 44100.0));
        samples.push_back(v);
        samples.push_back(right ? v : 0);
    }
    return samples;
}

// Pixels of a widget that are not black.
int LitPixels(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            lit += (image.pixel(x, y) & 0xFFFFFF) != 0;
    return lit;
}

TEST(ConsoleDisplaysWindow, RemainingDigitsLightWithTheItemAndTurnRedForTheLastTenSeconds) {
    DisplaysWindow w;
    EXPECT_FALSE(w.Led("BigMM2").isEnabled());
    EXPECT_FALSE(w.Led("SmallColon").isEnabled());
    w.console->Displays().ShowItemInfo("Morning Song", "/music/morning.mp3", Ms(1, 5, 30));
    w.console->Displays().UpdateRemainingDisplay(Ms(1, 5, 30));
    EXPECT_TRUE(w.Led("BigMM2").isEnabled());
    EXPECT_TRUE(w.Led("SmallColon").isEnabled());
    EXPECT_EQ(w.Text("lblTitle"), "Morning Song");
    EXPECT_EQ(w.Text("lblCurrentItem"), "Morning Song");
    EXPECT_EQ(w.Text("lblFile"), "/music/morning.mp3");
    EXPECT_EQ(w.Text("lblDuration"), "01:05:30");
    EXPECT_EQ(w.Big(), "05:30");
    EXPECT_EQ(w.Small(), "05:30");
    EXPECT_EQ(w.Led("BigSS1").Colour(), QColor(0, 255, 0));

    w.console->Displays().UpdateRemainingDisplay(Ms(0, 0, 10));
    EXPECT_EQ(w.Big(), "00:10");
    EXPECT_EQ(w.Led("BigMM2").Colour(), QColor(255, 0, 0));
    w.console->Displays().UpdateRemainingDisplay(0);
    EXPECT_EQ(w.Led("BigMM2").Colour(), QColor(0, 255, 0));

    w.console->Displays().ClearItemInfo();
    for (const char* label : {"lblTitle", "lblCurrentItem", "lblFile", "lblDuration"})
        EXPECT_EQ(w.Text(label), "") << label;
    // The digits keep their last values.
    EXPECT_EQ(w.Big(), "00:00");
}

TEST(ConsoleDisplaysWindow, ClockTicksTheTimeAndTheCountdownToTheNextBreak) {
    DisplaysWindow w; // the studio's clock starts at 09:00:00
    w.console->Displays().SetNextBreakTime("09:30");
    w.studio.studio.Run(1000);
    EXPECT_EQ(w.Shown("TimeLed1", "TimeLed2", "TimeLed3", "TimeLed4"), "09:00");
    EXPECT_EQ(w.Digit("TimeLed6"), 1);
    EXPECT_EQ(w.Shown("DownLed5", "DownLed6", "DownLed1", "DownLed2"), "00:29");
    EXPECT_EQ(w.Shown("DownLed1", "DownLed2", "DownLed3", "DownLed4"), "29:59");
    EXPECT_EQ(w.Led("DownLed1").Colour(), QColor(0xFF, 0, 0));
    EXPECT_EQ(w.Led("TimeLed1").Colour(), QColor(0x80, 0xFF, 0xFF));

    // With the clock display off the panel hides and the clock stands still.
    w.console->Core().SetDisplayClock(false);
    w.studio.studio.Run(5000);
    EXPECT_TRUE(w.console->ClockPanel().isHidden());
    EXPECT_EQ(w.Digit("TimeLed6"), 1);
}

TEST(ConsoleDisplaysWindow, RowsOfTheItemOnAirAndTheNextItemAreColouredUntilStop) {
    DisplaysWindow w;
    w.AddScheduleRow("One", "/music/one.mp3");
    w.AddScheduleRow("Two", "/music/two.wav");
    w.AddScheduleRow("Spot", "/ads/spot.mp3", "", "AD");
    QAbstractItemModel& model = *w.console->ScheduleGrid().model();
    const auto background = [&](int row) { return model.index(row, 0).data(Qt::BackgroundRole); };
    const auto text = [&](int row) { return model.index(row, 0).data(Qt::ForegroundRole); };
    ASSERT_EQ(model.rowCount(), 3);

    w.console->SetPlayingItems(1, 2);
    EXPECT_EQ(background(0), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(text(0), QColor(0x00, 0x00, 0xFF));
    EXPECT_TRUE(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(background(1), QColor(0xFF, 0xB3, 0x66));
    EXPECT_EQ(text(1), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(text(2), QColor(0xFF, 0x00, 0x00));
    EXPECT_EQ(model.index(2, 0).data(ScheduleGridModel::ObjectTypeRole), "AD");

    // "St&op" resets playout, which sets both items to 0.
    w.console->SetPlayingItems(0, 0);
    for (int row : {0, 1})
        EXPECT_FALSE(background(row).isValid()) << row;
    EXPECT_EQ(text(2), QColor(0xFF, 0x00, 0x00));
}

TEST(ConsoleDisplaysWindow, FullScreenTwiceReturnsTheBorderAndNotesPreviewGrowsRows) {
    DisplaysWindow w;
    w.console->show();
    w.console->findChild<QToolBar*>("tbTools")->hide();
    w.Command("actFullScreen")->trigger();
    EXPECT_TRUE(w.console->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w.console->findChild<QToolBar*>("tbTools")->isVisible());
    w.Command("actFullScreen")->trigger();
    EXPECT_FALSE(w.console->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w.console->menuBar()->isVisible());

    w.AddScheduleRow("One", "/music/one.mp3", "Talk over the intro");
    w.AddScheduleRow("Two", "/music/two.mp3");
    QTableView& grid = w.console->ScheduleGrid();
    grid.resizeRowsToContents();
    const int plain = grid.rowHeight(0);
    w.Command("actPreviewNotes")->trigger();
    EXPECT_TRUE(w.console->NotesPreviewShown());
    EXPECT_TRUE(w.Command("actPreviewNotes")->isChecked());
    EXPECT_GT(grid.rowHeight(0), plain);
    EXPECT_EQ(grid.rowHeight(1), plain);
    w.Command("actPreviewNotes")->trigger();
    EXPECT_EQ(grid.rowHeight(0), plain);
}

TEST(ConsoleDisplaysWindow, MetersAndSpectrumShowALeftOnlySineAndPeaksFall) {
    DisplaysWindow w;
    w.console->resize(900, 700);
    w.console->show();
    ConsoleMeterPanel& panel = w.console->MeterPanel();
    TMMLevel& left = panel.MMLevel1();
    TMMLevel& right = panel.MMLevel2();
    ASSERT_GT(left.TotalSpots(), 0);
    const std::vector<int16_t> chunk = Sine(250, 1000, 32767, false);
    const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.data());
    left.RefreshPcmData(bytes);
    right.RefreshPcmData(bytes);
    EXPECT_EQ(left.Spots(), left.TotalSpots());
    EXPECT_EQ(right.Spots(), 0);
    const std::vector<int16_t> block = Sine(64, 2756.25, 16000, true); // bin 4 of 64 points
    panel.MMSpectrum1().RefreshPcmData(reinterpret_cast<const unsigned char*>(block.data()));
    EXPECT_GT(panel.MMSpectrum1().Bars()[4].spots, 0);

    QWidget& level1 = *w.console->findChild<QWidget*>("MMLevel1");
    QWidget& level2 = *w.console->findChild<QWidget*>("MMLevel2");
    EXPECT_GT(LitPixels(level1), level1.width() * level1.height() / 2);
    EXPECT_EQ(LitPixels(level2), 0);
    EXPECT_GT(LitPixels(*w.console->findChild<QWidget*>("MMSpectrum1")), 0);

    // Silence: the bar falls; the peak holds 41 ticks of 25 ms, then falls a spot a tick.
    const std::vector<int16_t> silence(500, 0);
    left.RefreshPcmData(reinterpret_cast<const unsigned char*>(silence.data()));
    const int peak = left.PeakSpot();
    w.studio.studio.Run(41 * 25 - 1);
    EXPECT_EQ(left.PeakSpot(), peak);
    w.studio.studio.Run(2 * 25);
    EXPECT_LT(left.PeakSpot(), peak);
}

// The console as it looks on air: rows coloured, an item on air with its
// remaining time, the meters and spectrum fed programme-like audio for a few
// seconds, the clock running. With CORVANE_SCREENSHOT_DIR set (run under
// Xvfb for the real style) the Visuals and Live Assist pages are saved there.
TEST(ConsoleDisplaysWindow, OnAirSceneLightsDigitsMetersAndRows) {
    DisplaysWindow w;
    w.AddScheduleRow("Station Jingle", "/music/jingle.wav");
    w.AddScheduleRow("Summer Breeze", "/music/summer-breeze.mp3", "Back-announce the weather after this one");
    w.AddScheduleRow("Night Drive", "/music/night-drive.mp3");
    w.AddScheduleRow("Garden Centre Spot", "/ads/garden-centre.mp3", "", "AD");
    w.AddScheduleRow("Old Radio Play", "/music/old-radio.wav");
    w.data->cdsSchedule.First();
    w.data->cdsSchedule.Next();
    w.console->resize(900, 640);
    w.console->show();
    w.Command("actPreviewNotes")->trigger();
    w.console->SetPlayingItems(2, 3);
    ConsoleDisplays& displays = w.console->Displays();
    const int length = Ms(0, 5, 10);
    // The row under the cursor names the item.
    w.console->ShowItemInfo("/music/summer-breeze.mp3", length);
    EXPECT_EQ(w.Text("lblTitle"), "Summer Breeze");
    displays.SetNextBreakTime("09:15");
    w.console->Core().ShowTotalDuration(17 * 60 + 25);
    w.console->findChild<QLabel*>("StatusPanel0")->setText("Playing: summer-breeze.mp3");

    ConsoleMeterPanel& panel = w.console->MeterPanel();
    // Programme-like audio: a bass line, a voice-range tone and a hiss-like
    // high tone, louder on the left, swelling over the chunks.
    std::vector<int16_t> chunk(2 * 250);
    for (int n = 0; n < 160; ++n) {
        const double swell = 0.6 + 0.35 * std::sin((n + 25) / 9.0);
        for (int i = 0; i < 250; ++i) {
            const double t = (n * 250 + i) / 44100.0;
            const double v = swell * (15000 * std::sin(2 * std::numbers::pi * 110 * t) +
                                      9000 * std::sin(2 * std::numbers::pi * 1400 * t) +
                                      5000 * std::sin(2 * std::numbers::pi * 5200 * t + n));
            chunk[2 * i] = static_cast<int16_t>(v);
            chunk[2 * i + 1] = static_cast<int16_t>(v * 0.7);
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.data());
        panel.MMLevel1().RefreshPcmData(bytes);
        panel.MMLevel2().RefreshPcmData(bytes);
        panel.MMSpectrum1().RefreshPcmData(bytes);
        w.studio.studio.Run(25);
        const int remaining = Ms(0, 3, 42) - n * 25;
        displays.UpdateRemainingDisplay(remaining);
        w.console->SetGauge((length - remaining) * 100 / length);
    }
    w.studio.studio.Run(1000 - 160 * 25 % 1000);
    EXPECT_EQ(w.Big(), "03:38");
    EXPECT_GT(panel.MMLevel1().Spots(), panel.MMLevel2().Spots());
    EXPECT_GT(panel.MMLevel2().Spots(), 0);
    EXPECT_GT(LitPixels(*w.console->findChild<QWidget*>("MMSpectrum1")), 0);
    EXPECT_EQ(w.Shown("DownLed1", "DownLed2", "DownLed3", "DownLed4"), "14:55");

    const QByteArray folder = qgetenv("CORVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QApplication::processEvents();
    w.console->grab().save(QString::fromUtf8(folder) + "/console-visuals.png");
    w.console->ControlCenter().setCurrentIndex(4);
    QApplication::processEvents();
    w.console->grab().save(QString::fromUtf8(folder) + "/console-live-assist.png");
}

// The panel's displays take their audio from the connector behind the wave
// output: a left-heavy tone lights both meters, the left more, and the
// spectrum; stopping the output clears them.
TEST(ConsoleDisplaysWindow, MetersFollowTheConnectorOfThePlayingOutput) {
    DisplaysWindow w;
    w.console->show(); // the meters' bars get their length when laid out
    VirtualStudio& studio = w.studio.studio;
    ConsoleMeterPanel& panel = w.console->MeterPanel();
    const WaveFormat cd = PcmWaveFormat(16, 2, 44100);
    TestSource source(cd, 44100 * 10, 0.7, 1000);
    VirtualWaveDevice device(studio);
    TMMWaveOut out(device, studio);
    TMMConnector connector(studio.clock(), studio, "MMConnector");
    out.SetInput(&source);
    connector.SetInput(&out);
    connector.SetDisplay(ConnectorDisplayKind::Level, 0, &panel.MMLevel1());
    connector.SetDisplay(ConnectorDisplayKind::Level, 1, &panel.MMLevel2());
    connector.SetDisplay(ConnectorDisplayKind::Spectrum, 0, &panel.MMSpectrum1());
    panel.MMLevel2().Gain = -4; // the right channel half as loud on its meter

    out.Start();
    studio.Run(1000);
    EXPECT_GT(panel.MMLevel1().Spots(), panel.MMLevel2().Spots());
    EXPECT_GT(panel.MMLevel2().Spots(), 0);
    const auto& bars = panel.MMSpectrum1().Bars();
    EXPECT_GT(bars[1].spots, 0); // 1 kHz falls in bin 1 (689..1378 Hz)
    EXPECT_EQ(bars[10].spots, 0);

    out.Stop();
    studio.Run(100);
    EXPECT_EQ(panel.MMLevel1().Spots(), 0);
    EXPECT_EQ(panel.MMSpectrum1().Bars()[1].spots, 0);
    connector.SetInput(nullptr);
}

// Every caption of the Live Assist page is whole in the console's first size,
// at the desktop's usual font (DejaVu Sans 9 pt, what Qt picks on a bare X
// server) and at 125 %: "Delayed Pau", "Next Comme" and "Count Down to Next
// Comm" were cut. The offscreen platform has no fonts of its own, so the
// test brings the real one.
TEST(ConsoleDisplaysWindow, LiveAssistCaptionsAreWholeAtTheDefaultFontAnd125Percent) {
    App();
    ASSERT_GE(QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"), 0)
        << "needs the Debian package fonts-dejavu-core";
    const QFont normal = QApplication::font();
    for (const double scale : {1.0, 1.25}) {
        QFont font("DejaVu Sans");
        font.setPointSizeF(9 * scale);
        QApplication::setFont(font);
        {
            DisplaysWindow w;
            w.console->show();
            auto* pages = w.console->findChild<QTabWidget*>("ControlCenter");
            QWidget* page = w.console->findChild<QWidget*>("tsLiveAssist");
            pages->setCurrentWidget(page);
            w.console->findChild<QLabel*>("lblDelayedPause")->show();
            QApplication::processEvents();
            int checked = 0;
            for (QWidget* caption : page->findChildren<QWidget*>()) {
                const auto* label = qobject_cast<QLabel*>(caption);
                const auto* button = qobject_cast<QAbstractButton*>(caption);
                if ((!label && !button) || !caption->isVisible())
                    continue;
                const QString text = label ? label->text() : button->text();
                if (text.isEmpty())
                    continue;
                SCOPED_TRACE(text.toStdString() + " at " + std::to_string(scale));
                ++checked;
                const QSize needed = caption->sizeHint();
                EXPECT_GE(caption->width(),
                          label && label->wordWrap() ? caption->minimumSizeHint().width() : needed.width());
                EXPECT_GE(caption->height(), label && label->wordWrap()
                                                 ? label->heightForWidth(caption->width())
                                                 : needed.height());
                // Inside the page: nothing hidden under its edge.
                const QRect onPage(caption->mapTo(page, QPoint()), caption->size());
                EXPECT_TRUE(page->rect().contains(onPage))
                    << onPage.x() << "," << onPage.y() << " " << onPage.width() << "x" << onPage.height();
            }
            EXPECT_GE(checked, 9) << "the captions looked at";
        }
        QApplication::setFont(normal);
    }
}

} // namespace
} // namespace corvane::testing
