#include "platform/NameLookup.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <thread>

namespace corvane {
namespace {

using Clock = std::chrono::steady_clock;

std::string ResolveWithSystem(const std::string& host, int socketType, std::vector<NameAddress>& addresses,
                              int flags) {
    addrinfo hints{};
    hints.ai_socktype = socketType;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), nullptr, &hints, &found); error != 0)
        return ::gai_strerror(error);
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        NameAddress address;
        address.family = a->ai_family;
        std::memcpy(&address.address, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    return addresses.empty() ? "no address" : "";
}

// "[::1]" as "::1".
std::string Bare(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        return host.substr(1, host.size() - 2);
    return host;
}

} // namespace

std::string NameAddress::Numeric() const {
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes =
        family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(address).sin_addr);
    return ::inet_ntop(family, bytes, text, sizeof text) != nullptr ? std::string(text) : std::string();
}

void NameAddress::SetPort(uint16_t port) {
    if (family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(address).sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in&>(address).sin_port = htons(port);
}

struct NameLookup::Entry {
    Answer answer;
    bool running = false;
    Clock::time_point started;
    Clock::time_point answered;
    std::vector<std::function<void(const Answer&)>> waiting;
};

// What the lookups' threads share with the owner; a thread left running
// past its deadline keeps it alive.
struct NameLookup::Shared_ {
    Resolver resolver;
    Timing timing;
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, Entry> entries;

    // Under `mutex`: a lookup running past the deadline has failed.
    void Expire(Entry& entry, Clock::time_point now) {
        if (entry.running && entry.answer.state == State::Pending && now - entry.started >= timing.deadline) {
            entry.answer.state = State::Failed;
            entry.answer.error = "no answer from the name server within " +
                                 std::to_string((timing.deadline.count() + 500) / 1000) + " s";
            entry.answered = now;
        }
    }
};

NameLookup::NameLookup(Resolver resolver, Timing timing) : shared_(std::make_shared<Shared_>()) {
    shared_->resolver =
        resolver ? std::move(resolver)
                 : Resolver([](const std::string& host, int socketType, std::vector<NameAddress>& addresses) {
                       return ResolveWithSystem(host, socketType, addresses, AI_ADDRCONFIG);
                   });
    shared_->timing = timing;
}

NameLookup::NameLookup(Resolver resolver) : NameLookup(std::move(resolver), Timing{}) {}

NameLookup::~NameLookup() = default;

NameLookup& NameLookup::Shared() {
    static NameLookup shared;
    return shared;
}

bool NameLookup::IsNumeric(const std::string& host) {
    const std::string bare = Bare(host);
    in6_addr bytes{};
    return ::inet_pton(AF_INET, bare.c_str(), &bytes) == 1 ||
           ::inet_pton(AF_INET6, bare.c_str(), &bytes) == 1;
}

NameLookup::Answer NameLookup::Find(const std::string& host, int socketType, std::chrono::milliseconds wait,
                                    std::function<void(const Answer&)> done) {
    const std::string bare = Bare(host);
    if (IsNumeric(bare)) {
        Answer answer;
        answer.error = ResolveWithSystem(bare, socketType, answer.addresses, AI_NUMERICHOST);
        answer.state = answer.error.empty() ? State::Found : State::Failed;
        return answer;
    }
    const std::string key = bare + "\n" + std::to_string(socketType);
    std::unique_lock lock(shared_->mutex);
    Entry& entry = shared_->entries[key];
    const auto now = Clock::now();
    shared_->Expire(entry, now);
    const Timing& timing = shared_->timing;
    const bool stale =
        entry.answer.state != State::Pending &&
        now - entry.answered >= (entry.answer.state == State::Found ? timing.keep : timing.keepFailure);
    if (!entry.running && (entry.answer.state == State::Pending || stale)) {
        // A found answer goes on serving while it is looked up again.
        if (entry.answer.state == State::Failed)
            entry.answer = {};
        entry.running = true;
        entry.started = now;
        std::thread([shared = shared_, key, bare, socketType] {
            std::vector<NameAddress> addresses;
            const std::string error = shared->resolver(bare, socketType, addresses);
            std::vector<std::function<void(const Answer&)>> waiting;
            Answer answer;
            {
                std::lock_guard lock(shared->mutex);
                Entry& entry = shared->entries[key];
                entry.running = false;
                if (error.empty()) {
                    entry.answer = {State::Found, std::move(addresses), {}};
                } else if (entry.answer.state != State::Found) {
                    entry.answer = {State::Failed, {}, error};
                }
                entry.answered = Clock::now();
                waiting.swap(entry.waiting);
                answer = entry.answer;
            }
            shared->changed.notify_all();
            for (auto& w : waiting)
                w(answer);
        }).detach();
    }
    if (entry.answer.state == State::Pending && wait.count() > 0) {
        const auto until = std::min(now + wait, entry.started + timing.deadline);
        shared_->changed.wait_until(lock, until, [&] { return entry.answer.state != State::Pending; });
        shared_->Expire(entry, Clock::now());
    }
    if (entry.answer.state == State::Pending && done)
        entry.waiting.push_back(std::move(done));
    return entry.answer;
}

NameLookup::Answer NameLookup::FindUntil(const std::string& host, int socketType,
                                         std::chrono::milliseconds wait,
                                         const std::function<bool()>& stopping) {
    constexpr std::chrono::milliseconds Step{20};
    const auto until = Clock::now() + wait;
    for (;;) {
        Answer answer = Find(host, socketType, Step);
        if (answer.state != State::Pending || (stopping && stopping()) || Clock::now() >= until)
            return answer;
    }
}

} // namespace corvane
