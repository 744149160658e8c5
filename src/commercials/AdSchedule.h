#pragma once

#include "platform/Clock.h"
#include "platform/Shell.h"

#include <filesystem>
#include <functional>
#include <string>

namespace corvane {

class TdmQelData;

// The day's bookings of the station's ad-booking system: the uplink program
// beside the console leaves them as "AdSched_yyyymmdd.xml" (the table store's
// XML form of the commercial list) in the program folder, and the console
// loads that file as the list in use, linked to the break times so that it
// shows the bookings of the break chosen in cdsAdTimes. Main thread.
class AdSchedule {
public:
    // The uplink program's file name in the program folder.
    static constexpr const char* UplinkProgram = "corvane-uplink";

    AdSchedule(TdmQelData& data, const Clock& clock, Shell& shell, std::filesystem::path programFolder);

    // "&Import Vantor Ad Schedule": starts the uplink program when it is
    // there; it is neither waited for nor asked how it went. False when
    // nothing was started.
    bool ImportAdSchedule();
    // "&Refresh Ad Schedule": loads today's file into cdsVantorAdList and links
    // it to cdsAdTimes; false, changing nothing, when there is no such file.
    // `holdGrid` (optional) holds the grid's repainting during the load.
    bool RefreshAdSchedule(const std::function<void(bool hold)>& holdGrid = {});
    // Today's file, whether it exists or not.
    std::filesystem::path TodaysFile() const;

private:
    TdmQelData& data_;
    const Clock& clock_;
    Shell& shell_;
    std::filesystem::path programFolder_;
};

} // namespace corvane
