#include "broadcast/ui/SilenceIndicator.h"

namespace corvane {

SilenceIndicator::SilenceIndicator(QWidget* parent) : QLabel(parent) {
    setObjectName("SilenceIndicator");
    setMargin(2);
    Show(false);
}

void SilenceIndicator::Show(bool alarm) {
    alarm_ = alarm;
    setText(alarm ? QStringLiteral("SILENCE ON AIR") : QStringLiteral("Air: OK"));
    setStyleSheet(
        alarm ? QStringLiteral("QLabel { background-color: #d00000; color: white; font-weight: bold; }")
              : QString());
}

} // namespace corvane
