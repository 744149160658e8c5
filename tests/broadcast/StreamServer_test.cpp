#include "broadcast/MountListener.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/IcecastServer.h"
#include "support/TempFolder.h"
#include "support/WaveFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int Rate = 44100;
// Bounds that only turn a hang into a failure.
constexpr seconds Bound{30};

std::string ToneFile(const TempFolder& folder, const std::string& name, double seconds, int hz) {
    const auto frames = static_cast<size_t>(seconds * Rate);
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] =
            static_cast<int16_t>(std::lround(8000 * std::sin(2 * M_PI * hz * double(i) / Rate)));
    const std::string path = folder.File(name);
    WriteWave16(path, Rate, 2, samples);
    return path;
}

size_t CountLines(const MessageList& list, const std::string& part) {
    return static_cast<size_t>(
        std::count_if(list.Lines().begin(), list.Lines().end(),
                      [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

// A station on the virtual studio with a schedule of three tones, streaming
// to a private Icecast server on loopback. The studio runs the air in steps,
// and after each step the test waits for the stream to have sent it, so the
// stream gets the air as the studio plays it, however fast that is.
class StreamServer : public ::testing::Test {
protected:
    static constexpr int Tones[] = {440, 880, 1320};

    StreamServer()
        : device_(seams_.studio), station_(seams_.seams(), {device_, {}}, {folder_.Path(), "corvane", {}}) {
        station_.Data().OpenTables();
        CorvaneSettings& settings = station_.Core().MutableSettings();
        settings.AutoCrossFade = false;
        settings.LoopScheduleContinuously = false;
        Table& schedule = station_.Data().cdsSchedule;
        const char* titles[] = {"Tone A", "Tone B", "Tone C"};
        for (int i = 0; i < 3; ++i) {
            schedule.Append();
            schedule.FieldByName("TitleName").SetAsString(titles[i]);
            schedule.FieldByName("LocalPathToFile")
                .SetAsString(ToneFile(folder_, std::string(titles[i]) + ".wav", 2.5, Tones[i]));
            schedule.Post();
        }
        schedule.First();
    }

    void Stream(const std::string& password = IcecastServer::SourcePassword,
                const std::string& format = "mp3") {
        StreamSettings& stream = station_.Core().MutableSettings().Stream;
        stream = {true, "127.0.0.1", server_.Port(), "/air", "source", password, format, 128};
        station_.FollowStreamSettings({milliseconds(200), milliseconds(5000)});
    }

    // Plays `ms` of the air in 100 ms steps, each sent before the next.
    void Air(int ms) {
        for (int done = 0; done < ms; done += 100) {
            seams_.studio.Run(100);
            if (station_.Stream()->State() == StreamState::Connected &&
                !station_.Stream()->WaitUntilSent(Bound)) {
                ADD_FAILURE() << "the stream did not send what was aired";
                return;
            }
        }
    }

    const MessageList& Messages() { return station_.Playout().Memo1; }

    TempFolder folder_;
    IcecastServer server_;
    StudioSeams seams_;
    VirtualWaveDevice device_;
    Station station_;
};

// The listener hears the schedule's tones in order, and the server's status
// names the item heard last.
TEST_F(StreamServer, TheMountCarriesTheScheduleInOrderUnderTheTitleHeard) {
    Stream();
    ASSERT_TRUE(station_.Stream()->WaitForState(StreamState::Connected, Bound));
    MountListener listener(server_.Port(), "/air");
    ASSERT_TRUE(listener.Listening());

    station_.Playout().StartItem();
    Air(9000);
    ASSERT_TRUE(station_.Stream()->WaitUntilSent(Bound));
    const uint64_t sent = station_.Stream()->Totals().sentBytes;
    // The server passes on all but what its MP3 parser still holds.
    EXPECT_TRUE(listener.WaitForBytes(sent - 4096, Bound)) << listener.Received().size() << " of " << sent;

    EXPECT_EQ(TonesInOrder(DecodeMp3(listener.Received()), {440, 880, 1320}, 500),
              (std::vector<int>{440, 880, 1320}));
    // The server takes a title with the stream's next audio; the air goes on
    // (silence now) until it shows, within a bound.
    std::string status;
    for (int step = 0; step < 300; ++step) {
        status = HttpGet(server_.Port(), "/status-json.xsl");
        if (status.find("\"title\":\"Tone C\"") != std::string::npos)
            break;
        Air(100);
    }
    EXPECT_NE(status.find("\"title\":\"Tone C\""), std::string::npos) << status;
    EXPECT_TRUE(device_.Played().Underruns().empty());
}

// A title far longer than a server takes (10 KB, say a long list of artists)
// still reaches it, cut at a character, instead of leaving the one before.
TEST_F(StreamServer, AVeryLongTitleReachesTheServerCut) {
    std::string title;
    while (title.size() < 10240)
        title += "Caf\xC3\xA9 ";
    Table& schedule = station_.Data().cdsSchedule;
    schedule.First();
    schedule.Edit();
    schedule.FieldByName("TitleName").SetAsString(title);
    schedule.Post();
    schedule.First();
    Stream();
    ASSERT_TRUE(station_.Stream()->WaitForState(StreamState::Connected, Bound));
    station_.Playout().StartItem();
    // The title is told when the item is heard (after the output's queue)
    // and goes to the server on a request of the stream's own, in real time:
    // each step of the air gives the server a few looks before the next.
    std::string status;
    const auto shown = [&] { return status.find("\"title\":\"Caf\xC3\xA9 Caf") != std::string::npos; };
    for (int step = 0; step < 40 && !shown(); ++step) {
        Air(100);
        for (int look = 0; look < 20 && !shown(); ++look)
            status = HttpGet(server_.Port(), "/status-json.xsl");
    }
    const size_t at = status.find("\"title\":\"Caf\xC3\xA9 Caf");
    ASSERT_NE(at, std::string::npos) << status.substr(0, 400);
    const size_t end = status.find('"', at + 9);
    EXPECT_LE(end - at - 9, 255u);
}

// An Ogg Vorbis stream tells the server its title in the comments of the
// logical stream it chains on; the server's status names the item heard.
TEST_F(StreamServer, AVorbisStreamNamesTheItemHeardInItsComments) {
    Stream(IcecastServer::SourcePassword, "vorbis");
    ASSERT_TRUE(station_.Stream()->WaitForState(StreamState::Connected, Bound));
    station_.Playout().StartItem();
    Air(9000);
    std::string status;
    for (int step = 0; step < 100; ++step) {
        status = HttpGet(server_.Port(), "/status-json.xsl");
        if (status.find("\"title\":\"Tone C\"") != std::string::npos)
            break;
        Air(100);
    }
    EXPECT_NE(status.find("\"title\":\"Tone C\""), std::string::npos) << status;
    EXPECT_NE(status.find("\"subtype\":\"Vorbis\""), std::string::npos) << status;
}

// A server that dies is told once; the stream comes back by itself when the
// server does, listeners can tune in again, and the air never waits.
TEST_F(StreamServer, AServerKilledAndStartedAgainTakesTheStreamBack) {
    Stream();
    ASSERT_TRUE(station_.Stream()->WaitForState(StreamState::Connected, Bound));
    station_.Playout().StartItem();
    Air(1000);

    server_.Kill();
    // The loss shows at the next sends.
    for (int step = 0; step < 300 && station_.Stream()->State() == StreamState::Connected; ++step) {
        seams_.studio.Run(100);
        station_.Stream()->WaitForState(StreamState::Retrying, milliseconds(100));
    }
    ASSERT_EQ(station_.Stream()->State(), StreamState::Retrying);
    server_.Start();
    ASSERT_TRUE(station_.Stream()->WaitForState(StreamState::Connected, Bound));
    Air(3000);
    MountListener listener(server_.Port(), "/air");
    EXPECT_TRUE(listener.Listening());
    Air(500);
    EXPECT_TRUE(listener.WaitForBytes(1, Bound));

    seams_.studio.RunPending();
    EXPECT_EQ(CountLines(Messages(), "lost"), 1u);
    EXPECT_EQ(CountLines(Messages(), "does not take the stream"), 0u)
        << "a server away after a loss is the same problem, told once";
    EXPECT_EQ(CountLines(Messages(), "takes the stream again"), 1u);
    EXPECT_GE(station_.Stream()->Totals().connects, 2u);
    EXPECT_TRUE(device_.Played().Underruns().empty());
}

// A wrong password is told once, however often the stream tries again, and
// the schedule plays on as if there were no stream.
TEST_F(StreamServer, AWrongPasswordIsReportedOnceAndTheAirPlaysOn) {
    Stream("not the password");
    station_.Playout().StartItem();
    for (int step = 0; step < 600 && station_.Stream()->Totals().attempts < 4; ++step) {
        seams_.studio.Run(50);
        station_.Stream()->WaitForState(StreamState::Connected, milliseconds(20));
    }
    seams_.studio.Run(8000);
    EXPECT_GE(station_.Stream()->Totals().attempts, 4u);
    EXPECT_EQ(station_.Stream()->State(), StreamState::Retrying);
    EXPECT_EQ(CountLines(Messages(), "does not take the stream"), 1u);
    EXPECT_EQ(station_.Playout().HeardItem(), 3) << "the schedule played through";
    EXPECT_TRUE(device_.Played().Underruns().empty());
}

} // namespace
} // namespace corvane::testing
