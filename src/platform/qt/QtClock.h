#pragma once

#include "platform/Clock.h"

#include <QElapsedTimer>

namespace corvane {

// The real clock: local time from Qt, monotonic milliseconds from QElapsedTimer.
class QtClock final : public Clock {
public:
    QtClock();
    TDateTime Now() const override;
    int64_t MonotonicMs() const override;

private:
    QElapsedTimer elapsed_;
};

} // namespace corvane
