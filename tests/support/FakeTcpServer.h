#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace corvane::testing {

// A TCP server on a free loopback port that misbehaves on purpose, standing in
// for a stream or library server gone wrong:
// - NeverAnswers: the system takes every connection (the listening backlog)
//   and nothing is ever read or written on it;
// - AnswersThenStopsReading: each connection's request (up to its blank line)
//   is read and `answer` is written; after that nothing more is read, so the
//   client's sends fill the socket and then stall;
// - NeverAnswersTitles: as AnswersThenStopsReading, except that a request for
//   "/admin/metadata" (an MP3 stream's title) is read and never answered.
class FakeTcpServer {
public:
    enum class Kind { NeverAnswers, AnswersThenStopsReading, NeverAnswersTitles };

    explicit FakeTcpServer(Kind kind, std::string answer = "HTTP/1.0 200 OK\r\n\r\n")
        : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)), answer_(std::move(answer)) {
        // A small receive buffer, so a client that is not read from stalls soon.
        const int small = 4096;
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            ::listen(socket_, 64) != 0)
            throw std::runtime_error("no loopback TCP socket");
        port_ = ntohs(address.sin_port);
        if (kind != Kind::NeverAnswers)
            thread_ = std::thread([this, kind] { Serve(kind); });
    }
    ~FakeTcpServer() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (int s : accepted_)
            ::close(s);
        ::close(socket_);
    }
    FakeTcpServer(const FakeTcpServer&) = delete;
    FakeTcpServer& operator=(const FakeTcpServer&) = delete;

    int Port() const { return port_; }
    // Connections answered so far.
    int Answered() const { return answered_.load(); }

private:
    void Serve(Kind kind) {
        while (!stop_) {
            pollfd ready{socket_, POLLIN, 0};
            if (::poll(&ready, 1, 20) != 1)
                continue;
            const int s = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
            if (s < 0)
                continue;
            accepted_.push_back(s);
            std::string request;
            char buffer[1024];
            while (!stop_ && request.find("\r\n\r\n") == std::string::npos) {
                pollfd in{s, POLLIN, 0};
                if (::poll(&in, 1, 20) != 1)
                    continue;
                const ssize_t got = ::recv(s, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<size_t>(got));
            }
            if (kind == Kind::NeverAnswersTitles && request.find("/admin/metadata") != std::string::npos)
                continue;
            if (::send(s, answer_.data(), answer_.size(), MSG_NOSIGNAL) > 0)
                ++answered_;
        }
    }

    int socket_;
    int port_ = 0;
    const std::string answer_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::vector<int> accepted_;
    std::thread thread_;
};

// Runs `work` on a thread of its own and tells whether it finished within
// `bound`; the bound only turns a hang into a failure. What `work` uses must
// outlive a hang: when it does not finish, its thread is left behind.
inline bool FinishesWithin(std::chrono::milliseconds bound, std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([done, work = std::move(work)] {
        work();
        done->set_value();
    }).detach();
    return finished.wait_for(bound) == std::future_status::ready;
}

} // namespace corvane::testing
