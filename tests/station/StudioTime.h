#pragma once

#include "platform/DateTime.h"

#include <cmath>
#include <cstdint>

namespace corvane::testing {

// The studio ms of a wall-clock time of a station on StudioSeams' default
// clock (the studio starts at 09:00 on 5 January 2026).
inline int64_t StudioMs(TDateTime t) {
    return std::llround((t - EncodeDateTime({2026, 1, 5, 9, 0, 0, 0})) * MsPerDay);
}

} // namespace corvane::testing
