#include "broadcast/IcecastStream.h"

#include "audio/chain/WaveFormat.h"
#include "broadcast/StreamEncoder.h"
#include "data/Value.h"
#include "platform/Dispatcher.h"

#include <csignal>
#include <pthread.h>
#include <shout/shout.h>
#include <vector>

namespace corvane {
namespace {

// Time between two looks at the title while no audio comes (ms).
constexpr std::chrono::milliseconds IdleLook{200};

void StartShoutOnce() {
    static const bool started = [] {
        shout_init();
        return true;
    }();
    (void)started;
}

} // namespace

const char* StreamStateText(StreamState state) {
    switch (state) {
    case StreamState::Connected:
        return "Connected";
    case StreamState::Retrying:
        return "Retrying";
    case StreamState::Off:
        break;
    }
    return "Off";
}

// One source connection to the server. The stream's thread only.
class IcecastStream::Connection {
public:
    explicit Connection(const StreamSettings& s) : shout_(shout_new()) {
        const bool mp3 = SameTextIgnoringCase(s.Format, "mp3");
        shout_set_host(shout_, s.Host.c_str());
        shout_set_port(shout_, static_cast<unsigned short>(s.Port));
        shout_set_mount(shout_, s.Mount.c_str());
        shout_set_user(shout_, s.User.c_str());
        shout_set_password(shout_, s.Password.c_str());
        shout_set_protocol(shout_, SHOUT_PROTOCOL_HTTP);
        // Plain HTTP, as Icecast serves sources unless set up otherwise.
        shout_set_tls(shout_, SHOUT_TLS_DISABLED);
        shout_set_content_format(shout_, mp3 ? SHOUT_FORMAT_MP3 : SHOUT_FORMAT_OGG, SHOUT_USAGE_AUDIO,
                                 nullptr);
        shout_set_meta(shout_, SHOUT_META_NAME, "Vantor Corvane");
        shout_set_audio_info(shout_, SHOUT_AI_BITRATE, std::to_string(s.Bitrate).c_str());
    }
    ~Connection() {
        shout_close(shout_);
        shout_free(shout_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // "" when the server took the stream, else why not; `refused` tells a
    // server that answered no (a wrong password, a mount in use) from one
    // that is not there.
    std::string Open(bool& refused) {
        const int result = shout_open(shout_);
        refused = result == SHOUTERR_NOLOGIN;
        if (result == SHOUTERR_SUCCESS)
            return {};
        return shout_get_error(shout_);
    }
    std::string Send(const std::vector<uint8_t>& bytes) {
        if (shout_send(shout_, bytes.data(), bytes.size()) == SHOUTERR_SUCCESS)
            return {};
        return shout_get_error(shout_);
    }
    // The title of an MP3 stream, told to the server beside the stream.
    std::string SetTitle(const std::string& title) {
        shout_metadata_t* metadata = shout_metadata_new();
        int result = shout_metadata_add(metadata, "song", title.c_str());
        if (result == SHOUTERR_SUCCESS)
            result = shout_set_metadata_utf8(shout_, metadata);
        shout_metadata_free(metadata);
        return result == SHOUTERR_SUCCESS ? std::string() : std::string(shout_get_error(shout_));
    }

private:
    shout_t* shout_;
};

IcecastStream::IcecastStream(const StreamSettings& settings, Dispatcher& dispatcher, Events events,
                             Timing timing)
    : settings_(settings), dispatcher_(dispatcher), events_(std::move(events)), timing_(timing),
      queue_(std::make_unique<StreamQueue>(static_cast<size_t>(timing.queue.count()) * 48)) {
    StartShoutOnce();
    if (!IsStreamFormat(settings_.Format)) {
        state_ = StreamState::Off;
        Report("Stream: unknown format \"" + settings_.Format +
               "\" (mp3, opus or vorbis); the stream is off");
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

IcecastStream::~IcecastStream() {
    alive_->store(false);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    queue_->Wake();
    if (thread_.joinable())
        thread_.join();
}

void IcecastStream::Air(const uint8_t* bytes, uint32_t length, const WaveFormat* format) {
    if (format == nullptr || !format->IsPcm() || format->bitsPerSample != 16 || format->channels == 0 ||
        format->channels > 2 || state_.load() == StreamState::Off)
        return;
    const size_t frames = length / (2u * format->channels);
    queue_->Push(reinterpret_cast<const int16_t*>(bytes), frames, {format->samplesPerSec, format->channels});
}

void IcecastStream::SetTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    if (title == title_)
        return;
    title_ = title;
    ++titleVersion_;
}

bool IcecastStream::WaitForState(StreamState state, std::chrono::milliseconds bound) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [&] { return state_.load() == state; });
}

IcecastStream::Counters IcecastStream::Totals() const {
    std::lock_guard lock(mutex_);
    return totals_;
}

void IcecastStream::SetState(StreamState state) {
    {
        std::lock_guard lock(mutex_);
        if (state_.exchange(state) == state)
            return;
    }
    changed_.notify_all();
    dispatcher_.Post([alive = alive_, this, state] {
        if (alive->load() && events_.stateChanged)
            events_.stateChanged(state);
    });
}

void IcecastStream::Report(const std::string& line) {
    dispatcher_.Post([alive = alive_, this, line] {
        if (alive->load() && events_.report)
            events_.report(line);
    });
}

void IcecastStream::Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, pause, [&] { return stopping_; });
}

