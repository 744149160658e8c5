#pragma once

#include "audio/input/TMMWaveRecorder.h"
#include "platform/Seams.h"
#include "tools/AudioLogging.h"

#include <QWidget>
#include <filesystem>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

// The audio logging tool window ("Audio Logging"): records the sound card's
// input into a wave file beside the running broadcast. The recorder's events
// drive the buttons; a 50 ms timer shows the recorded time. Errors of
// starting show only in the error label. Closing the window frees it, and
// the recorder stops and closes its input as it goes. A file name without a
// folder is taken from the data folder, as the events' recordings are.
class TfrmQelSnoop final : public QWidget {
    Q_OBJECT
public:
    TfrmQelSnoop(WaveInDevice& device, Seams seams, std::filesystem::path dataFolder,
                 QWidget* parent = nullptr);
    ~TfrmQelSnoop() override;

    TMMWaveRecorder& WaveRecorder() { return *WaveRecorder_; }
    Timer& RecordTimer() { return *RecordTimer_; }
    const SnoopButtons& Buttons() const { return buttons_; }

    void btnRecStartClick();
    void btnRecPauseClick();
    void btnRecStopClick();
    void btnRecRestartClick();
    void RecordTimerTimer();

private:
    void ShowButtons();
    // Runs a recorder command; an error shows as "Last Error: " + its text.
    template <typename F> void Run(F&& command);

    std::filesystem::path dataFolder_;
    std::unique_ptr<TMMWaveRecorder> WaveRecorder_;
    std::unique_ptr<Timer> RecordTimer_;
    SnoopButtons buttons_;
    QLineEdit* edtRecFileName = nullptr;
    QPushButton* btnRecStart = nullptr;
    QPushButton* btnRecPause = nullptr;
    QPushButton* btnRecStop = nullptr;
    QPushButton* btnRecRestart = nullptr;
    QLabel* lblRecPosition = nullptr;
    QLabel* lblRecError = nullptr;
};

} // namespace corvane
