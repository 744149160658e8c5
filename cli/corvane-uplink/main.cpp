// corvane-uplink: turns the day's bookings, exported as CSV by the station's
// ad-booking system, into the day's ad schedule "AdSched_yyyymmdd.xml" that
// the console's "&Refresh Ad Schedule" loads. The console starts it without
// parameters from the program folder ("&Import Vantor Ad Schedule").
//   corvane-uplink [--date yyyymmdd] [--bookings FILE] [--out FOLDER] [--log FILE]
#include "BookingsCsv.h"
#include "Uplink.h"
#include "platform/DataFolder.h"
#include "platform/ProgramOptions.h"

#include <exception>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: corvane-uplink [--date yyyymmdd] [--bookings FILE] [--out FOLDER] [--log FILE]\n";

int Run(const std::vector<std::string>& args) {
    std::map<std::string, std::string> given;
    for (size_t i = 0; i < args.size(); i += 2) {
        const bool known =
            args[i] == "--date" || args[i] == "--bookings" || args[i] == "--out" || args[i] == "--log";
        if (!known || i + 1 >= args.size()) {
            std::cerr << Usage;
            return corvane::uplink::Failed;
        }
        given[args[i]] = args[i + 1];
    }
    const std::string date =
        given.count("--date") ? given["--date"] : corvane::uplink::LocalTimeText("%Y%m%d");
    if (!corvane::uplink::IsCalendarDate(date)) {
        std::cerr << "corvane-uplink: --date wants yyyymmdd of a day that exists, not \"" << date << "\"\n";
        return corvane::uplink::Failed;
    }
    // The folders are the console's data folder, chosen as the console does:
    // beside this program, or the user's own when the program is installed.
    const corvane::DataFolderChoice data = corvane::ToolDataFolder();
    if (data.folder.empty()) {
        std::cerr << "corvane-uplink: " << data.error << "\n";
        return corvane::uplink::Failed;
    }
    corvane::uplink::UplinkOptions options = corvane::uplink::DefaultOptions(data.folder, date);
    if (given.count("--bookings"))
        options.bookings = given["--bookings"];
    if (given.count("--out"))
        options.outFolder = given["--out"];
    if (given.count("--log"))
        options.log = given["--log"];
    return corvane::uplink::RunUplink(options, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "corvane-uplink", Usage, std::cout))
        return *status;
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "corvane-uplink: " << e.what() << "\n";
        return corvane::uplink::Failed;
    }
}
