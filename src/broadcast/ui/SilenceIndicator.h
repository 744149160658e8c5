#pragma once

#include <QLabel>

namespace corvane {

// The silence alarm's light on the console's status bar: "SILENCE ON AIR"
// in white on red while the alarm is raised, "Air: OK" plain otherwise.
// Main thread.
class SilenceIndicator final : public QLabel {
    Q_OBJECT
public:
    explicit SilenceIndicator(QWidget* parent);
    void Show(bool alarm);
    bool Alarm() const { return alarm_; }

private:
    bool alarm_ = false;
};

} // namespace corvane
