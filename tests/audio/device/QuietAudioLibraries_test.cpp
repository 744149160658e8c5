#include "audio/device/MainThreadQueue.h"
#include "audio/device/PortAudioWaveDevice.h"
#include "audio/device/PortAudioWaveInDevice.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace corvane {
namespace {

// What the process writes to stderr while `work` runs.
template <typename Work> std::string StderrOf(Work work) {
    std::fflush(stderr);
    char name[] = "/tmp/corvane-stderr-XXXXXX";
    const int file = mkstemp(name);
    const int saved = dup(STDERR_FILENO);
    dup2(file, STDERR_FILENO);
    work();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    std::ifstream in(name);
    std::ostringstream text;
    text << in.rdbuf();
    unlink(name);
    return text.str();
}

// The device scan probes ALSA's configured PCMs (most absent on a machine
// without a card, as here) and a JACK server that is not running; none of
// the libraries' own complaints reach the terminal, the devices are found.
// (ALSA's JACK plug-in writes one line of its own when a program's name is
// too long for a JACK client name, as this test program's is; the console's
// programs have short names.)
TEST(QuietAudioLibraries, TheDeviceScanPrintsNothing) {
    int outputs = 0;
    int inputs = 0;
    const std::string printed = StderrOf([&] {
        MainThreadQueue main;
        PortAudioWaveDevice out(main);
        PortAudioWaveInDevice in;
        outputs = out.DeviceCount();
        inputs = in.DeviceCount();
    });
    EXPECT_EQ(printed.find("ALSA lib"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("jack server"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Cannot connect to server"), std::string::npos) << printed;
    EXPECT_GT(outputs, 0) << "the sound server must be running (scripts/start-sound-server.sh)";
    EXPECT_GT(inputs, 0);
}

} // namespace
} // namespace corvane
