#pragma once

#include "broadcast/IcecastStream.h"

#include <QLabel>

namespace corvane {

// The stream's light on the console's status bar: "Stream: Connected" on
// green, "Stream: Retrying" on amber, "Stream: Off" plain; its tool tip says
// why the stream is not connected (IcecastStream::LastReason), which the
// message list alone would hide. Main thread.
class StreamIndicator final : public QLabel {
    Q_OBJECT
public:
    explicit StreamIndicator(QWidget* parent);
    void Show(StreamState state, const std::string& reason = {});
    StreamState Shown() const { return shown_; }

private:
    StreamState shown_ = StreamState::Off;
};

} // namespace corvane
