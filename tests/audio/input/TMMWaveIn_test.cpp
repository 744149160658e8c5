#include "RecordingFixture.h"
#include "audio/input/TMMWaveIn.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using Call = VirtualWaveInDevice::Call;

struct InputFixture {
    VirtualStudio studio;
    VirtualWaveInDevice device{studio};
    ScriptedPrompter prompter;
    TMMWaveIn in{device, studio, prompter, "WaveIn"};
    std::vector<std::string> events;

    InputFixture() {
        auto note = [this](const char* name) {
            return [this, name](TMMComponent*) { events.push_back(name); };
        };
        in.OnOpen = note("open");
        in.OnStart = note("start");
        in.OnStop = note("stop");
        in.OnClose = note("close");
        in.OnError = note("error");
    }
};

std::string ErrorOf(const std::function<void()>& act) {
    try {
        act();
    } catch (const EMMWaveInError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(TMMWaveIn, PropertiesKeepTheirLimits) {
    InputFixture f;
    EXPECT_EQ(f.in.NumBuffers(), 10);
    EXPECT_EQ(f.in.SampleRate(), 11025);
    EXPECT_EQ(f.in.BitLength(), TMMBits::b8Bit);
    EXPECT_EQ(f.in.Mode(), TMMMode::mMono);
    EXPECT_EQ(f.in.TimeFormat(), TMMTimeFormats::tfByte);
    EXPECT_EQ(f.in.MaxRecordTime(), -1);
    f.in.SetNumBuffers(1);
    EXPECT_EQ(f.in.NumBuffers(), 10);
    f.in.SetNumBuffers(600);
    EXPECT_EQ(f.in.NumBuffers(), 500);
    f.in.SetBufferSize(10);
    EXPECT_EQ(f.in.GetBufferSize(), 32);
    f.in.SetSampleRate(4000);
    EXPECT_EQ(f.in.SampleRate(), 8000);
    f.in.SetSampleRate(200000);
    EXPECT_EQ(f.in.SampleRate(), 100000);
    // Every change rebuilds the format the chain sees.
    f.in.SetSampleRate(22050);
    f.in.SetBitLength(TMMBits::b16Bit);
    f.in.SetMode(TMMMode::mStereo);
    EXPECT_EQ(*f.in.GetWaveFormat(), PcmWaveFormat(16, 2, 22050));
}

TEST(TMMWaveIn, DeviceIdOutsideTheDevicesIsStoredAsInvalid) {
    InputFixture f;
    f.device.SetDeviceCount(2);
    TMMWaveIn in{f.device, f.studio, f.prompter};
    EXPECT_EQ(in.ProductName(), "Virtual Wave Input 1");
    in.SetDeviceID(99);
    EXPECT_EQ(in.DeviceID(), InvalidWaveInDeviceId);
    EXPECT_EQ(in.ProductName(), "No wave audio recording device found");
    EXPECT_EQ(ErrorOf([&] { in.Open(); }), "Invalid DeviceID");
    in.SetDeviceID(WaveMapperId);
    EXPECT_EQ(in.DeviceID(), WaveMapperId);
}

TEST(TMMWaveIn, WithoutDevicesNothingOpens) {
    InputFixture f;
    f.device.SetDeviceCount(0);
    TMMWaveIn in{f.device, f.studio, f.prompter};
    EXPECT_EQ(in.ProductName(), "No wave audio recording device found");
    EXPECT_EQ(ErrorOf([&] { in.Start(); }), "No wave audio recording device found");
}

TEST(TMMWaveIn, PropertiesRefuseChangesWhileOpen) {
    InputFixture f;
    f.in.Open();
    const std::vector<std::function<void()>> changes = {[&] { f.in.SetDeviceID(0); },
                                                        [&] { f.in.SetSampleRate(8000); },
                                                        [&] { f.in.SetBitLength(TMMBits::b16Bit); },
                                                        [&] { f.in.SetMode(TMMMode::mStereo); },
                                                        [&] { f.in.SetBufferSize(64); },
                                                        [&] { f.in.SetNumBuffers(4); },
                                                        [&] { f.in.SetCallBackMode(TMMCBMode::cmThread); }};
    for (const auto& change : changes)
        EXPECT_EQ(ErrorOf(change), "Change to property while device was open");
    f.in.Close();
    EXPECT_EQ((std::vector<std::string>{"open", "error", "error", "error", "error", "error", "error", "error",
                                        "close"}),
              f.events);
}

TEST(TMMWaveIn, CallbackModeIsRefusedWithAMessage) {
    InputFixture f;
    f.in.SetCallBackMode(TMMCBMode::cmCallback);
    EXPECT_EQ(f.in.CallBackMode(), TMMCBMode::cmWindow);
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_EQ(f.prompter.Messages()[0].text,
              "\"CallBacks\" are called at interrupt time !\n\rThis is currently "
              "only supported under Windows 95");
}

TEST(TMMWaveIn, FailuresNameTheDeviceCallAndLeaveTheInputClosed) {
    struct Case {
        std::function<void(InputFixture&)> arrange;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[](InputFixture& f) {
             // The formats a device declares are read when it is chosen.
             f.device.SetStandardFormats(WAVE_FORMAT_4S16);
             f.in.SetDeviceID(0);
         },
         "WaveInOpen:\n\rThe actual device can't record this format"},
        {[](InputFixture& f) { f.device.FailNext(Call::CanRecord, ""); },
         "WaveInOpen:\n\rThe actual device can't record this format"},
        {[](InputFixture& f) { f.device.FailNext(Call::Open, "The device is busy"); },
         "WaveInOpen:\n\rThe device is busy"},
        {[](InputFixture& f) { f.device.FailNext(Call::AddBuffer, "No memory"); },
         "WaveInAddBuffer:\n\rNo memory"},
        {[](InputFixture& f) { f.device.FailNext(Call::Start, "Gone"); }, "WaveInStart:\n\rGone"},
    };
    for (const Case& c : cases) {
        InputFixture f;
        c.arrange(f);
        EXPECT_EQ(ErrorOf([&] { f.in.Start(); }), c.message);
        EXPECT_TRUE(f.in.State().Closed()) << c.message;
        EXPECT_FALSE(f.device.IsOpen()) << c.message;
        EXPECT_NE(std::find(f.events.begin(), f.events.end(), "error"), f.events.end()) << c.message;
        EXPECT_EQ(std::find(f.events.begin(), f.events.end(), "start"), f.events.end()) << c.message;
    }
}

TEST(TMMWaveIn, PositionFollowsTheRecordingInTheTimeFormat) {
    InputFixture f;
    f.in.SetSampleRate(44100);
    f.in.SetBitLength(TMMBits::b16Bit);
    f.in.SetMode(TMMMode::mStereo);
    f.in.SetTimeFormat(TMMTimeFormats::tfMillisecond);
    EXPECT_EQ(f.in.Position(), 0);
    f.in.Start();
    f.studio.Run(1500);
    EXPECT_EQ(f.in.Position(), 1500);
    f.in.SetTimeFormat(TMMTimeFormats::tfSample);
    EXPECT_EQ(f.in.Position(), 66150);
    f.in.SetTimeFormat(TMMTimeFormats::tfByte);
    EXPECT_EQ(f.in.Position(), 66150 * 4);
}

TEST(TMMWaveIn, ChangingTheTimeFormatReexpressesTheLimit) {
    InputFixture f;
    f.in.SetSampleRate(44100);
    f.in.SetBitLength(TMMBits::b16Bit);
    f.in.SetMode(TMMMode::mStereo);
    f.in.SetTimeFormat(TMMTimeFormats::tfMillisecond);
    f.in.SetMaxRecordTime(1000);
    f.in.SetTimeFormat(TMMTimeFormats::tfByte);
    EXPECT_EQ(f.in.MaxRecordTime(), 176400);
    f.in.SetTimeFormat(TMMTimeFormats::tfSample);
    EXPECT_EQ(f.in.MaxRecordTime(), 44100);
    // A byte limit is rounded down to whole frames.
    f.in.SetTimeFormat(TMMTimeFormats::tfByte);
    f.in.SetMaxRecordTime(1003);
    f.in.SetTimeFormat(TMMTimeFormats::tfSample);
    EXPECT_EQ(f.in.MaxRecordTime(), 250);
}

TEST(TMMWaveIn, StandardFormatBitsFollowTheRateClasses) {
    const std::vector<std::pair<WaveDeviceFormat, uint32_t>> cases = {
        {{1, 1, 8000, 8}, WAVE_FORMAT_1M08},
        {{1, 2, 11025, 16}, WAVE_FORMAT_1S16},
        {{1, 1, 11026, 16}, WAVE_FORMAT_2M16},
        {{1, 2, 22050, 8}, WAVE_FORMAT_2S08},
        {{1, 2, 44100, 16}, WAVE_FORMAT_4S16},
        {{1, 1, 48000, 8}, WAVE_FORMAT_4M08},
        {{1, 2, 48001, 16}, 0},
        {{1, 2, 7999, 16}, 0},
        {{1, 3, 44100, 16}, 0},
        {{1, 2, 44100, 24}, 0},
    };
    for (const auto& [format, bit] : cases)
        EXPECT_EQ(StandardFormatBit(format), bit) << format.samplesPerSec << " " << format.channels;
}

} // namespace
} // namespace corvane
