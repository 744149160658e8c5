#include "StationEventsFixture.h"
#include "audio/input/RecordingFixture.h"
#include "studio/VirtualWaveInDevice.h"

#include <chrono>
#include <thread>

namespace corvane::testing {
namespace {

constexpr size_t BytesPerSecond = 44100 * 4;

// The station records from a virtual input playing a ramp. The recorder
// hands buffers back on its own thread in real time while virtual time races
// ahead, so the studio moves in 10 ms steps, each waiting (with a generous
// bound) until the thread has given every buffer back.
class StationRecordingEventsTest : public StationEventsTest {
protected:
    StationRecordingEventsTest() {
        input.SetSignal(Ramp);
        station.UseRecordingInput(input);
    }
    void RunRecording(int64_t ms) {
        for (int64_t done = 0; done < ms; done += 10) {
            Run(std::min<int64_t>(10, ms - done));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (input.IsRecording() && input.QueuedBuffers() < 20 &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }

    VirtualWaveInDevice input{seams.studio};
};

// The pattern names the file after the event's time; what was recorded
// between the two events is there, from the ramp's first frame on.
TEST_F(StationRecordingEventsTest, RecordsBetweenStartAndStopIntoTheNamedFile) {
    const int start = AddEvent(2, "Start Recording", "shows/show-{yyyymmdd-hhnn}.wav");
    const int stop = AddEvent(7, "Stop Recording");
    RunRecording(8000);
    EXPECT_EQ(Status(start), "Completed") << Message("failed");
    EXPECT_EQ(Status(stop), "Completed") << Message("failed");
    const std::string path = folder.File("shows/show-20260105-0900.wav");
    EXPECT_NE(Message("Recording into " + path), "");
    const std::vector<uint8_t> data = ReadWaveData(path);
    // Five seconds, give or take the one buffer being filled at the stop.
    EXPECT_NEAR(static_cast<double>(data.size()), 5.0 * BytesPerSecond, 4096);
    const size_t frames = std::min(data.size(), 5 * BytesPerSecond - 4096) / 4;
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + static_cast<ptrdiff_t>(frames * 4),
                           RampBytes(0, frames).begin()));
}

TEST_F(StationRecordingEventsTest, ALengthStopsTheRecordingByItself) {
    const int start = AddEvent(2, "Start Recording", folder.File("limit.wav"), "Length=0:00:03");
    RunRecording(7000);
    EXPECT_EQ(Status(start), "Completed") << Message("failed");
    EXPECT_TRUE(station.EventRecorder()->Input().State().Closed());
    EXPECT_EQ(ReadWaveData(folder.File("limit.wav")).size(), 3 * BytesPerSecond);
}

TEST_F(StationRecordingEventsTest, PauseRecordingPausesAndResumes) {
    AddEvent(2, "Start Recording", "paused.wav");
    const int pause = AddEvent(4, "Pause Recording");
    const int resume = AddEvent(6, "Pause Recording");
    AddEvent(8, "Stop Recording");
    RunRecording(9000);
    EXPECT_EQ(Status(pause), "Completed");
    EXPECT_EQ(Status(resume), "Completed");
    EXPECT_NE(Message("Recording paused"), "");
    EXPECT_NE(Message("Recording resumed"), "");
    // Four seconds recorded, with no gap or repeat where it was paused.
    const std::vector<uint8_t> data = ReadWaveData(folder.File("paused.wav"));
    EXPECT_NEAR(static_cast<double>(data.size()), 4.0 * BytesPerSecond, 2 * 4096);
    const size_t frames = std::min(data.size(), 3 * BytesPerSecond) / 4;
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + static_cast<ptrdiff_t>(frames * 4),
                           RampBytes(0, frames).begin()));
}

TEST_F(StationRecordingEventsTest, RecordingEventsThatCannotActFail) {
    folder.Write("a-file", "x");
    const struct {
        const char* type;
        std::string file;
        const char* why;
    } cases[] = {
        {"Stop Recording", "", "no recording is running"},
        {"Pause Recording", "", "no recording is running"},
        {"Start Recording", "", "no file name is given"},
        {"Start Recording", folder.File("a-file/below.wav"), ""},
        {"Start Recording", "ok.wav", ""},
        {"Start Recording", "second.wav", "a recording into"},
    };
    std::vector<int> ids;
    for (size_t i = 0; i < std::size(cases); ++i)
        ids.push_back(AddEvent(2.0 + static_cast<double>(i), cases[i].type, cases[i].file));
    RunRecording(8000);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string(cases[i].type) + " " + cases[i].file);
        const bool fails = cases[i].file != "ok.wav";
        EXPECT_EQ(Status(ids[i]), fails ? "Failed" : "Completed");
        if (fails)
            EXPECT_NE(Message("Event " + std::to_string(ids[i]) + " \"" + cases[i].type +
                              "\" failed: " + cases[i].why),
                      "");
    }
}

} // namespace
} // namespace corvane::testing
