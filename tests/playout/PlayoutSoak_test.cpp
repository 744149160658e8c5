#include "PlayoutFixture.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>

namespace corvane::testing {
namespace {

// Virtual hours of the soak: CORVANE_SOAK_HOURS, or a few minutes so that the
// sanitizer build runs it with every test (the 24-hour soak is run on a
// release build with CORVANE_SOAK_HOURS=24).
double SoakHours() {
    const char* hours = std::getenv("CORVANE_SOAK_HOURS");
    return hours != nullptr ? std::atof(hours) : 0.1;
}

// Longest runs of exact digital silence in what the output played, in frames,
// across buffer boundaries.
// Resident memory of the process (bytes), from /proc.
int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

class SilenceWatch {
public:
    void Feed(const uint8_t* data, uint32_t bytes) {
        const auto* samples = reinterpret_cast<const int16_t*>(data);
        for (uint32_t i = 0; i + 1 < bytes / 2; i += 2) {
            if (excused_ > 0)
                --excused_;
            if (samples[i] == 0 && samples[i + 1] == 0) {
                ++run_;
            } else {
                if (run_ > longest_ && started_ && excused_ == 0)
                    longest_ = run_;
                run_ = 0;
                started_ = true;
            }
        }
    }
    // A silence that ends within the next `ms` is not counted (a device
    // refresh: the item it resumes with may be shorter than the output's
    // first queue, which is then filled up with silence).
    void Excuse(int64_t ms) { excused_ = ms * 44100 / 1000; }
    int64_t LongestMs() const { return longest_ * 1000 / 44100; }

private:
    int64_t run_ = 0;
    int64_t longest_ = 0;
    bool started_ = false;
    int64_t excused_ = 0;
};

// Hours of samples are not kept: only the silence watch looks at them.
class Soak : public PlayoutFixture {
protected:
    Soak() : PlayoutFixture(KeepSamples::No) {}
    void BufferPlayed(const uint8_t* bytes, uint32_t length) override { silence.Feed(bytes, length); }
    void SetStatusText(int panel, const std::string& text) override {
        PlayoutFixture::SetStatusText(panel, text);
        if (text == "Refreshing Audio Device Driver")
            silence.Excuse(3000);
    }
    int Refreshes() const {
        return static_cast<int>(std::count(status.begin(), status.end(), "Refreshing Audio Device Driver"));
    }
    SilenceWatch silence;
};

TEST_F(Soak, LoopingCrossFadesWithAJingleAndOperatorCommandsNeverStall) {
    settings.AutoCrossFade = true;
    settings.LoopScheduleContinuously = true;

    std::vector<int> rows;
    std::map<std::string, int> known;
    for (int i = 0; i < 12; ++i) {
        std::string path;
        if (i % 4 == 3)
            path = test::Fixture(i % 8 == 3 ? "tone-cbr.mp3" : "tone-vbr.mp3");
        else
            path = Tone("item" + std::to_string(i) + ".wav", 20 + 3 * i, 200.0 + 100 * i, 0.3);
        rows.push_back(AddRow(path));
        known[path] = rows.back();
    }
    const std::string jingle = Tone("jingle.wav", 2, 5000, 0.2);
    Cursor(rows[0]);
    console->StartItem();

    std::mt19937 random(20260105);
    int playSelected = 0;
    const auto end = static_cast<int64_t>(SoakHours() * 3600 * 1000);
    int64_t nextJingle = 90'000;
    int64_t nextCommand = 30'000;
    int64_t residentAfterFirstHour = 0;
    while (seams.studio.NowMs() < end) {
        if (residentAfterFirstHour == 0 && seams.studio.NowMs() >= 3'600'000)
            residentAfterFirstHour = ResidentBytes();
        const int64_t next = std::min(nextJingle, nextCommand);
        seams.studio.Run(next - seams.studio.NowMs());
        ASSERT_TRUE(console->OnAir() || console->DeviceRefresh()) << "stalled at " << seams.studio.NowMs();
        if (next == nextJingle) {
            console->Deck(1).SetFileName(jingle);
            console->WaveMixer().HoldPort(1, true);
            console->WaveMixer().HoldPort(1, false);
            nextJingle += 90'000;
            continue;
        }
        nextCommand += 20'000 + static_cast<int64_t>(random() % 40'000);
        // Every six hours the operator leaves for two and a half: the
        // two-hourly device refresh then falls on a cross-fade.
        constexpr int64_t hour = 3'600'000;
        const int64_t intoSix = nextCommand % (6 * hour);
        if (intoSix >= 3 * hour && intoSix < 5 * hour + hour / 2)
            nextCommand += 5 * hour + hour / 2 - intoSix;
        switch (random() % 7) {
        case 0:
            console->actFadeToNext();
            break;
        case 1:
            console->actSkipRight();
            break;
        case 2:
            console->actSkipLeft();
            break;
        case 3:
            console->actRestart();
            break;
        case 4:
            console->GaugeClick(static_cast<int>(random() % 90), 101);
            break;
        case 5:
            console->PauseBroadcast();
            seams.studio.Run(2000);
            console->StartBroadcast();
            break;
        default:
            Cursor(rows[random() % rows.size()]);
            console->ScheduleCursorMoved();
            if (console->Commands().Start)
                ++playSelected;
            console->PlaySelected();
            break;
        }
    }
    EXPECT_LT(silence.LongestMs(), 50);
    // Memory stays flat after the first hour (the message list is bounded,
    // nothing of the played audio is kept).
    const int64_t residentGrowth = residentAfterFirstHour > 0 ? ResidentBytes() - residentAfterFirstHour : 0;
    EXPECT_LT(residentGrowth, 16 << 20);
    EXPECT_LE(console->Memo1.Lines().size(), MessageList::MaxLines);
    // Every item that goes on air is logged, cross-faded or started: at
    // least the first start, the operator's starts and the starts after each
    // device refresh, all of known files.
    const auto lines = ArchiveLines();
    const int expected = 1 + playSelected + Refreshes();
    EXPECT_GE(static_cast<int>(lines.size()), expected);
    for (const std::string& line : lines) {
        const size_t at = line.find("  ");
        ASSERT_NE(at, std::string::npos) << line;
        const std::string rest = line.substr(at + 2);
        const std::string text = " Start Playout Event\r";
        ASSERT_GT(rest.size(), text.size()) << line;
        EXPECT_EQ(rest.substr(rest.size() - text.size()), text) << line;
        EXPECT_TRUE(known.count(rest.substr(0, rest.size() - text.size()))) << line;
    }
    std::printf("soak: %.2f virtual hours, %zu archive lines, %d refreshes, %d operator starts, longest "
                "silence %lld ms, resident memory growth after the first hour %lld KiB\n",
                SoakHours(), lines.size(), Refreshes(), playSelected,
                static_cast<long long>(silence.LongestMs()), static_cast<long long>(residentGrowth / 1024));
}

} // namespace
} // namespace corvane::testing
