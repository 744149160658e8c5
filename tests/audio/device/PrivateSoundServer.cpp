#include "PrivateSoundServer.h"

#include "audio/device/SoundServerProbe.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvane::testing {

PrivateSoundServer::PrivateSoundServer()
    : folder_(std::filesystem::temp_directory_path() / ("corvane-pulse-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(folder_ / "run");
    std::filesystem::create_directories(folder_ / "state");
    std::ofstream(folder_ / "client.conf") << "autospawn = no\n";
}

PrivateSoundServer::~PrivateSoundServer() {
    Kill();
    if (used_) {
        ::unsetenv("PULSE_SERVER");
        ::unsetenv("PULSE_CLIENTCONFIG");
    }
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

bool PrivateSoundServer::Start() {
    if (pid_ > 0)
        return Answers();
    const std::string runtime = "PULSE_RUNTIME_PATH=" + (folder_ / "run").string();
    const std::string state = "PULSE_STATE_PATH=" + (folder_ / "state").string();
    const std::string home = "HOME=" + folder_.string();
    const std::string sink = std::string("--load=module-null-sink rate=44100 sink_name=") + SinkName;
    const std::string protocol = "--load=module-native-protocol-unix auth-anonymous=1 socket=" + Socket();
    const char* argv[] = {"pulseaudio",
                          "-n",
                          "--daemonize=no",
                          "--exit-idle-time=-1",
                          "--use-pid-file=no",
                          "--disallow-exit",
                          sink.c_str(),
                          protocol.c_str(),
                          nullptr};
    const char* envp[] = {runtime.c_str(), state.c_str(), home.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&pid_, "pulseaudio", &actions, nullptr, const_cast<char**>(argv),
                                const_cast<char**>(envp));
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        return false;
    }
    for (int i = 0; i < 100; ++i) {
        if (Answers())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void PrivateSoundServer::Kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    ::kill(pid_, SIGCONT);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void PrivateSoundServer::Stop() {
    if (pid_ > 0)
        ::kill(pid_, SIGSTOP);
}

void PrivateSoundServer::Continue() {
    if (pid_ > 0)
        ::kill(pid_, SIGCONT);
}

void PrivateSoundServer::UseForThisProcess() {
    ::setenv("PULSE_SERVER", ("unix:" + Socket()).c_str(), 1);
    ::setenv("PULSE_CLIENTCONFIG", (folder_ / "client.conf").c_str(), 1);
    used_ = true;
}

bool PrivateSoundServer::MakeSinkTheDefault() const {
    return Pactl(std::string("set-default-sink ") + SinkName) &&
           Pactl(std::string("set-default-source ") + MonitorName);
}

bool PrivateSoundServer::Answers() const {
    return SocketTakesConnections(Socket());
}

bool PrivateSoundServer::Pactl(const std::string& arguments) const {
    const std::string command = "pactl -s unix:" + Socket() + " " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace corvane::testing
