// corvane-uplink: turns the day's bookings, exported as CSV by the station's
// ad-booking system, into the day's ad schedule "AdSched_yyyymmdd.xml" that
// the console's "&Refresh Ad Schedule" loads. The console starts it without
// parameters from the program folder ("&Import Vantor Ad Schedule").
//   corvane-uplink [--date yyyymmdd] [--bookings FILE] [--out FOLDER] [--log FILE]
#include "BookingsCsv.h"
#include "Uplink.h"

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
    // The program folder is the folder of this program, as for the console.
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    corvane::uplink::UplinkOptions options =
        corvane::uplink::DefaultOptions(ec ? std::filesystem::current_path() : program.parent_path(), date);
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
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "corvane-uplink: " << e.what() << "\n";
        return corvane::uplink::Failed;
    }
}
