#include "broadcast/MountListener.h"

#include <arpa/inet.h>
#include <cmath>
#include <mpg123.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::testing {

MountListener::MountListener(uint16_t port, const std::string& mount) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return;
    const std::string request = "GET " + mount + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    ::send(socket_, request.data(), request.size(), MSG_NOSIGNAL);
    // The answer's head, byte by byte so that no audio is taken with it.
    std::string head;
    char c = 0;
    pollfd ready{socket_, POLLIN, 0};
    while (head.find("\r\n\r\n") == std::string::npos && ::poll(&ready, 1, 10000) == 1 &&
           ::recv(socket_, &c, 1, 0) == 1)
        head += c;
    listening_ = head.find(" 200 ") != std::string::npos;
    if (listening_)
        thread_ = std::thread([this] { Run(); });
}

MountListener::~MountListener() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    ::close(socket_);
}

void MountListener::Run() {
    uint8_t buffer[16384];
    pollfd ready{socket_, POLLIN, 0};
    while (!stop_) {
        if (::poll(&ready, 1, 50) != 1)
            continue;
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        {
            std::lock_guard lock(mutex_);
            body_.insert(body_.end(), buffer, buffer + got);
        }
        more_.notify_all();
    }
}

bool MountListener::WaitForBytes(size_t bytes, std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    return more_.wait_for(lock, bound, [&] { return body_.size() >= bytes; });
}

std::vector<uint8_t> MountListener::Received() {
    std::lock_guard lock(mutex_);
    return body_;
}

DecodedStream DecodeMp3(const std::vector<uint8_t>& stream) {
    DecodedStream decoded;
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_open_feed(mh);
    std::vector<unsigned char> pcm(1 << 16);
    int channels = 1;
    mpg123_feed(mh, stream.data(), stream.size());
    for (;;) {
        size_t done = 0;
        const int result = mpg123_read(mh, pcm.data(), pcm.size(), &done);
        if (result == MPG123_NEW_FORMAT) {
            int encoding = 0;
            mpg123_getformat(mh, &decoded.rate, &channels, &encoding);
            continue;
        }
        const auto* samples = reinterpret_cast<const int16_t*>(pcm.data());
        for (size_t i = 0; i < done / 2; i += static_cast<size_t>(channels))
            decoded.samples.push_back(samples[i]);
        if (result != MPG123_OK)
            break;
    }
    mpg123_delete(mh);
    return decoded;
}

std::vector<int> TonesInOrder(const DecodedStream& audio, const std::vector<int>& tones, int minMs) {
    std::vector<int> heard;
    if (audio.rate <= 0)
        return heard;
    const size_t window = static_cast<size_t>(audio.rate / 20);
    int current = 0;
    int runMs = 0;
    for (size_t start = 0; start + window <= audio.samples.size(); start += window) {
        int crossings = 0;
        double energy = 0;
        for (size_t i = start; i < start + window; ++i) {
            energy += double(audio.samples[i]) * audio.samples[i];
            if (i > start && (audio.samples[i - 1] < 0) != (audio.samples[i] < 0))
                ++crossings;
        }
        int tone = 0;
        if (std::sqrt(energy / double(window)) > 500) {
            const double hz = crossings * 10.0;
            for (const int t : tones)
                if (std::abs(hz - t) < t * 0.08)
                    tone = t;
        }
        if (tone == current) {
            runMs += 50;
        } else {
            current = tone;
            runMs = 50;
        }
        if (tone != 0 && runMs == minMs && (heard.empty() || heard.back() != tone))
            heard.push_back(tone);
    }
    return heard;
}

} // namespace corvane::testing
