#pragma once

#include "playout/SoundConfiguration.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace corvane {

// The sound configuration ("Preferences", page "Advanced Audio Settings"):
// the output device, the playback buffer (slider and spin box linked, the
// size label following) and the callback method. "OK" applies the choices to
// the output through SoundConfiguration; "Cancel" changes nothing. Main thread.
class TfrmQelConfigSound final : public QDialog {
    Q_OBJECT
public:
    TfrmQelConfigSound(SoundConfiguration& configuration, QWidget* parent = nullptr);

    QComboBox& DeviceBox() { return *cbDevices; }
    QSlider& BufferSlider() { return *tbBuffers; }
    QSpinBox& BufferSpin() { return *seBuffers; }
    QLabel& SizeLabel() { return *lblBufferSize; }
    QRadioButton& ModeButton(PlaybackMode mode);

public slots:
    void accept() override;

private:
    void ShowSize(int buffers);

    SoundConfiguration& configuration_;
    QComboBox* cbDevices = nullptr;
    QSlider* tbBuffers = nullptr;
    QSpinBox* seBuffers = nullptr;
    QLabel* lblBufferSize = nullptr;
    QRadioButton* modes_[3] = {nullptr, nullptr, nullptr};
};

} // namespace corvane
