#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace corvane {

// One address a name stands for (a sockaddr_in or sockaddr_in6).
struct NameAddress {
    int family = 0;
    sockaddr_storage address{};
    socklen_t length = 0;
    // The address in its numeric form ("192.0.2.7", "2001:db8::1").
    std::string Numeric() const;
    void SetPort(uint16_t port);
};

// Host names looked up off the caller's thread, with a deadline, and kept.
// A name server that does not answer would hold getaddrinfo for many seconds
// (tries × time-outs); the air and the main thread must never wait for it. A
// lookup runs on a thread of its own; a caller waits only as long as it says
// (0: not at all) and gets "pending" meanwhile. A lookup that takes longer
// than the deadline counts as failed ("no answer from the name server") and
// its thread is left to end by itself; what it finds later still fills the
// cache. Answers are kept for `keep` (failures for `keepFailure`) and looked up
// again in the background when older, while the last answer still serves.
// Numeric addresses are answered at once. Any thread.
class NameLookup {
public:
    enum class State { Pending, Found, Failed };
    struct Answer {
        State state = State::Pending;
        std::vector<NameAddress> addresses;
        // Why not found (Failed).
        std::string error;
    };
    // The lookup itself: "" and the addresses, or why none. Called on a
    // lookup's own thread; the default is getaddrinfo.
    using Resolver = std::function<std::string(const std::string& host, int socketType,
                                               std::vector<NameAddress>& addresses)>;
    struct Timing {
        std::chrono::milliseconds deadline{5000};
        std::chrono::milliseconds keep{std::chrono::minutes(5)};
        std::chrono::milliseconds keepFailure{std::chrono::seconds(30)};
    };

    explicit NameLookup(Resolver resolver = {});
    NameLookup(Resolver resolver, Timing timing);
    ~NameLookup();
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    // The lookup every part of the program shares.
    static NameLookup& Shared();

    // The addresses of `host` for `socketType` (SOCK_STREAM, SOCK_DGRAM),
    // waiting at most `wait` for a lookup under way; `done` is called (on
    // the lookup's thread) when a lookup this call started or joined ends
    // and the answer was still pending.
    Answer Find(const std::string& host, int socketType, std::chrono::milliseconds wait,
                std::function<void(const Answer&)> done = {});
    // Waits at most `wait`, in steps, until found or failed, or `stopping`
    // says to give up; for threads that may wait but must end promptly.
    Answer FindUntil(const std::string& host, int socketType, std::chrono::milliseconds wait,
                     const std::function<bool()>& stopping);

    // Whether `host` is an address already (nothing to look up).
    static bool IsNumeric(const std::string& host);

private:
    struct Entry;
    struct Shared_;
    std::shared_ptr<Shared_> shared_;
};

} // namespace corvane
