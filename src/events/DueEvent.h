#pragma once

#include "platform/DateTime.h"

#include <string>

namespace corvane {

// One event row as it fell due: what the dispatch hands to the action.
struct DueEvent {
    int id = 0;
    TDateTime start = 0;
    std::string type;
    std::string description;
    std::string fileName;
    std::string params;
};

} // namespace corvane
