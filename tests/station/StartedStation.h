#pragma once

#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"

#include <filesystem>

namespace corvane::testing {

// A station on the virtual studio over the data folder `folder`, started as
// the program starts it (or offline, as the renderer does). Whatever the
// test puts into the folder before is what the station finds.
struct StartedStation {
    explicit StartedStation(const std::filesystem::path& folder, StationMode mode = StationMode::Console)
        : station{seams.seams(), {device, {}}, {folder, "corvane", {}}} {
        station.Start(mode);
    }
    StudioSeams seams;
    VirtualWaveDevice device{seams.studio};
    Station station;
};

} // namespace corvane::testing
