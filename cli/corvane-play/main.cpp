// corvane-play: plays audio files one after another through the console's
// audio chain on the default sound device, printing the position as it goes.

#include "FilePlayer.h"
#include "audio/device/MainThreadQueue.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "platform/ExceptionGuard.h"
#include "platform/ProgramOptions.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* UsageText =
    "usage: corvane-play [--device N] FILE...\n"
    "       corvane-play --list\n"
    "Plays the files one after another on the default sound device (or device N\n"
    "from --list), through the console's deck, mixer and output.\n";

int Usage() {
    std::cerr << UsageText;
    return 2;
}

int ListDevices(corvane::WaveDevice& device) {
    const int count = device.DeviceCount();
    if (count == 0) {
        std::cerr << "No wave audio playing device found\n";
        return 1;
    }
    std::cout << "  -1  " << device.ProductName(corvane::WaveMapperId) << " (default)\n";
    for (int id = 0; id < count; ++id)
        std::cout << "  " << (id < 10 ? " " : "") << id << "  " << device.ProductName(id) << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "corvane-play", UsageText, std::cout))
        return *status;
    std::vector<std::string> files;
    int deviceId = corvane::WaveMapperId;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list") {
            list = true;
        } else if (arg == "--device" && i + 1 < argc) {
            char* end = nullptr;
            deviceId = static_cast<int>(std::strtol(argv[++i], &end, 10));
            if (*end != '\0')
                return Usage();
        } else if (arg == "--help" || arg == "-h" || (arg.starts_with("--") && arg.size() > 2)) {
            return Usage();
        } else {
            files.push_back(arg);
        }
    }
    corvane::MainThreadQueue loop;
    corvane::PortAudioWaveDevice device(loop);
    if (list)
        return ListDevices(device);
    if (files.empty())
        return Usage();
    try {
        corvane::FilePlayer player(device, loop, deviceId);
        player.Play(files, std::cout);
    } catch (...) {
        std::cerr << "\ncorvane-play: " << corvane::ExceptionMessage(std::current_exception()) << "\n";
        return 1;
    }
    return 0;
}
