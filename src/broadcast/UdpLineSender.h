#pragma once

#include "platform/NameLookup.h"

#include <memory>
#include <string>
#include <string_view>

namespace corvane {

// Sends one line per datagram to "host:port" (an RDS encoder listening for
// now-playing lines). Sending never waits: the host's name is looked up by
// `names` off this thread and kept; a line that comes while the lookup is
// under way goes out from the lookup's thread when it ends (a later line
// replaces it); a datagram the network cannot take at once is lost, as
// datagrams may be. Main thread.
class UdpLineSender {
public:
    explicit UdpLineSender(NameLookup& names = NameLookup::Shared()) : names_(names) {}
    UdpLineSender(const UdpLineSender&) = delete;
    UdpLineSender& operator=(const UdpLineSender&) = delete;

    // Sends `line` and a line feed to `target`; "" sends nothing. Returns
    // "" when sent or on its way, else what went wrong ("Bad UDP target",
    // the name server's or the system's text).
    std::string Send(const std::string& target, std::string_view line);

private:
    struct Outlet;
    NameLookup& names_;
    std::shared_ptr<Outlet> outlet_;
};

} // namespace corvane
