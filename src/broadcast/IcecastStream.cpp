#include "broadcast/IcecastStream.h"

#include "audio/chain/WaveFormat.h"
#include "broadcast/StreamEncoder.h"
#include "data/Base64.h"
#include "data/Value.h"
#include "platform/Dispatcher.h"
#include "platform/NameLookup.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <poll.h>
#include <pthread.h>
#include <shout/shout.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace corvane {
namespace {

// Time between two looks at the title while no audio comes (ms).
constexpr std::chrono::milliseconds IdleLook{200};
// An MP3 title is told again about two seconds after it changed, then about
// every sixteen (bytes of a 128 kbit/s stream): Icecast can lose a title that
// comes while it still applies the one before, and a title told again holds.
constexpr uint64_t RetellTitleAfterBytes = 32768;
constexpr uint64_t KeepTitleEveryBytes = 262144;
// The longest title sent (bytes of UTF-8).
constexpr size_t MaxTitleBytes = 255;

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

// The source connection to the server, opened again after each loss. One
// libshout handle serves every attempt: the libshout of Debian 12 (2.4.6)
// cannot free a handle that has ever opened, so a handle per attempt would
// leak one for every retry while the server is away. The handle works without
// blocking: a server that takes the connection and never answers, or stops
// reading, would otherwise hold this thread inside libshout for good, and
// ending the stream would wait for it. Every wait is in short steps that look
// at `wait` (which tells when the stream is ending) and has a deadline. The
// stream's thread only.
class IcecastStream::Connection {
public:
    // Waits up to the given time and tells whether the stream is ending.
    using Wait = std::function<bool(std::chrono::milliseconds)>;

    Connection(const StreamSettings& s, std::chrono::milliseconds answer, Wait wait)
        : shout_(shout_new()), host_(s.Host), mount_(s.Mount), user_(s.User), password_(s.Password),
          port_(s.Port), answer_(answer), wait_(std::move(wait)) {
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
        shout_set_nonblocking(shout_, SHOUT_BLOCKING_NONE);
    }
    ~Connection() {
        shout_close(shout_);
        shout_free(shout_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // "" when the server took the stream, else why not; `refused` tells a
    // server that answered no (a wrong password, a mount in use) from one
    // that is not there or does not answer in time.
    std::string Open(bool& refused) {
        refused = false;
        // The name is looked up here, with the same deadline, not inside
        // libshout, where a name server that does not answer would hold
        // this thread for many seconds.
        const NameLookup::Answer found = NameLookup::Shared().FindUntil(
            host_, SOCK_STREAM, answer_, [this] { return wait_(std::chrono::milliseconds(0)); });
        if (found.state == NameLookup::State::Pending)
            return wait_(std::chrono::milliseconds(0)) ? "the stream is ending"
                                                       : "no answer from the name server for " + host_;
        if (found.state == NameLookup::State::Failed)
            return host_ + ": " + found.error;
        address_ = found.addresses.front();
        address_.SetPort(static_cast<uint16_t>(port_));
        shout_set_host(shout_, address_.Numeric().c_str());
        int result = shout_open(shout_);
        const auto until = std::chrono::steady_clock::now() + answer_;
        while (result == SHOUTERR_BUSY || result == SHOUTERR_RETRY) {
            if (wait_(Step))
                return "the stream is ending";
            if (std::chrono::steady_clock::now() >= until) {
                shout_close(shout_);
                return "no answer within " + Seconds(answer_);
            }
            result = shout_get_connected(shout_);
        }
        refused = result == SHOUTERR_NOLOGIN;
        if (result == SHOUTERR_SUCCESS || result == SHOUTERR_CONNECTED) {
            drained_ = std::chrono::steady_clock::now();
            return {};
        }
        return shout_get_error(shout_);
    }
    void Close() { shout_close(shout_); }
    // Hands `bytes` to the connection. What the socket does not take at once
    // waits in libshout's queue and goes with the next send; a server that
    // has taken none of it for the answer time is taken as lost.
    std::string Send(const std::vector<uint8_t>& bytes) {
        const int result = shout_send(shout_, bytes.data(), bytes.size());
        if (result != SHOUTERR_SUCCESS && result != SHOUTERR_BUSY && result != SHOUTERR_RETRY)
            return shout_get_error(shout_);
        const auto now = std::chrono::steady_clock::now();
        if (shout_queuelen(shout_) <= 0)
            drained_ = now;
        else if (now - drained_ >= answer_)
            return "the server took nothing for " + Seconds(answer_);
        return {};
    }
    // The title of an MP3 stream, told to the server beside the stream: a
    // request of its own to the server's "/admin/metadata". Sent here rather
    // than by libshout, which waits for the answer without a deadline, so a
    // server that takes the request and never answers would hold this thread.
    std::string SetTitle(const std::string& title) {
        if (address_.family == 0)
            return "no address for the server";
        const int fd = ::socket(address_.family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return std::strerror(errno);
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } closer{fd};
        const auto until = std::chrono::steady_clock::now() + answer_;
        // Waits for `events` on the socket in steps; "" when ready.
        const auto ready = [&](short events) -> std::string {
            for (;;) {
                pollfd p{fd, events, 0};
                if (::poll(&p, 1, static_cast<int>(Step.count())) == 1)
                    return {};
                if (wait_(std::chrono::milliseconds(0)))
                    return "the stream is ending";
                if (std::chrono::steady_clock::now() >= until)
                    return "no answer within " + Seconds(answer_);
            }
        };
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address_.address), address_.length) != 0 &&
            errno != EINPROGRESS)
            return std::strerror(errno);
        if (std::string problem = ready(POLLOUT); !problem.empty())
            return problem;
        const std::string request = "GET /admin/metadata?mode=updinfo&mount=" + UrlEncoded(mount_) +
                                    "&song=" + UrlEncoded(title) + "&charset=UTF-8 HTTP/1.0\r\n" +
                                    "Host: " + host_ + ":" + std::to_string(port_) + "\r\n" +
                                    "Authorization: Basic " + EncodeBase64(user_ + ":" + password_) + "\r\n" +
                                    "User-Agent: Vantor Corvane\r\n\r\n";
        for (size_t sent = 0; sent < request.size();) {
            if (std::string problem = ready(POLLOUT); !problem.empty())
                return problem;
            const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN)
                return std::strerror(errno);
            sent += n > 0 ? static_cast<size_t>(n) : 0;
        }
        std::string answer;
        while (answer.find("\r\n") == std::string::npos) {
            if (std::string problem = ready(POLLIN); !problem.empty())
                return problem;
            char buffer[512];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n == 0)
                break;
            if (n < 0 && errno != EAGAIN)
                return std::strerror(errno);
            answer.append(buffer, n > 0 ? static_cast<size_t>(n) : 0);
        }
        const std::string status = answer.substr(0, answer.find("\r\n"));
        if (status.size() >= 12 && status.rfind("HTTP/", 0) == 0 && status.substr(9, 3) == "200")
            return {};
        return status.empty() ? "no answer" : "the server answered " + status;
    }

