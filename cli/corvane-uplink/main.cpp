// corvane-uplink: turns the day's bookings, exported as CSV by the station's
// ad-booking system, into the day's ad schedule "AdSched_yyyymmdd.xml" that
// the console's "&Refresh Ad Schedule" loads. The console starts it without
// parameters from the program folder ("&Import Vantor Ad Schedule").
//   corvane-uplink [--date yyyymmdd] [--bookings FILE] [--out FOLDER] [--log FILE]
#include "Uplink.h"

#include <ctime>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: corvane-uplink [--date yyyymmdd] [--bookings FILE] [--out FOLDER] [--log FILE]\n";

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

int Run(const std::vector<std::string>& args) {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path folder = ec ? std::filesystem::current_path() : program.parent_path();
    std::string date = Today();
    for (size_t i = 0; i + 1 < args.size(); i += 2)
        if (args[i] == "--date")
            date = args[i + 1];
    corvane::uplink::UplinkOptions options = corvane::uplink::DefaultOptions(folder, date);
    if (args.size() % 2 != 0) {
        std::cerr << Usage;
        return corvane::uplink::Failed;
    }
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& value = args[i + 1];
        if (args[i] == "--date") {
            if (value.size() != 8 || value.find_first_not_of("0123456789") != std::string::npos) {
                std::cerr << "corvane-uplink: --date wants yyyymmdd\n";
                return corvane::uplink::Failed;
            }
        } else if (args[i] == "--bookings") {
            options.bookings = value;
        } else if (args[i] == "--out") {
            options.outFolder = value;
        } else if (args[i] == "--log") {
            options.log = value;
        } else {
            std::cerr << Usage;
            return corvane::uplink::Failed;
        }
    }
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
