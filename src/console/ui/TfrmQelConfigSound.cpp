#include "console/ui/TfrmQelConfigSound.h"

#include "platform/ExceptionGuard.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace corvane {

TfrmQelConfigSound::TfrmQelConfigSound(SoundConfiguration& configuration, QWidget* parent)
    : QDialog(parent), configuration_(configuration) {
    setObjectName("frmQelConfigSound");
    setWindowTitle("Preferences");
    setModal(true);
    const SoundConfiguration::Shown shown = configuration_.Show();

    auto* pages = new QTabWidget(this);
    auto* page = new QWidget;
    page->setObjectName("tsAdvancedAudio");
    pages->addTab(page, "Advanced Audio Settings");
    auto* layout = new QVBoxLayout(page);

    auto* deviceGroup = new QGroupBox("Audio Playback Device ", page);
    auto* deviceLayout = new QVBoxLayout(deviceGroup);
    cbDevices = new QComboBox(deviceGroup);
    cbDevices->setObjectName("cbDevices");
    for (const std::string& name : shown.devices)
        cbDevices->addItem(QString::fromStdString(name));
    cbDevices->setCurrentIndex(shown.devices.empty() ? -1 : shown.selectedDevice);
    deviceLayout->addWidget(cbDevices);
    layout->addWidget(deviceGroup);

    auto* bufferGroup = new QGroupBox(" Playback Buffer", page);
    auto* bufferLayout = new QVBoxLayout(bufferGroup);
    auto* explanation = new QLabel(
        "If you are experiencing drop-outs during playback, increase buffer size. Decrease buffer size to "
        "speed up playback positioning, playback startup and sequeing functionality.",
        bufferGroup);
    explanation->setWordWrap(true);
    bufferLayout->addWidget(explanation);
    auto* row = new QHBoxLayout;
    tbBuffers = new QSlider(Qt::Horizontal, bufferGroup);
    tbBuffers->setObjectName("tbBuffers");
    seBuffers = new QSpinBox(bufferGroup);
    seBuffers->setObjectName("seBuffers");
    tbBuffers->setRange(SoundConfiguration::MinBuffers, SoundConfiguration::MaxBuffers);
    seBuffers->setRange(SoundConfiguration::MinBuffers, SoundConfiguration::MaxBuffers);
    row->addWidget(tbBuffers, 1);
    row->addWidget(seBuffers);
    bufferLayout->addLayout(row);
    lblBufferSize = new QLabel(bufferGroup);
    lblBufferSize->setObjectName("lblBufferSize");
    bufferLayout->addWidget(lblBufferSize);
    layout->addWidget(bufferGroup);
    // Moving one moves the other; each change shows the new size.
    connect(tbBuffers, &QSlider::valueChanged, seBuffers, &QSpinBox::setValue);
    connect(seBuffers, &QSpinBox::valueChanged, tbBuffers, &QSlider::setValue);
    connect(seBuffers, &QSpinBox::valueChanged, this, [this](int buffers) { ShowSize(buffers); });
    seBuffers->setValue(shown.buffers);
    ShowSize(seBuffers->value());

    auto* modeGroup = new QGroupBox("Internal  Playback Mode", page);
    auto* modeLayout = new QVBoxLayout(modeGroup);
    modeLayout->addWidget(new QLabel("Select the callback method to be used", modeGroup));
    const char* names[3] = {"Window", "Thread", "Interrupt"};
    for (int i = 0; i < 3; ++i) {
        modes_[i] = new QRadioButton(names[i], modeGroup);
        modes_[i]->setObjectName(QString("rb%1").arg(names[i]));
        modeLayout->addWidget(modes_[i]);
    }
    // The output does all its processing on the main thread: the other
    // methods are shown, not offered.
    modes_[1]->setEnabled(false);
    modes_[1]->setToolTip("The output processes its buffers on the console's main thread");
    modes_[2]->setEnabled(false);
    modes_[static_cast<int>(shown.mode)]->setChecked(true);
    layout->addWidget(modeGroup);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(pages);
    outer->addWidget(buttons);
}

QRadioButton& TfrmQelConfigSound::ModeButton(PlaybackMode mode) {
    return *modes_[static_cast<int>(mode)];
}

void TfrmQelConfigSound::ShowSize(int buffers) {
    Guarded("tbBuffers",
            [&] { lblBufferSize->setText(QString::fromStdString(configuration_.SizeLabel(buffers))); });
}

void TfrmQelConfigSound::accept() {
    PlaybackMode mode = PlaybackMode::Interrupt;
    if (modes_[0]->isChecked())
        mode = PlaybackMode::Window;
    else if (modes_[1]->isChecked())
        mode = PlaybackMode::Thread;
    // A refusal by the output (it is open) goes to the exception log; the
    // dialog closes either way, as "OK" always has.
    Guarded("frmQelConfigSound",
            [&] { configuration_.Apply(cbDevices->currentIndex(), seBuffers->value(), mode); });
    QDialog::accept();
}

} // namespace corvane
