#include "audio/input/TMMWaveIn.h"
#include "library/WidgetTestApplication.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveInDevice.h"
#include "tools/ui/TfrmQelSnoop.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace corvane {
namespace {

struct SnoopWindow {
    SnoopWindow() {
        folder = std::filesystem::temp_directory_path() / ("corvane-snoop-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        window = new TfrmQelSnoop(device, seams.seams(), folder);
    }
    ~SnoopWindow() {
        delete window;
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    QPushButton* Button(const char* name) { return window->findChild<QPushButton*>(name); }
    QString Label(const char* name) { return window->findChild<QLabel*>(name)->text(); }
    void SetFile(const QString& name) { window->findChild<QLineEdit*>("edtRecFileName")->setText(name); }
    std::vector<bool> Enabled() {
        return {Button("btnRecStart")->isEnabled(), Button("btnRecPause")->isEnabled(),
                Button("btnRecStop")->isEnabled(), Button("btnRecRestart")->isEnabled()};
    }

    StudioSeams seams;
    VirtualWaveInDevice device{seams.studio};
    std::filesystem::path folder;
    TfrmQelSnoop* window = nullptr;
};

TEST(TfrmQelSnoop, IsSetUpForAudioLogging) {
    SnoopWindow w;
    EXPECT_EQ(w.window->windowTitle(), "Audio Logging");
    EXPECT_EQ(w.window->findChild<QLineEdit*>("edtRecFileName")->text(), "snoop001.wav");
    EXPECT_EQ(w.Label("lblRecPosition"), "00:00.000");
    EXPECT_EQ(w.Enabled(), (std::vector<bool>{true, false, false, false}));
    TMMWaveRecorder& r = w.window->WaveRecorder();
    EXPECT_EQ(r.DeviceID(), WaveMapperId);
    EXPECT_EQ(r.InputFormat(), "PCM 44.100 kHz, 16 Bit, Stereo");
    EXPECT_EQ(r.GetBufferSize(), 4096);
    EXPECT_EQ(r.NumBuffers(), 20);
    EXPECT_EQ(r.CallBackMode(), TMMCBMode::cmThread);
    EXPECT_EQ(r.TimeFormat(), TMMTimeFormats::tfMillisecond);
    EXPECT_EQ(r.MaxRecordTime(), -1);
    EXPECT_TRUE(r.OverwriteExisting());
    EXPECT_EQ(w.window->RecordTimer().Interval(), 50);
}

TEST(TfrmQelSnoop, ButtonsFollowTheRecordingAndThePositionShowsItsTime) {
    SnoopWindow w;
    w.SetFile(QString::fromStdString((w.folder / "snoop001.wav").string()) + "  ");
    w.Button("btnRecStart")->click();
    EXPECT_EQ(w.Label("lblRecError"), "");
    EXPECT_EQ(w.Enabled(), (std::vector<bool>{false, true, true, false}));
    EXPECT_TRUE(w.window->RecordTimer().Enabled());
    w.seams.studio.Run(61500);
    EXPECT_EQ(w.Label("lblRecPosition"), "1:01.500");
    w.Button("btnRecPause")->click();
    EXPECT_EQ(w.Enabled(), (std::vector<bool>{false, false, true, true}));
    w.Button("btnRecRestart")->click();
    EXPECT_EQ(w.Enabled(), (std::vector<bool>{false, true, true, false}));
    w.seams.studio.Run(500);
    w.Button("btnRecStop")->click();
    EXPECT_EQ(w.Enabled(), (std::vector<bool>{true, false, false, false}));
    EXPECT_FALSE(w.window->RecordTimer().Enabled());
    // The label keeps the last time.
    EXPECT_EQ(w.Label("lblRecPosition"), "1:02.000");
    EXPECT_TRUE(std::filesystem::exists(w.folder / "snoop001.wav"));
    if (const char* shots = std::getenv("CORVANE_SCREENSHOTS")) {
        w.window->show();
        w.window->grab().save(QString(shots) + "/audio-logging.png");
    }
}

TEST(TfrmQelSnoop, StartErrorsShowOnlyInTheErrorLabel) {
    SnoopWindow w;
    w.SetFile("");
    w.Button("btnRecStart")->click();
    EXPECT_EQ(w.Label("lblRecError"), "");
    EXPECT_FALSE(w.device.IsOpen());

    w.SetFile(QString::fromStdString((w.folder / "missing" / "x.wav").string()));
    w.Button("btnRecStart")->click();
    EXPECT_EQ(w.Label("lblRecError"), "Last Error: Unable to create wave file");
    EXPECT_EQ(w.Enabled(), (std::vector<bool>{true, false, false, false}));
    // A device that fails once the input is open: the buttons are idle again.
    w.SetFile(QString::fromStdString((w.folder / "x.wav").string()));
    w.device.FailNext(VirtualWaveInDevice::Call::Start, "The device is gone");
    w.Button("btnRecStart")->click();
    EXPECT_EQ(w.Label("lblRecError"), "Last Error: WaveInStart:\n\rThe device is gone");
    EXPECT_EQ(w.Enabled(), (std::vector<bool>{true, false, false, false}));
    EXPECT_FALSE(w.window->RecordTimer().Enabled());
    EXPECT_TRUE(w.seams.prompter.Messages().empty());
}

// The default name, or any name without a folder, records into the data
// folder, never into the folder the console happened to be started from.
TEST(TfrmQelSnoop, AFileNameWithoutAFolderRecordsIntoTheDataFolder) {
    SnoopWindow w;
    const std::filesystem::path startedFrom = w.folder / "started-from";
    std::filesystem::create_directories(startedFrom);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(startedFrom);
    w.SetFile("bare.wav");
    w.Button("btnRecStart")->click();
    w.seams.studio.Run(500);
    w.Button("btnRecStop")->click();
    std::filesystem::current_path(before);
    EXPECT_EQ(w.Label("lblRecError"), "");
    EXPECT_TRUE(std::filesystem::exists(w.folder / "bare.wav"));
    EXPECT_FALSE(std::filesystem::exists(startedFrom / "bare.wav"));
}

TEST(TfrmQelSnoop, WithoutAnInputDeviceTheErrorIsShown) {
    StudioSeams seams;
    VirtualWaveInDevice device{seams.studio};
    device.SetDeviceCount(0);
    TfrmQelSnoop window(device, seams.seams(), std::filesystem::temp_directory_path());
    window.findChild<QLineEdit*>("edtRecFileName")
        ->setText(
            QString::fromStdString((std::filesystem::temp_directory_path() / "corvane-none.wav").string()));
    window.findChild<QPushButton*>("btnRecStart")->click();
    EXPECT_EQ(window.findChild<QLabel*>("lblRecError")->text(),
              "Last Error: No wave audio recording device found");
}

} // namespace
} // namespace corvane
