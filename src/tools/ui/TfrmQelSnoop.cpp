#include "tools/ui/TfrmQelSnoop.h"

#include "platform/ExceptionGuard.h"
#include "platform/qt/WindowPlacement.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

TfrmQelSnoop::TfrmQelSnoop(WaveInDevice& device, Seams seams, std::filesystem::path dataFolder,
                           QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), dataFolder_(std::move(dataFolder)) {
    // A small tool window: over the console.
    PlaceWhenFirstShown(*this, Placement::OwnerCentre);
    setObjectName("frmQelSnoop");
    setWindowTitle("Audio Logging");
    setAttribute(Qt::WA_DeleteOnClose);

    WaveRecorder_ =
        std::make_unique<TMMWaveRecorder>(device, seams.dispatcher, seams.prompter, "WaveRecorder");
    ConfigureAudioLogging(*WaveRecorder_);
    RecordTimer_ = seams.timers.CreateTimer("RecordTimer", 50);
    RecordTimer_->SetEnabled(false);
    RecordTimer_->SetOnTimer([this] { RecordTimerTimer(); });

    auto* layout = new QVBoxLayout(this);
    auto* file = new QFormLayout;
    edtRecFileName = new QLineEdit("snoop001.wav", this);
    edtRecFileName->setObjectName("edtRecFileName");
    file->addRow("Destination File", edtRecFileName);
    layout->addLayout(file);
    auto* buttons = new QGridLayout;
    const auto button = [this, buttons](const char* name, const char* caption, int column) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        buttons->addWidget(b, 0, column);
        return b;
    };
    btnRecStart = button("btnRecStart", "RECORD", 0);
    btnRecPause = button("btnRecPause", "PAUSE", 1);
    btnRecStop = button("btnRecStop", "STOP", 2);
    btnRecRestart = button("btnRecRestart", "RESTART", 3);
    layout->addLayout(buttons);
    lblRecPosition = new QLabel("00:00.000", this);
    lblRecPosition->setObjectName("lblRecPosition");
    QFont big = lblRecPosition->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    lblRecPosition->setFont(big);
    lblRecPosition->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblRecPosition);
    lblRecError = new QLabel(this);
    lblRecError->setObjectName("lblRecError");
    lblRecError->setStyleSheet("QLabel { color: red; }");
    lblRecError->setWordWrap(true);
    layout->addWidget(lblRecError);

    connect(btnRecStart, &QPushButton::clicked, this,
            [this] { Guarded("btnRecStart", [&] { btnRecStartClick(); }); });
    connect(btnRecPause, &QPushButton::clicked, this,
            [this] { Guarded("btnRecPause", [&] { btnRecPauseClick(); }); });
    connect(btnRecStop, &QPushButton::clicked, this,
            [this] { Guarded("btnRecStop", [&] { btnRecStopClick(); }); });
    connect(btnRecRestart, &QPushButton::clicked, this,
            [this] { Guarded("btnRecRestart", [&] { btnRecRestartClick(); }); });

    WaveRecorder_->OnStart = [this](TMMComponent*) {
        buttons_.Started();
        ShowButtons();
    };
    WaveRecorder_->OnPause = [this](TMMComponent*) {
        buttons_.Paused();
        ShowButtons();
    };
    WaveRecorder_->OnRestart = [this](TMMComponent*) {
        buttons_.Restarted();
        ShowButtons();
    };
    WaveRecorder_->OnStop = [this](TMMComponent*) {
        // The last position stays on show.
        RecordTimerTimer();
        buttons_.Stopped();
        ShowButtons();
    };
    ShowButtons();
}

TfrmQelSnoop::~TfrmQelSnoop() {
    WaveRecorder_->OnStart = nullptr;
    WaveRecorder_->OnStop = nullptr;
    WaveRecorder_->OnPause = nullptr;
    WaveRecorder_->OnRestart = nullptr;
    RecordTimer_->SetEnabled(false);
    WaveRecorder_.reset();
}

void TfrmQelSnoop::ShowButtons() {
    RecordTimer_->SetEnabled(buttons_.timer);
    btnRecStart->setEnabled(buttons_.record);
    btnRecPause->setEnabled(buttons_.pause);
    btnRecStop->setEnabled(buttons_.stop);
    btnRecRestart->setEnabled(buttons_.restart);
}

template <typename F> void TfrmQelSnoop::Run(F&& command) {
    try {
        command();
    } catch (const std::exception& e) {
        lblRecError->setText(QString("Last Error: ") + QString::fromStdString(e.what()));
        // The recorder announces its start when the input opens; an input
        // that failed after that is closed again, and the buttons say so.
        if (!WaveRecorder_->Input().State().open && !buttons_.record) {
            buttons_.Stopped();
            ShowButtons();
        }
    }
}

void TfrmQelSnoop::btnRecStartClick() {
    lblRecError->clear();
    Run([&] {
        WaveRecorder_->SetRecordFileName(
            AudioLoggingFile(dataFolder_, edtRecFileName->text().trimmed().toStdString()).string());
        WaveRecorder_->StartRecording();
    });
}

void TfrmQelSnoop::btnRecPauseClick() {
    Run([&] { WaveRecorder_->PauseRecording(); });
}

void TfrmQelSnoop::btnRecStopClick() {
    Run([&] { WaveRecorder_->StopRecording(); });
}

void TfrmQelSnoop::btnRecRestartClick() {
    Run([&] { WaveRecorder_->RestartRecording(); });
}

void TfrmQelSnoop::RecordTimerTimer() {
    if (WaveRecorder_->Input().State().open)
        lblRecPosition->setText(
            QString::fromStdString(RecordPositionText(WaveRecorder_->GetRecordPosition())));
}

} // namespace corvane
