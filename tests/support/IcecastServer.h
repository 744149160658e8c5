#pragma once

#include "support/TempFolder.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::testing {

// A private Icecast server on 127.0.0.1 and a free port, its configuration
// and logs in a temporary folder; killed and reaped when the test ends.
// Started as root, it hands itself to the package's own unprivileged user,
// as Icecast refuses to run as root.
class IcecastServer {
public:
    static constexpr const char* SourcePassword = "corvane-source";

    IcecastServer();
    ~IcecastServer() { Kill(); }
    IcecastServer(const IcecastServer&) = delete;
    IcecastServer& operator=(const IcecastServer&) = delete;

    // Starts the server and waits until it takes connections.
    void Start();
    // Ends it at once (SIGKILL), as a crash would, and reaps it.
    void Kill();
    uint16_t Port() const { return port_; }

private:
    TempFolder folder_;
    uint16_t port_ = 0;
    pid_t pid_ = -1;
};

// One HTTP GET on the loopback server: the body, or "" when the answer is not
// 200 OK. For the server's status.
std::string HttpGet(uint16_t port, const std::string& path);

namespace icecast_detail {

// How long a starting server may take before the test gives up on it.
constexpr auto StartBound = std::chrono::seconds(30);

inline sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

inline uint16_t FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free loopback port");
    ::close(s);
    return ntohs(address.sin_port);
}

inline int Connect(uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return s;
    ::close(s);
    return -1;
}

} // namespace icecast_detail

inline IcecastServer::IcecastServer() : port_(icecast_detail::FreePort()) {
    const bool root = ::geteuid() == 0;
    const std::string logs = folder_.File("log");
    std::filesystem::create_directories(logs);
    if (root) {
        const passwd* user = ::getpwnam("icecast2");
        if (user == nullptr)
            throw std::runtime_error("the icecast2 package's user is missing: is icecast2 installed?");
        // The server writes its logs as that user, through our folder.
        ::chmod(folder_.Path().c_str(), 0755);
        if (::chown(logs.c_str(), user->pw_uid, user->pw_gid) != 0)
            throw std::runtime_error("cannot hand the log folder to icecast2");
    }
    const std::string group = [&] {
        const struct group* g = root ? ::getgrgid(::getpwnam("icecast2")->pw_gid) : nullptr;
        return g ? std::string(g->gr_name) : std::string();
    }();
    std::ofstream(folder_.Path() / "icecast.xml")
        << "<icecast><location>loopback</location><admin>corvane@localhost</admin>"
        << "<limits><clients>20</clients><sources>4</sources><queue-size>4194304</queue-size>"
        << "<client-timeout>30</client-timeout><header-timeout>15</header-timeout>"
        << "<source-timeout>10</source-timeout><burst-size>0</burst-size></limits>"
        << "<authentication><source-password>" << SourcePassword << "</source-password>"
        << "<admin-user>admin</admin-user><admin-password>corvane-admin</admin-password></authentication>"
        << "<hostname>127.0.0.1</hostname>"
        << "<listen-socket><port>" << port_ << "</port><bind-address>127.0.0.1</bind-address></listen-socket>"
        << "<fileserve>1</fileserve>"
        << "<paths><basedir>" << folder_.Path().string() << "</basedir><logdir>" << logs << "</logdir>"
        << "<webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot></"
           "paths>"
        << "<logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>2</loglevel>"
        << "</logging><security><chroot>0</chroot>"
        << (root ? "<changeowner><user>icecast2</user><group>" + group + "</group></changeowner>" : "")
        << "</security></icecast>\n";
    Start();
}

inline void IcecastServer::Start() {
    const std::string config = folder_.File("icecast.xml");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execlp("icecast2", "icecast2", "-c", config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Waits for the server to listen: the bound only turns a server that
    // never comes into a failure.
    const auto until = std::chrono::steady_clock::now() + icecast_detail::StartBound;
    while (std::chrono::steady_clock::now() < until) {
        if (const int s = icecast_detail::Connect(port_); s >= 0) {
            ::close(s);
            return;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("icecast2 ended at start (is the icecast2 package installed?)");
        }
        ::poll(nullptr, 0, 10);
    }
    Kill();
    throw std::runtime_error("icecast2 did not start listening");
}

inline void IcecastServer::Kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

inline std::string HttpGet(uint16_t port, const std::string& path) {
    const int s = icecast_detail::Connect(port);
    if (s < 0)
        return {};
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    ::send(s, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    pollfd ready{s, POLLIN, 0};
    while (::poll(&ready, 1, 10000) == 1) {
        const ssize_t got = ::recv(s, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        answer.append(buffer, static_cast<size_t>(got));
    }
    ::close(s);
    const size_t body = answer.find("\r\n\r\n");
    if (answer.rfind("HTTP/1.0 200", 0) != 0 && answer.rfind("HTTP/1.1 200", 0) != 0)
        return {};
    return body == std::string::npos ? std::string() : answer.substr(body + 4);
}

} // namespace corvane::testing
