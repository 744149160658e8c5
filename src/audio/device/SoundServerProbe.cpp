#include "audio/device/SoundServerProbe.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::optional<std::string> SoundServerSocketPath() {
    const std::string servers = Environment("PULSE_SERVER");
    if (!servers.empty()) {
        std::istringstream entries(servers);
        std::string entry;
        while (entries >> entry) {
            if (entry.front() == '{') {
                const size_t close = entry.find('}');
                entry = close == std::string::npos ? "" : entry.substr(close + 1);
            }
            if (entry.rfind("unix:", 0) == 0)
                entry.erase(0, 5);
            if (!entry.empty() && entry.front() == '/')
                return entry;
        }
        return std::nullopt;
    }
    if (const std::string runtime = Environment("PULSE_RUNTIME_PATH"); !runtime.empty())
        return runtime + "/native";
    if (const std::string runtime = Environment("XDG_RUNTIME_DIR"); !runtime.empty())
        return runtime + "/pulse/native";
    return std::nullopt;
}

bool SocketTakesConnections(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    // A full queue (EAGAIN) is a listener too busy to take more: still there.
    const bool listening = rc == 0 || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return listening;
}

bool SoundServerAnswers() {
    const std::optional<std::string> path = SoundServerSocketPath();
    return path && SocketTakesConnections(*path);
}

} // namespace corvane
