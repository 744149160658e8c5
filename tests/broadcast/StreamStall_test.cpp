#include "audio/chain/WaveFormat.h"
#include "broadcast/IcecastStream.h"
#include "broadcast/StreamEncoder.h"
#include "platform/Dispatcher.h"
#include "support/FakeTcpServer.h"

#include <cmath>
#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>

namespace corvane::testing {
namespace {

using std::chrono::milliseconds;

// Bounds that only turn a hang into a failure.
constexpr milliseconds Bound{15000};
// The console must be gone within 2 s of SIGTERM, the stream's end included.
constexpr milliseconds EndBound{2000};

// The main thread of these tests: posted work waits until the test runs it.
class TestDispatcher final : public Dispatcher {
public:
    void Post(std::function<void()> work) override {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(std::move(work));
        }
        ready_.notify_all();
    }
    // Runs posted work until `done` or `bound` passed; tells which.
    bool RunUntil(const std::function<bool()>& done, milliseconds bound) {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (!done()) {
            std::deque<std::function<void()>> work;
            {
                std::unique_lock lock(mutex_);
                if (!ready_.wait_until(lock, until, [&] { return !posted_.empty(); }))
                    return done();
                work.swap(posted_);
            }
            for (auto& w : work)
                w();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> posted_;
};

struct StreamUnderTest {
    TestDispatcher dispatcher;
    std::vector<std::string> lines;
    std::vector<StreamState> states;
    std::unique_ptr<IcecastStream> stream;

    StreamUnderTest(int port, milliseconds answer) {
        StreamSettings settings{true, "127.0.0.1", port, "/air", "source", "secret", "mp3", 320};
        stream = std::make_unique<IcecastStream>(
            settings, dispatcher,
            IcecastStream::Events{[this](StreamState s) { states.push_back(s); },
                                  [this](const std::string& line) { lines.push_back(line); }},
            IcecastStream::Timing{milliseconds(100), milliseconds(5000), answer});
    }
    bool Told(const std::string& part) const {
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
};

std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

// A server that takes the connection and never answers, and one that answers
// and then stops reading, must neither hold the stream's thread for good nor
// the main thread when the stream ends (turning the stream off, changing a
// setting, the console's exit): the connection under way is given up after
// the answer time and tried again, the lost one is told, and ending the stream
// returns at once, whatever the server does.
TEST(IcecastStream, AServerThatStopsAnsweringIsGivenUpAndEndingNeverWaitsForIt) {
    const struct {
        FakeTcpServer::Kind kind;
        const char* told;
        bool connectsFirst;
    } cases[] = {{FakeTcpServer::Kind::NeverAnswers, "no answer within 0.3 s", false},
                 {FakeTcpServer::Kind::AnswersThenStopsReading, "the server took nothing for 0.3 s", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told);
        // Left behind on purpose when ending the stream hangs, with the
        // stream's thread still using them.
        auto* server = new FakeTcpServer(c.kind);
        auto* test = new StreamUnderTest(server->Port(), milliseconds(300));

        const WaveFormat format = PcmWaveFormat(16, 2, 44100);
        std::vector<int16_t> second(44100 * 2);
        for (size_t i = 0; i < second.size(); ++i)
            second[i] =
                static_cast<int16_t>(12000 * std::sin(double(i) * 0.37) * std::sin(double(i) * 0.011));
        // The air goes on, a second at a time and faster than real time,
        // while the test waits for what the stream says.
        bool told = false;
        const auto until = std::chrono::steady_clock::now() + Bound;
        while (!told && std::chrono::steady_clock::now() < until) {
            test->stream->Air(reinterpret_cast<const uint8_t*>(second.data()),
                              static_cast<uint32_t>(second.size() * 2), &format);
            told = test->dispatcher.RunUntil([&] { return test->Told(c.told); }, milliseconds(50));
        }
        EXPECT_TRUE(told) << Lines(test->lines);
        // The reason stays at hand for the status bar's tool tip.
        EXPECT_NE(test->stream->LastReason().find(c.told), std::string::npos) << test->stream->LastReason();
        if (c.connectsFirst)
            EXPECT_FALSE(test->states.empty() || test->states.front() != StreamState::Connected);
        const bool ended = FinishesWithin(EndBound, [test] { test->stream.reset(); });
        EXPECT_TRUE(ended) << "ending the stream waits on the server";
        if (ended) {
            delete test;
            delete server;
        }
    }
}

// An MP3 title goes to the server on a request of its own beside the
// stream: a server that takes that request and never answers it holds
// neither the stream nor its end.
TEST(IcecastStream, ATitleRequestThatIsNeverAnsweredHoldsNothing) {
    auto* server = new FakeTcpServer(FakeTcpServer::Kind::NeverAnswersTitles);
    auto* test = new StreamUnderTest(server->Port(), milliseconds(300));
    // Static: a thread left behind by a hang still reads them.
    static const WaveFormat format = PcmWaveFormat(16, 2, 44100);
    static const std::vector<int16_t> tenth(4410 * 2, 0);
    ASSERT_TRUE(test->stream->WaitForState(StreamState::Connected, Bound));
    test->stream->SetTitle("Blue Monday");
    // The air goes on; the stream must keep sending it.
    const bool sent = FinishesWithin(Bound, [test] {
        for (int i = 0; i < 20; ++i) {
            test->stream->Air(reinterpret_cast<const uint8_t*>(tenth.data()),
                              static_cast<uint32_t>(tenth.size() * 2), &format);
            test->stream->WaitUntilSent(milliseconds(2000));
        }
    });
    EXPECT_TRUE(sent) << "the title request holds the stream";
    EXPECT_TRUE(test->dispatcher.RunUntil(
        [&] { return test->Told("the title was not taken (no answer within 0.3 s)"); }, Bound))
        << Lines(test->lines);
    const bool ended = sent && FinishesWithin(EndBound, [test] { test->stream.reset(); });
    EXPECT_TRUE(ended) << "ending the stream waits on the title request";
    if (ended) {
        delete test;
        delete server;
    }
}

// Settings the stream cannot run with are refused before anything is sent
// (the source password least of all): a port outside 1 to 65535 (which would
// be cut to another port), a bit rate the encoder cannot give (which it would
// quietly change while the server is told this one), an unknown format. The
// message names the setting, and the stream stays off.
TEST(IcecastStream, SettingsItCannotRunWithAreRefusedNamingTheSetting) {
    FakeTcpServer server(FakeTcpServer::Kind::NeverAnswers);
    const struct {
        int port;
        const char* format;
        int kbps;
        const char* told;
    } cases[] = {{70000, "mp3", 128, "Port=70000"},
                 {-1, "mp3", 128, "Port=-1"},
                 {0, "mp3", 128, "Port=0"},
                 {0, "mp3", 0, "Port=0"},
                 {-2, "mp3", 0, "Bitrate=0"},
                 {-2, "mp3", 1, "Bitrate=1"},
                 {-2, "mp3", 100000, "Bitrate=100000"},
                 {-2, "mp3", 129, "Bitrate=129"},
                 {-2, "opus", 3000000, "Bitrate=3000000"},
                 {-2, "opus", 5, "Bitrate=5"},
                 {-2, "vorbis", 1000, "Bitrate=1000"},
                 {-2, "aac", 128, "Format=aac"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told);
        // -2: the fake server's port, so that only the rate or format is wrong.
        const int port = c.port == -2 ? server.Port() : c.port;
        TestDispatcher dispatcher;
        std::vector<std::string> lines;
        IcecastStream stream({true, "127.0.0.1", port, "/air", "source", "secret", c.format, c.kbps},
                             dispatcher, {{}, [&](const std::string& line) { lines.push_back(line); }}, {});
        EXPECT_EQ(stream.State(), StreamState::Off);
        EXPECT_EQ(stream.Totals().attempts, 0u);
        dispatcher.RunUntil([&] { return !lines.empty(); }, Bound);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(std::string("[Corvane_Stream] ") + c.told), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("the stream is off"), std::string::npos) << lines[0];
        EXPECT_NE(stream.LastReason().find(c.told), std::string::npos) << stream.LastReason();
    }
    // The encoders themselves refuse such rates too, without overflowing.
    EXPECT_THROW(MakeStreamEncoder("opus", {48000, 2}, 3000000, ""), EStreamEncoderError);
    EXPECT_THROW(MakeStreamEncoder("mp3", {44100, 2}, 0, ""), EStreamEncoderError);
}

} // namespace
} // namespace corvane::testing
