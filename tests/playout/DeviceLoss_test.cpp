#include "PlayoutFixture.h"
#include "audio/chain/EMMError.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>

namespace corvane::testing {
namespace {

using Call = VirtualWaveDevice::Call;
constexpr const char* Waiting = "Waiting for the audio device";

// The sound system dies under the console: the stream stops taking audio and
// reports it, and every further call on the device fails until Heal.
void LoseDevice(VirtualWaveDevice& device) {
    for (const Call call : {Call::Open, Call::Write, Call::Pause, Call::Resume, Call::Reset, Call::Close})
        device.FailAlways(call, "Connection refused");
    device.BreakStream("WaveOutWrite", "Connection refused");
}

class DeviceLoss : public PlayoutFixture {
protected:
    std::vector<std::string> handled;
    ExceptionHandler previous;

    void SetUp() override {
        PlayoutFixture::SetUp();
        previous = SetExceptionHandler(
            [this](std::string_view, std::exception_ptr e) { handled.push_back(ExceptionMessage(e)); });
    }
    void TearDown() override {
        PlayoutFixture::TearDown();
        SetExceptionHandler(previous);
    }
    size_t MemoLines(const std::string& part) {
        const auto& lines = console->Memo1.Lines();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        }));
    }
    bool ArchiveMentions(const std::string& part) {
        const std::vector<std::string> lines = ArchiveLines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    // The first ms from `fromMs` of the stream at which the tone sounds.
    int64_t Onset(const PlayedAudio& played, int64_t fromMs, double hz) {
        for (int64_t ms = fromMs; ms < played.FrameToMs(played.Frames()); ms += 20)
            if (ToneLevel(played, {ms, ms + 20}, hz) > 0.2)
                return ms;
        return -1;
    }
};

// The crash the console once had: OnError → reset → stop → the dead device's
// reset fails → OnError → … until the stack ran out.
TEST_F(DeviceLoss, ADeviceThatFailsEveryCallEndsInAWaitAndStopEndsTheWait) {
    const int a = AddRow(Tone("a.wav", 10, 1000));
    AddRow(Tone("b.wav", 10, 2000));
    Cursor(a);
    console->StartItem();
    Run(2000);
    LoseDevice(device);
    Run(5500);
    EXPECT_TRUE(console->WaitingForDevice());
    EXPECT_EQ(status.back(), Waiting);
    EXPECT_FALSE(device.IsOpen());
    // One fault, one line, one log entry, however many attempts.
    EXPECT_EQ(MemoLines(Waiting), 1u);
    EXPECT_EQ(handled, (std::vector<std::string>{"WaveOutWrite:\n\rConnection refused"}));
    EXPECT_EQ(RowType(a), "WAV");
    EXPECT_FALSE(ArchiveMentions("Possibly Corrupt File Header"));
    EXPECT_TRUE(console->Commands().Stop);

    console->StopBroadcast();
    EXPECT_FALSE(console->WaitingForDevice());
    EXPECT_FALSE(console->OnAir());
    EXPECT_EQ(status.back(), "");
    device.Heal();
    Run(3000);
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(DeviceLoss, PlayoutResumesTheInterruptedItemWhereItWasHeard) {
    const int a = AddRow(Tone("a.wav", 10, 1000));
    const int b = AddRow(Tone("b.wav", 10, 2000));
    Cursor(a);
    console->StartItem();
    Run(3000); // 3 s of a heard
    LoseDevice(device);
    Run(3200);
    EXPECT_TRUE(console->WaitingForDevice());
    EXPECT_EQ(device.Streams().size(), 1u);
    device.Heal();
    Run(1000); // the next attempt opens the device
    EXPECT_FALSE(console->WaitingForDevice());
    EXPECT_TRUE(console->OnAir());
    EXPECT_EQ(console->CurrentItem(), a);
    EXPECT_EQ(status.back(), "Playing: a.wav") << "the item heard is named again at once";
    ASSERT_EQ(device.Streams().size(), 2u);

    // The rest of a (7 s) and then b: nothing heard twice, nothing lost.
    Run(9000);
    const PlayedAudio& resumed = device.Streams()[1];
    EXPECT_GT(ToneLevel(resumed, {resumed.OriginMs(), resumed.OriginMs() + 500}, 1000), 0.4);
    EXPECT_NEAR(static_cast<double>(Onset(resumed, resumed.OriginMs(), 2000) - resumed.OriginMs()), 7000, 60);
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_EQ(RowType(a), "WAV");
    EXPECT_EQ(MemoLines(Waiting), 1u);
    EXPECT_FALSE(ArchiveMentions("Possibly Corrupt File Header"));
}

// The device dies while the output still plays the end of one item and the
// deck already serves the next (the output's queue is longer than what is
// left of the item): the rest of the item heard plays first, then the next.
TEST_F(DeviceLoss, AnItemWhoseEndWasStillQueuedIsResumedBeforeTheNext) {
    const int a = AddRow(Tone("a.wav", 3, 1000));
    const int b = AddRow(Tone("b.wav", 10, 2000));
    Cursor(a);
    console->StartItem();
    Run(2500); // 2.5 s of a heard; the queue already holds the start of b
    ASSERT_EQ(console->CurrentItem(), b);
    EXPECT_EQ(console->OnAirPlace().first, a);
    LoseDevice(device);
    Run(3200);
    device.Heal();
    Run(1000);
    EXPECT_FALSE(console->WaitingForDevice());
    ASSERT_EQ(device.Streams().size(), 2u);
    Run(3000);
    const PlayedAudio& resumed = device.Streams()[1];
    const int64_t origin = resumed.OriginMs();
    // The 0.5 s of a that nobody heard, and no more of it.
    EXPECT_GT(ToneLevel(resumed, {origin, origin + 450}, 1000), 0.4);
    EXPECT_LT(ToneLevel(resumed, {origin + 560, origin + 1500}, 1000), 0.05);
    // b follows once the start has filled the output's queue (a rest shorter
    // than the queue ends inside the start, which does not advance).
    const int64_t bFrom = Onset(resumed, origin, 2000) - origin;
    EXPECT_GE(bFrom, 500);
    EXPECT_LE(bFrom, 500 + 1500);
    EXPECT_EQ(console->CurrentItem(), b);
}

// The next item was started (logged and counted) while the end of the one
// before was still queued; the device dies before it is heard. After the
// resume it goes on air once more, but it is logged and counted only once.
TEST_F(DeviceLoss, AnItemStartedBeforeTheLossIsLoggedAndCountedOnce) {
    data.cdsAudioLibrary.Append();
    data.cdsAudioLibrary.FieldByName("LocalPathToFile").SetAsString("b");
    data.cdsAudioLibrary.Post();
    data.cdsAudioLibrary.Last();
    const int title = data.cdsAudioLibrary.FieldByName("TitleID").AsInteger();
    const int a = AddRow(Tone("a.wav", 3, 1000));
    const int b = AddRow(Tone("b.wav", 10, 2000), "", title);
    Cursor(a);
    console->StartItem();
    Run(2500);
    ASSERT_EQ(console->CurrentItem(), b);
    LoseDevice(device);
    Run(3200);
    device.Heal();
    Run(4000);
    ASSERT_EQ(console->CurrentItem(), b);
    const std::vector<std::string> lines = ArchiveLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("/b.wav Start Playout Event") != std::string::npos;
                            }),
              1);
    ASSERT_TRUE(data.cdsAudioLibrary.Locate("TitleID", int64_t{title}));
    EXPECT_EQ(data.cdsAudioLibrary.FieldByName("TimesPlayed").AsInteger(), 1);
    EXPECT_TRUE(console->OnAir());
}

