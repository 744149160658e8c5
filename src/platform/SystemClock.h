#pragma once

#include "platform/Clock.h"

#include <chrono>

namespace corvane {

// The real clock without Qt, for tools that write tables (corvane-import):
// local time from the system, monotonic milliseconds from steady_clock.
class SystemClock final : public Clock {
public:
    TDateTime Now() const override;
    int64_t MonotonicMs() const override;

private:
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace corvane
