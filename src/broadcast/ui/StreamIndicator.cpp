#include "broadcast/ui/StreamIndicator.h"

namespace corvane {

StreamIndicator::StreamIndicator(QWidget* parent) : QLabel(parent) {
    setObjectName("StreamIndicator");
    setMargin(2);
    Show(StreamState::Off);
}

void StreamIndicator::Show(StreamState state, const std::string& reason) {
    shown_ = state;
    setToolTip(QString::fromStdString(reason));
    setText(QStringLiteral("Stream: %1").arg(QString::fromUtf8(StreamStateText(state))));
    switch (state) {
    case StreamState::Connected:
        setStyleSheet("QLabel { background-color: #2e8b57; color: white; }");
        break;
    case StreamState::Retrying:
        setStyleSheet("QLabel { background-color: #e0a000; color: black; }");
        break;
    case StreamState::Off:
        setStyleSheet({});
        break;
    }
}

} // namespace corvane
