#include "PrivateSoundServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvane::testing {

PrivateSoundServer::PrivateSoundServer() {
    folder_ =
        (std::filesystem::temp_directory_path() / ("corvane-pulse-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder_);
    socket_ = folder_ + "/native";
    const std::string sink = "--load=module-null-sink sink_name=recorder_null rate=44100";
    const std::string protocol = "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setenv("PULSE_RUNTIME_PATH", folder_.c_str(), 1);
        ::setenv("PULSE_STATE_PATH", folder_.c_str(), 1);
        ::execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                 "--use-pid-file=false", "--disable-shm=yes", sink.c_str(), protocol.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid_ < 0)
        return;
    for (int i = 0; i < 100 && !running_; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        running_ = Pactl("info");
    }
    if (!running_)
        return;
    running_ = Pactl("set-default-sink recorder_null") && Pactl("set-default-source recorder_null.monitor");
    ::setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
}

PrivateSoundServer::~PrivateSoundServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    ::unsetenv("PULSE_SERVER");
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

bool PrivateSoundServer::Pactl(const std::string& arguments) const {
    const std::string command = "pactl -s unix:" + socket_ + " " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace corvane::testing
