#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Sends one line per datagram to "host:port" (an RDS encoder listening for
// now-playing lines). The address is looked up when the target changes, not
// at each line; sending never waits: a datagram the network cannot take at
// once is lost, as datagrams may be. Main thread.
class UdpLineSender {
public:
    UdpLineSender() = default;
    ~UdpLineSender();
    UdpLineSender(const UdpLineSender&) = delete;
    UdpLineSender& operator=(const UdpLineSender&) = delete;

    // Sends `line` and a line feed to `target`; "" sends nothing. Returns
    // "" when sent, else what went wrong ("Bad UDP target", the system's text).
    std::string Send(const std::string& target, std::string_view line);

private:
    std::string Resolve(const std::string& target);

    std::string target_;
    int socket_ = -1;
};

} // namespace corvane
