#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::testing {

// A listener on a mount of the loopback server: reads the stream on its own
// thread for as long as it lives, keeping every byte.
class MountListener {
public:
    // Connects and waits for the server's answer; Listening() tells whether
    // the mount was there.
    MountListener(uint16_t port, const std::string& mount);
    ~MountListener();
    MountListener(const MountListener&) = delete;
    MountListener& operator=(const MountListener&) = delete;

    bool Listening() const { return listening_; }
    // Waits until `bytes` came or `bound` passed; tells which.
    bool WaitForBytes(size_t bytes, std::chrono::milliseconds bound);
    std::vector<uint8_t> Received();

private:
    void Run();

    int socket_ = -1;
    bool listening_ = false;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable more_;
    std::vector<uint8_t> body_;
    std::thread thread_;
};

// The MP3 stream decoded with libmpg123: mono samples (the left channel) and
// their rate.
struct DecodedStream {
    std::vector<int16_t> samples;
    long rate = 0;
};
DecodedStream DecodeMp3(const std::vector<uint8_t>& stream);

// The tones heard in order, each at least `minMs` long: the frequency of each
// 50 ms window from its zero crossings, snapped to the nearest of `tones`
// (windows of silence or of none of them are skipped).
std::vector<int> TonesInOrder(const DecodedStream& audio, const std::vector<int>& tones, int minMs);

} // namespace corvane::testing
