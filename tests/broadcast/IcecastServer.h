#pragma once

#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <sys/types.h>

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

} // namespace corvane::testing
