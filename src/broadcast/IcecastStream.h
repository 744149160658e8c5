#pragma once

#include "broadcast/StreamQueue.h"
#include "settings/BroadcastSettings.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace corvane {

class Dispatcher;
struct WaveFormat;

enum class StreamState { Off, Retrying, Connected };

// "Connected", "Retrying", "Off".
const char* StreamStateText(StreamState state);

// Why the stream cannot run with `settings` ("" when it can), naming the
// setting: a port outside 1 to 65535, a bit rate the format's encoder cannot
// give, an unknown format.
std::string StreamSettingsProblem(const StreamSettings& settings);

// The air sent to an Icecast server: the output's played buffers are copied
// into a bounded queue (StreamQueue) on the main thread, and the stream's own
// thread encodes them and sends them with libshout. The air never waits for
// the stream: when the encoder or the network falls behind, the oldest audio
// goes and the message list says so. A server that is away or refuses (a
// wrong password, a mount in use) is told once and tried again every
// `retry`, until it takes the stream again; audio that comes while no server
// takes it is not kept for later. The stream's title follows the item heard.
class IcecastStream {
public:
    struct Events {
        // The state changed; on the main thread.
        std::function<void(StreamState)> stateChanged;
        // A line for the message list; on the main thread.
        std::function<void(const std::string&)> report;
    };
    struct Timing {
        std::chrono::milliseconds retry{2000};
        // How much audio the queue holds before the oldest goes.
        std::chrono::milliseconds queue{5000};
        // How long the server may take to answer a connection, and to take
        // what is sent, before it counts as lost.
        std::chrono::milliseconds answer{5000};
    };
    struct Counters {
        uint64_t sentBytes = 0;
        // Connections the server took, and attempts at one.
        uint64_t connects = 0;
        uint64_t attempts = 0;
    };

    // Starts the stream's thread; `settings` are copied.
    IcecastStream(const StreamSettings& settings, Dispatcher& dispatcher, Events events, Timing timing);
    // Ends the connection and joins the thread, which never waits on the
    // server for more than a moment. Main thread.
    ~IcecastStream();
    IcecastStream(const IcecastStream&) = delete;
    IcecastStream& operator=(const IcecastStream&) = delete;

    // A buffer the output has played (bytes); only 16-bit PCM is streamed.
    // Main thread; copies and returns.
    void Air(const uint8_t* bytes, uint32_t length, const WaveFormat* format);
    // The title listeners see from now on, cut to 255 bytes (at a character).
    // Any thread.
    void SetTitle(const std::string& title);

    StreamState State() const { return state_.load(); }
    // Why the stream is not connected ("" while it is): the last reason
    // told, kept for the operator's view (a status bar's tool tip). Set
    // before the state it explains is posted. Any thread.
    std::string LastReason() const;
    // Waits until the stream is in `state` or `bound` passed; tells which.
    bool WaitForState(StreamState state, std::chrono::milliseconds bound) const;
    // Waits until every buffer aired so far and the latest title are sent
    // (or `bound` passed); tells which. For tests and benchmarks.
    bool WaitUntilSent(std::chrono::milliseconds bound);
    Counters Totals() const;
    const StreamSettings& Settings() const { return settings_; }

private:
    class Connection;
    void Run();
    void SetState(StreamState state);
    void Report(const std::string& line);
    void Explain(const std::string& reason);
    // Waits `pause`, or less when the stream ends.
    void Pause(std::chrono::milliseconds pause);

    const StreamSettings settings_;
    Dispatcher& dispatcher_;
    Events events_;
    const Timing timing_;
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
    std::unique_ptr<StreamQueue> queue_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    std::string title_;
    std::string reason_;
    uint64_t titleVersion_ = 0;
    uint64_t titleSentVersion_ = 0;
    Counters totals_;
    std::atomic<StreamState> state_{StreamState::Retrying};
    std::thread thread_;
};

} // namespace corvane
