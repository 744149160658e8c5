#include "tools/ui/TfrmQelPlayAudio.h"

#include "platform/ExceptionGuard.h"
#include "tools/PreviewPlayer.h"
#include "tools/ui/LevelBarsWidget.h"
#include "tools/ui/SpectrumBarsWidget.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace corvane {
namespace {

QString TwoDigits(int value) {
    return QString("%1").arg(value, 2, 10, QChar('0'));
}

} // namespace

TfrmQelPlayAudio::TfrmQelPlayAudio(PreviewPlayer& player, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), player_(player) {
    setObjectName("frmQelPlayAudio");
    setWindowTitle("Audio Player");
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(0, 220, 0));
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    lblFile = new QLabel(this);
    lblFile->setObjectName("lblFile");
    QFont led("Monospace");
    led.setStyleHint(QFont::TypeWriter);
    led.setBold(true);
    lblFile->setFont(led);
    lblFile->setMinimumWidth(QFontMetrics(led).horizontalAdvance(QString(PreviewPlayer::LabelWidth, 'W')));
    lblRemaining = new QLabel(this);
    lblRemaining->setObjectName("lblRemaining");
    QFont digits = led;
    digits.setPixelSize(28);
    lblRemaining->setFont(digits);
    lblRemaining->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblFile);
    layout->addWidget(lblRemaining);
    levelLeft_ = new LevelBarsWidget("MMLevel1", player_.LevelLeft(), this);
    levelRight_ = new LevelBarsWidget("MMLevel2", player_.LevelRight(), this);
    layout->addWidget(levelLeft_);
    layout->addWidget(levelRight_);
    layout->addWidget(new SpectrumBarsWidget("MMSpectrum1", player_.Spectrum(), this), 0, Qt::AlignHCenter);
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    Button(btnStop, "btnStop", "Stop", &PreviewPlayer::Stop);
    Button(btnPlay, "btnPlay", "Play", &PreviewPlayer::Play);
    Button(btnPause, "btnPause", "Pause", &PreviewPlayer::Pause);
    btnOff = new QPushButton("Off", this);
    btnOff->setObjectName("btnOff");
    connect(btnOff, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton* b : {btnStop, btnPlay, btnPause, btnOff})
        buttons->addWidget(b);

    lblFile->setText(QString::fromStdString(player_.Label()));
    PreviewPlayer::View view;
    view.ShowRemaining = [this](int minutes, int seconds) {
        lblRemaining->setText(TwoDigits(minutes) + ":" + TwoDigits(seconds));
    };
    // The output failed: close first, then the player shows its message.
    view.Close = [this] { QTimer::singleShot(0, this, &QDialog::reject); };
    player_.SetView(std::move(view));
    const int remaining = player_.RemainingMs();
    lblRemaining->setText(TwoDigits(remaining / 60000) + ":" + TwoDigits(remaining / 1000 % 60));
    adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmQelPlayAudio::~TfrmQelPlayAudio() {
    player_.SetView({});
}

void TfrmQelPlayAudio::Button(QPushButton*& button, const char* name, const QString& caption,
                              void (PreviewPlayer::*command)()) {
    button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this,
            [this, name, command] { Guarded(name, [&] { (player_.*command)(); }); });
}

void TfrmQelPlayAudio::RunModal() {
    Guarded("MMWaveOut1", [&] { player_.Play(); });
    exec();
    Guarded("MMWaveOut1", [&] { player_.Stop(); });
}

QString TfrmQelPlayAudio::FileLabel() const {
    return lblFile->text();
}

QString TfrmQelPlayAudio::RemainingText() const {
    return lblRemaining->text();
}

void TfrmQelPlayAudio::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmQelPlayAudio::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragFrom_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void TfrmQelPlayAudio::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - dragFrom_);
    QDialog::mouseMoveEvent(event);
}

} // namespace corvane
