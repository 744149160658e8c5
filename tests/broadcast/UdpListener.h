#pragma once

#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::testing {

// A UDP socket on a free loopback port, standing in for an RDS encoder.
class UdpListener {
public:
    UdpListener() : socket_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no loopback UDP socket");
        port_ = ntohs(address.sin_port);
    }
    ~UdpListener() { ::close(socket_); }
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    std::string Target() const { return "127.0.0.1:" + std::to_string(port_); }
    // The next datagram, or none when nothing came within `boundMs`; the
    // bound only turns a lost datagram into a failure.
    std::optional<std::string> Receive(int boundMs = 5000) const {
        pollfd ready{socket_, POLLIN, 0};
        if (::poll(&ready, 1, boundMs) != 1)
            return std::nullopt;
        char buffer[2048];
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        return got < 0 ? std::nullopt
                       : std::optional<std::string>(std::string(buffer, static_cast<size_t>(got)));
    }

private:
    int socket_;
    uint16_t port_ = 0;
};

} // namespace corvane::testing
