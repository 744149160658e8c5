#include "RecordingFixture.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using testing::RampBytes;
using testing::ReadWaveData;
using testing::RecorderFixture;

TEST(TMMWaveRecorder, RecordsTheInputSampleExact) {
    for (const TMMCBMode mode : {TMMCBMode::cmWindow, TMMCBMode::cmThread}) {
        RecorderFixture f(mode);
        const std::string path = f.folder.File("snoop001.wav");
        f.recorder.SetRecordFileName(path);
        f.recorder.StartRecording();
        f.Record(2000);
        EXPECT_EQ(f.recorder.GetRecordPosition(), 2000);
        f.recorder.StopRecording();
        EXPECT_EQ(f.events, (std::vector<std::string>{"start", "stop"}));
        EXPECT_TRUE(f.recorder.Input().State().Closed());
        // Every frame up to the stop, the last buffer only partly filled.
        EXPECT_EQ(ReadWaveData(path), RampBytes(0, 88200)) << static_cast<int>(mode);
        EXPECT_EQ(f.recorder.GetRecordPosition(), 0);
    }
}

TEST(TMMWaveRecorder, StopsAtTheLimitWithTheLastBufferShortened) {
    RecorderFixture f;
    f.recorder.SetMaxRecordTime(1000);
    const std::string path = f.folder.File("limit.wav");
    f.recorder.SetRecordFileName(path);
    std::vector<uint32_t> delivered;
    f.recorder.OnData = [&](TMMDSPComponent*, BufferHeader* h) { delivered.push_back(h->bufferLength); };
    f.recorder.StartRecording();
    f.studio.Run(3000);
    EXPECT_EQ(f.events, (std::vector<std::string>{"start", "stop"}));
    EXPECT_EQ(f.recorder.Input().BytesRecorded(), 176400u);
    EXPECT_EQ(ReadWaveData(path), RampBytes(0, 44100));
    ASSERT_FALSE(delivered.empty());
    EXPECT_EQ(delivered.back(), 176400u % 4096u);
}

TEST(TMMWaveRecorder, PauseHoldsTheRecordingAndRestartContinuesIt) {
    RecorderFixture f;
    const std::string path = f.folder.File("paused.wav");
    f.recorder.SetRecordFileName(path);
    f.recorder.StartRecording();
    f.studio.Run(500);
    f.recorder.PauseRecording();
    f.recorder.PauseRecording(); // already paused: nothing
    const int64_t held = f.recorder.GetRecordPosition();
    f.studio.Run(1000);
    EXPECT_EQ(f.recorder.GetRecordPosition(), held);
    f.recorder.RestartRecording();
    f.studio.Run(500);
    EXPECT_EQ(f.recorder.GetRecordPosition(), 1000);
    f.recorder.StopRecording();
    EXPECT_EQ(f.events, (std::vector<std::string>{"start", "pause", "restart", "stop"}));
    // The input delivers what it recorded, without a gap or a repeat.
    EXPECT_EQ(ReadWaveData(path), RampBytes(0, 44100));
}

TEST(TMMWaveRecorder, RecordingAgainOverwritesOrAppends) {
    RecorderFixture f;
    const std::string path = f.folder.File("again.wav");
    f.recorder.SetRecordFileName(path);
    f.recorder.StartRecording();
    f.studio.Run(1000);
    f.recorder.StopRecording();
    f.recorder.StartRecording();
    f.studio.Run(500);
    f.recorder.StopRecording();
    EXPECT_EQ(ReadWaveData(path).size(), 22050u * 4);

    f.recorder.SetOverwriteExisting(false);
    f.recorder.SetRecordFileName(path);
    EXPECT_EQ(f.recorder.GetRecordPosition(), 500);
    f.recorder.StartRecording();
    f.studio.Run(250);
    EXPECT_EQ(f.recorder.GetRecordPosition(), 750);
    f.recorder.StopRecording();
    EXPECT_EQ(ReadWaveData(path).size(), (22050u + 11025u) * 4);
}

TEST(TMMWaveRecorder, WithoutAFileNameNothingStarts) {
    RecorderFixture f;
    f.recorder.StartRecording();
    f.recorder.PauseRecording();
    EXPECT_FALSE(f.device.IsOpen());
    EXPECT_TRUE(f.events.empty());
}

TEST(TMMWaveRecorder, DescribesItsInputFormatAndRefusesToSetIt) {
    RecorderFixture f;
    EXPECT_EQ(f.recorder.InputFormat(), "PCM 44.100 kHz, 16 Bit, Stereo");
    f.recorder.SetInputFormat("PCM 8.000 kHz, 8 Bit, Mono");
    EXPECT_EQ(f.recorder.InputFormat(), "PCM 44.100 kHz, 16 Bit, Stereo");
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_EQ(f.prompter.Messages()[0].text, "This is a read-only property, please use SelectFormat.");
    EXPECT_EQ(f.prompter.Messages()[0].type, MessageType::Information);
}

TEST(TMMWaveRecorder, AnUnwritableFileFailsTheStartAndLeavesTheInputClosed) {
    RecorderFixture f;
    f.recorder.SetRecordFileName(f.folder.File("no-such-folder/x.wav"));
    EXPECT_THROW(f.recorder.StartRecording(), EMMWaveError);
    EXPECT_TRUE(f.recorder.Input().State().Closed());
    EXPECT_FALSE(f.device.IsOpen());
}

// A recording cut off by a crash: the program is killed while recording,
// and the file it leaves plays up to within a few seconds of the kill.
TEST(TMMWaveRecorder, ARecordingKilledMidwayLeavesAPlayableFile) {
    testing::ScratchFolder folder;
    const std::string path = folder.File("killed.wav");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecorderFixture f;
        f.recorder.SetRecordFileName(path);
        f.recorder.StartRecording();
        f.studio.Run(7000);
        ::kill(::getpid(), SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    const std::vector<uint8_t> data = ReadWaveData(path);
    // At least the first five seconds, exactly as recorded.
    ASSERT_GE(data.size(), 5u * 176400u);
    EXPECT_EQ(data, RampBytes(0, data.size() / 4));
}

} // namespace
} // namespace corvane
