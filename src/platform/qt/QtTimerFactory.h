#pragma once

#include "platform/Timer.h"

namespace corvane {

// Window timers on QTimer; ticks run on the thread that created the timer
// (the main thread), inside the exception guard.
class QtTimerFactory final : public TimerFactory {
public:
    std::unique_ptr<Timer> CreateTimer(const char* name, int intervalMs) override;
};

} // namespace corvane
