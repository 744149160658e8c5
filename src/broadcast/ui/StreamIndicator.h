#pragma once

#include "broadcast/IcecastStream.h"

#include <QLabel>

namespace corvane {

// The stream's light on the console's status bar: "Stream: Connected" on
// green, "Stream: Retrying" on amber, "Stream: Off" plain. Main thread.
class StreamIndicator final : public QLabel {
    Q_OBJECT
public:
    explicit StreamIndicator(QWidget* parent);
    void Show(StreamState state);
    StreamState Shown() const { return shown_; }

private:
    StreamState shown_ = StreamState::Off;
};

} // namespace corvane