TEST_F(DeviceLoss, ADeviceMissingAtTheStartPlaysTheChosenRowOnceItIsBack) {
    AddRow(Tone("a.wav", 10, 1000));
    const int b = AddRow(Tone("b.wav", 10, 2000));
    device.FailAlways(Call::Open, "No such device");
    Cursor(b);
    EXPECT_THROW(console->StartItem(), EMMWaveOutError);
    EXPECT_TRUE(console->WaitingForDevice());
    Run(2500);
    device.Heal();
    Run(1000);
    EXPECT_FALSE(console->WaitingForDevice());
    EXPECT_EQ(console->CurrentItem(), b);
    EXPECT_EQ(RowType(b), "WAV");
}

// The place kept for a start after an unclean exit is what was heard, and
// resuming it plays the rest of that item only.
TEST_F(DeviceLoss, ThePlaceOnAirIsWhatWasHeardAndResumingItPlaysTheRest) {
    AddRow(Tone("a.wav", 10, 1000));
    const int b = AddRow(Tone("b.wav", 10, 2000));
    const int c = AddRow(Tone("c.wav", 10, 3000));
    EXPECT_EQ(console->OnAirPlace(), std::pair(0, 0));
    Cursor(b);
    console->StartItem();
    Run(4000);
    const auto [item, position] = console->OnAirPlace();
    EXPECT_EQ(item, b);
    EXPECT_NEAR(position, 4000, 40);
    console->StopBroadcast();

    const int64_t start = seams.studio.NowMs();
    console->ResumeItem(b, 4000);
    Run(8000);
    const PlayedAudio& resumed = device.Streams().back();
    EXPECT_GT(ToneLevel(resumed, {start, start + 500}, 2000), 0.4);
    EXPECT_NEAR(static_cast<double>(Onset(resumed, start, 3000) - start), 6000, 60);
    EXPECT_EQ(console->CurrentItem(), c);
}

} // namespace
} // namespace corvane::testing