private:
    // How often a connection under way is looked at (ms).
    static constexpr std::chrono::milliseconds Step{20};

    static std::string Seconds(std::chrono::milliseconds span) {
        const auto tenths = (span.count() + 50) / 100;
        return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") +
               " s";
    }

    static std::string UrlEncoded(const std::string& text) {
        static const char* hex = "0123456789ABCDEF";
        std::string out;
        for (const char c : text) {
            const auto b = static_cast<unsigned char>(c);
            if (std::isalnum(b) || b == '-' || b == '_' || b == '.' || b == '~' || b == '/') {
                out += c;
            } else {
                out += '%';
                out += hex[b >> 4];
                out += hex[b & 15];
            }
        }
        return out;
    }

    shout_t* shout_;
    const std::string host_;
    const std::string mount_;
    const std::string user_;
    const std::string password_;
    const int port_;
    // The server's address as last looked up, for the title's request.
    NameAddress address_;
    const std::chrono::milliseconds answer_;
    const Wait wait_;
    // When libshout's queue was last empty: the server took everything.
    std::chrono::steady_clock::time_point drained_{};
};

std::string StreamSettingsProblem(const StreamSettings& settings) {
    const std::string section = "[Corvane_Stream] ";
    if (!IsStreamFormat(settings.Format))
        return section + "Format=" + settings.Format + ": unknown format (mp3, opus or vorbis)";
    if (settings.Port < 1 || settings.Port > 65535)
        return section + "Port=" + std::to_string(settings.Port) + ": not a port (1 to 65535)";
    if (const std::string problem = StreamBitrateProblem(settings.Format, settings.Bitrate); !problem.empty())
        return section + "Bitrate=" + std::to_string(settings.Bitrate) + ": " + problem;
    return {};
}

