#pragma once

#include "platform/NameLookup.h"

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <vector>

namespace corvane::testing {

// A name server that answers only when the test lets it (never, until then):
// each lookup waits for Release, then finds 127.0.0.1. Counts the lookups.
struct GatedNameServer : std::enable_shared_from_this<GatedNameServer> {
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    std::atomic<int> lookups{0};

    NameLookup::Resolver Resolver() {
        // Holds the name server for as long as a lookup's thread runs.
        return [self = shared_from_this(), this](const std::string&, int,
                                                 std::vector<NameAddress>& addresses) -> std::string {
            ++lookups;
            std::unique_lock lock(mutex);
            released.wait(lock, [&] { return open; });
            NameAddress address;
            address.family = AF_INET;
            auto& in = reinterpret_cast<sockaddr_in&>(address.address);
            in.sin_family = AF_INET;
            in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.length = sizeof(sockaddr_in);
            addresses.push_back(address);
            return {};
        };
    }
    void Release() {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        released.notify_all();
    }
};

} // namespace corvane::testing
