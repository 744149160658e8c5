#pragma once

#include "platform/DateTime.h"

#include <cstdint>

namespace corvane {

// Where the console reads the time. Main thread.
class Clock {
public:
    virtual ~Clock() = default;
    // Local wall-clock date and time.
    virtual TDateTime Now() const = 0;
    // Milliseconds from an arbitrary start; never goes backwards.
    virtual int64_t MonotonicMs() const = 0;
};

} // namespace corvane
