#include "commercials/AdSchedule.h"

#include "commercials/CommercialListNames.h"
#include "data/TdmQelData.h"
#include "platform/DataFolder.h"

namespace corvane {

AdSchedule::AdSchedule(TdmQelData& data, const Clock& clock, Shell& shell,
                       std::filesystem::path programFolder)
    : data_(data), clock_(clock), shell_(shell), programFolder_(std::move(programFolder)) {}

std::filesystem::path AdSchedule::TodaysFile() const {
    return programFolder_ / AdScheduleFileName(clock_.Now());
}

bool AdSchedule::ImportAdSchedule() {
    // The importer sits beside the console's program; an installed console,
    // whose data folder is the user's own, finds it with the program.
    std::filesystem::path program = programFolder_ / UplinkProgram;
    std::error_code ignored;
    if (const std::filesystem::path installed = ExecutableFolder();
        installed != programFolder_ && IsInstalledProgramFolder(installed))
        program = installed / UplinkProgram;
    if (!std::filesystem::is_regular_file(program, ignored))
        return false;
    return shell_.Open(program.string());
}

bool AdSchedule::RefreshAdSchedule(const std::function<void(bool hold)>& holdGrid) {
    const std::filesystem::path file = TodaysFile();
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(file, ignored))
        return false;
    Table& list = data_.cdsVantorAdList;
    if (list.Active())
        list.Close();
    if (holdGrid)
        holdGrid(true);
    try {
        list.LoadFromFile(file.string());
    } catch (...) {
        if (holdGrid)
            holdGrid(false);
        throw;
    }
    list.SetMasterSource(&data_.cdsAdTimes, "BREAKTIME", "BOOK_TIME");
    if (holdGrid)
        holdGrid(false);
    return true;
}

} // namespace corvane
