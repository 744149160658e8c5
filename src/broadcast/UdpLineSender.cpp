#include "broadcast/UdpLineSender.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {

UdpLineSender::~UdpLineSender() {
    if (socket_ >= 0)
        ::close(socket_);
}

// Host and port split at the last ':' ("[::1]:5000" for an IPv6 address).
std::string UdpLineSender::Resolve(const std::string& target) {
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
    target_.clear();
    const size_t colon = target.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == target.size())
        return "Bad UDP target \"" + target + "\" (host:port)";
    std::string host = target.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const std::string port = target.substr(colon + 1);
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); error != 0)
        return "Bad UDP target \"" + target + "\": " + ::gai_strerror(error);
    const int s = ::socket(found->ai_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Connected, so that each line is one send and a refusal comes back as an error.
    if (s < 0 || ::connect(s, found->ai_addr, found->ai_addrlen) != 0) {
        const std::string error = std::strerror(errno);
        if (s >= 0)
            ::close(s);
        ::freeaddrinfo(found);
        return "UDP target \"" + target + "\": " + error;
    }
    ::freeaddrinfo(found);
    socket_ = s;
    target_ = target;
    return {};
}

std::string UdpLineSender::Send(const std::string& target, std::string_view line) {
    if (target.empty())
        return {};
    if (target != target_ || socket_ < 0)
        if (std::string error = Resolve(target); !error.empty())
            return error;
    const std::string datagram = std::string(line) + "\n";
    if (::send(socket_, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0)
        return "UDP target \"" + target + "\": " + std::strerror(errno);
    return {};
}

} // namespace corvane
