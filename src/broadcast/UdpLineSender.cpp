#include "broadcast/UdpLineSender.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {

// One target's socket, shared with the lookup's thread that may open it and
// send the line that waited for it.
struct UdpLineSender::Outlet {
    std::string target;
    std::string host;
    uint16_t port = 0;
    std::mutex mutex;
    int socket = -1;
    std::string waiting;
    ~Outlet() {
        if (socket >= 0)
            ::close(socket);
    }
    // Under `mutex`: a connected socket to the first address, so that each
    // line is one send and a refusal comes back as an error.
    std::string Open(const NameLookup::Answer& answer) {
        if (socket >= 0)
            return {};
        NameAddress address = answer.addresses.front();
        address.SetPort(port);
        const int s = ::socket(address.family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (s < 0 || ::connect(s, reinterpret_cast<const sockaddr*>(&address.address), address.length) != 0) {
            const std::string error = std::strerror(errno);
            if (s >= 0)
                ::close(s);
            return "UDP target \"" + target + "\": " + error;
        }
        socket = s;
        return {};
    }
    std::string SendLine(const std::string& datagram) {
        if (::send(socket, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0)
            return "UDP target \"" + target + "\": " + std::strerror(errno);
        return {};
    }
};

std::string UdpLineSender::Send(const std::string& target, std::string_view line) {
    if (target.empty())
        return {};
    if (!outlet_ || outlet_->target != target) {
        // Host and port split at the last ':' ("[::1]:5000" for an IPv6 address).
        const size_t colon = target.rfind(':');
        int port = 0;
        const char* digits = colon == std::string::npos ? nullptr : target.data() + colon + 1;
        if (colon == std::string::npos || colon == 0 ||
            std::from_chars(digits, target.data() + target.size(), port).ptr !=
                target.data() + target.size() ||
            port < 1 || port > 65535)
            return "Bad UDP target \"" + target + "\" (host:port, the port 1 to 65535)";
        outlet_ = std::make_shared<Outlet>();
        outlet_->target = target;
        outlet_->host = target.substr(0, colon);
        outlet_->port = static_cast<uint16_t>(port);
    }
    const std::string datagram = std::string(line) + "\n";
    std::weak_ptr<Outlet> later = outlet_;
    // Held across the lookup: one that ends at once finds the line waiting.
    std::lock_guard lock(outlet_->mutex);
    const NameLookup::Answer answer = names_.Find(
        outlet_->host, SOCK_DGRAM, std::chrono::milliseconds(0), [later](const NameLookup::Answer& found) {
            // The lookup's thread: the line that waited goes out now.
            const std::shared_ptr<Outlet> outlet = later.lock();
            if (!outlet || found.state != NameLookup::State::Found)
                return;
            std::lock_guard lock(outlet->mutex);
            if (!outlet->waiting.empty() && outlet->Open(found).empty())
                outlet->SendLine(outlet->waiting);
            outlet->waiting.clear();
        });
    switch (answer.state) {
    case NameLookup::State::Pending:
        outlet_->waiting = datagram;
        return {};
    case NameLookup::State::Failed:
        return "UDP target \"" + target + "\": " + answer.error;
    case NameLookup::State::Found:
        break;
    }
    outlet_->waiting.clear();
    if (std::string error = outlet_->Open(answer); !error.empty())
        return error;
    return outlet_->SendLine(datagram);
}

} // namespace corvane