void IcecastStream::Run() {
    // A server gone away turns a send into EPIPE on this thread, not a
    // signal that would end the console.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    const std::string where = settings_.Host + ":" + std::to_string(settings_.Port) + settings_.Mount;
    const auto stopping = [this] {
        std::lock_guard lock(mutex_);
        return stopping_;
    };
    std::string lastProblem;
    while (!stopping()) {
        Connection connection(settings_);
        bool refused = false;
        if (std::string problem = connection.Open(refused); !problem.empty()) {
            SetState(StreamState::Retrying);
            // Told once: the first problem since the server last took the
            // stream, and a refusal that says something new.
            if (lastProblem.empty() || (refused && problem != lastProblem))
                Report("Stream: " + where + " does not take the stream (" + problem + "); trying again");
            lastProblem = problem;
            queue_->Clear();
            Pause(timing_.retry);
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            ++totals_.connects;
        }
        if (!lastProblem.empty())
            Report("Stream: " + where + " takes the stream again");
        lastProblem.clear();
        // Listeners get the air from now on, not what queued while away.
        queue_->Clear();
        queue_->TakeDroppedFrames();
        SetState(StreamState::Connected);

        std::unique_ptr<StreamEncoder> encoder;
        PcmFormat encoding;
        uint64_t titleSent = 0;
        bool behind = false;
        std::vector<uint8_t> out;
        while (!stopping()) {
            std::optional<PcmBlock> block = queue_->Pop(IdleLook);
            if (const uint64_t dropped = queue_->TakeDroppedFrames(); dropped > 0 && !behind && block) {
                behind = true;
                Report("Stream: the stream fell behind the air; " +
                       std::to_string(dropped * 1000 / block->format.samplesPerSec) +
                       " ms of the oldest audio dropped");
            }
            if (behind && queue_->QueuedFrames() == 0)
                behind = false;
            std::string title;
            uint64_t titleVersion = 0;
            {
                std::lock_guard lock(mutex_);
                title = title_;
                titleVersion = titleVersion_;
            }
            out.clear();
            try {
                if (block && (!encoder || !(block->format == encoding))) {
                    encoder = MakeStreamEncoder(settings_.Format, block->format, settings_.Bitrate, title);
                    encoding = block->format;
                    if (encoder->CarriesTitle())
                        titleSent = titleVersion;
                }
            } catch (const EStreamEncoderError& e) {
                lastProblem = e.what();
                Report(std::string("Stream: ") + e.what() + "; the stream is off");
                SetState(StreamState::Off);
                return;
            }
            std::string problem;
            if (encoder && titleSent != titleVersion) {
                titleSent = titleVersion;
                if (encoder->CarriesTitle())
                    encoder->SetTitle(title, out);
                else
                    problem = connection.SetTitle(title);
                if (!problem.empty())
                    Report("Stream: the title was not taken (" + problem + ")");
                problem.clear();
            }
            if (block)
                encoder->Encode(block->samples.data(), block->samples.size() / block->format.channels, out);
            if (!out.empty())
                problem = connection.Send(out);
            if (!problem.empty()) {
                SetState(StreamState::Retrying);
                Report("Stream: " + where + " lost (" + problem + "); trying again");
                lastProblem = problem;
                break;
            }
            std::lock_guard lock(mutex_);
            totals_.sentBytes += out.size();
        }
    }
    SetState(StreamState::Off);
}

} // namespace corvane
