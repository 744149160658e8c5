#pragma once

#include "audio/chain/TMMComponent.h"
#include "audio/chain/TMMTimeFormats.h"

#include <functional>

namespace corvane {

// Where a component delivers its notifications: through the main thread's
// queue (the console's mode), directly in the platform's callback, or
// through a worker thread of its own.
enum class TMMCBMode { cmWindow, cmCallback, cmThread };

// A plain notification, with the component that raised it.
using TMMNotifyEvent = std::function<void(TMMComponent* sender)>;

} // namespace corvane
