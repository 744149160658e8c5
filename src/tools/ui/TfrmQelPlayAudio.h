#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;
class QPushButton;

namespace corvane {

class LevelBarsWidget;
class PreviewPlayer;

// The previewer window "Audio Player": borderless, on top, centred; the file
// name on an LED label, the remaining minutes and seconds, two level meters,
// the spectrum display and the buttons Stop, Play, Pause and Off. It drives a loaded
// PreviewPlayer; Esc and "Off" close it. Dragging on its panels moves it.
class TfrmQelPlayAudio final : public QDialog {
    Q_OBJECT
public:
    TfrmQelPlayAudio(PreviewPlayer& player, QWidget* parent = nullptr);
    ~TfrmQelPlayAudio() override;

    // Starts the output and shows the window modally until it is closed.
    void RunModal();

    QString FileLabel() const;
    QString RemainingText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Button(QPushButton*& button, const char* name, const QString& caption,
                void (PreviewPlayer::*command)());

    PreviewPlayer& player_;
    QLabel* lblFile = nullptr;
    QLabel* lblRemaining = nullptr;
    LevelBarsWidget* levelLeft_ = nullptr;
    LevelBarsWidget* levelRight_ = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnPlay = nullptr;
    QPushButton* btnPause = nullptr;
    QPushButton* btnOff = nullptr;
    QPoint dragFrom_;
};

} // namespace corvane