IcecastStream::IcecastStream(const StreamSettings& settings, Dispatcher& dispatcher, Events events,
                             Timing timing)
    : settings_(settings), dispatcher_(dispatcher), events_(std::move(events)), timing_(timing),
      queue_(std::make_unique<StreamQueue>(static_cast<size_t>(timing.queue.count()) * 48)) {
    StartShoutOnce();
    if (const std::string problem = StreamSettingsProblem(settings_); !problem.empty()) {
        state_ = StreamState::Off;
        Explain("Stream: " + problem + "; the stream is off");
        Report("Stream: " + problem + "; the stream is off");
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

void IcecastStream::SetTitle(const std::string& whole) {
    // A server takes a title of a few hundred bytes (MP3's goes in a URL and
    // in the listeners' metadata blocks); a longer one would be refused and
    // the one before would stay. Cut at a character, not inside one.
    std::string title = whole;
    if (title.size() > MaxTitleBytes) {
        size_t cut = MaxTitleBytes;
        while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80)
            --cut;
        title.resize(cut);
    }
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

bool IcecastStream::WaitUntilSent(std::chrono::milliseconds bound) {
    const auto until = std::chrono::steady_clock::now() + bound;
    if (!queue_->WaitIdle(bound))
        return false;
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, until, [&] { return titleSentVersion_ == titleVersion_; });
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

std::string IcecastStream::LastReason() const {
    std::lock_guard lock(mutex_);
    return reason_;
}

void IcecastStream::Explain(const std::string& reason) {
    std::lock_guard lock(mutex_);
    reason_ = reason;
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
    Connection connection(settings_, timing_.answer, [this](std::chrono::milliseconds pause) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, pause, [&] { return stopping_; });
    });
    while (!stopping()) {
        connection.Close();
        {
            std::lock_guard lock(mutex_);
            ++totals_.attempts;
        }
        bool refused = false;
        if (std::string problem = connection.Open(refused); !problem.empty()) {
            Explain("Stream: " + where + " does not take the stream (" + problem + ")");
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
        Explain({});
        SetState(StreamState::Connected);

        std::unique_ptr<StreamEncoder> encoder;
        PcmFormat encoding;
        uint64_t titleSent = 0;
        // When an MP3 title is told once more (bytes sent; 0: not).
        uint64_t retellAfter = 0;
        bool behind = false;
        std::vector<uint8_t> out;
        std::vector<int16_t> silence;
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
                Explain(std::string("Stream: ") + e.what() + "; the stream is off");
                Report(std::string("Stream: ") + e.what() + "; the stream is off");
                SetState(StreamState::Off);
                return;
            }
            std::string problem;
            if (encoder && titleSent != titleVersion) {
                titleSent = titleVersion;
                if (encoder->CarriesTitle()) {
                    encoder->SetTitle(title, out);
                } else {
                    problem = connection.SetTitle(title);
                    // A title the server did not take is not told again
                    // (each try may wait the answer time) until it changes.
                    retellAfter = problem.empty() ? totals_.sentBytes + RetellTitleAfterBytes : 0;
                }
                if (!problem.empty())
                    Report("Stream: the title was not taken (" + problem + ")");
                problem.clear();
            } else if (retellAfter != 0 && totals_.sentBytes >= retellAfter) {
                retellAfter =
                    connection.SetTitle(title).empty() ? totals_.sentBytes + KeepTitleEveryBytes : 0;
            }
            if (block) {
                encoder->Encode(block->samples.data(), block->samples.size() / block->format.channels, out);
            } else if (encoder) {
                // Nothing on air: silence keeps listeners connected and the
                // server from giving up on a quiet source.
                silence.assign(encoding.samplesPerSec * IdleLook.count() / 1000 * encoding.channels, 0);
                encoder->Encode(silence.data(), silence.size() / encoding.channels, out);
            }
            if (!out.empty())
                problem = connection.Send(out);
            if (block)
                queue_->Done();
            if (!problem.empty()) {
                Explain("Stream: " + where + " lost (" + problem + ")");
                SetState(StreamState::Retrying);
                Report("Stream: " + where + " lost (" + problem + "); trying again");
                lastProblem = problem;
                break;
            }
            {
                std::lock_guard lock(mutex_);
                totals_.sentBytes += out.size();
                if (encoder)
                    titleSentVersion_ = titleSent;
            }
            changed_.notify_all();
        }
    }
    SetState(StreamState::Off);
}

} // namespace corvane
