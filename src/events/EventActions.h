#pragma once

#include "events/DueEvent.h"
#include "events/EventTypes.h"

namespace corvane {

class EventHost;

// Carries out a due event of a known type through the host: reads its file
// name and parameters, checks them, and runs the host's action. Returns when
// the action was taken; throws an error saying what failed otherwise (a
// missing file, a parameter that does not read, a part that refused).
// Main thread.
void CarryOutEvent(const EventType& type, const DueEvent& event, EventHost& host);

} // namespace corvane
