#include "ReaderChain.h"
#include "WaveBuilder.h"
#include "audio/readers/TMMWaveFile.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::WaveBuilder;

struct Pull {
    std::vector<uint8_t> data;
    bool more = false;
    int32_t loopRestarted = 0;
};

Pull PullOnce(TMMDSPComponent& c, uint32_t length, int32_t looping = 0, int32_t loopCount = 0,
              int32_t* loopsLeft = nullptr) {
    std::vector<uint8_t> buffer(length, 0xAA);
    BufferHeader h;
    h.data = buffer.data();
    h.bufferLength = length;
    h.looping = looping;
    h.loopCount = loopCount;
    h.loopsLeft = loopsLeft != nullptr ? *loopsLeft : 0;
    Pull p;
    c.BufferLoad(&h, p.more);
    if (loopsLeft != nullptr)
        *loopsLeft = h.loopsLeft;
    p.data.assign(buffer.begin(), buffer.begin() + h.bytesFilled);
    p.loopRestarted = h.loopRestarted;
    return p;
}

void OpenAndStart(TMMDSPComponent& c) {
    c.Opened();
    c.Started();
}

TEST(TMMWaveFile, EndsWithFourBytesOfSilenceOnce) {
    TMMWaveFile reader;
    reader.SetFileName(
        WaveBuilder().Format(PcmWaveFormat(16, 2, 44100)).Data(test::Ramp16Stereo(10)).Write("ten.wav"));
    ASSERT_EQ(*reader.GetWaveFormat(), PcmWaveFormat(16, 2, 44100));
    OpenAndStart(reader);
    auto p = PullOnce(reader, 4096);
    EXPECT_EQ(p.data, test::Ramp16Stereo(10));
    EXPECT_TRUE(p.more);
    p = PullOnce(reader, 4096);
    EXPECT_EQ(p.data, std::vector<uint8_t>(4, 0));
    EXPECT_FALSE(p.more);
    p = PullOnce(reader, 4096);
    EXPECT_TRUE(p.data.empty());
    EXPECT_FALSE(p.more);
}

TEST(TMMWaveFile, EightBitSilenceAndDisabledReader) {
    TMMWaveFile reader;
    reader.SetFileName(WaveBuilder().Format(PcmWaveFormat(8, 1, 8000)).Data({}).Write("empty8.wav"));
    OpenAndStart(reader);
    auto p = PullOnce(reader, 64);
    EXPECT_EQ(p.data, std::vector<uint8_t>(4, 128));
    EXPECT_FALSE(p.more);
    reader.SetEnabled(false);
    p = PullOnce(reader, 64);
    EXPECT_EQ(p.data, std::vector<uint8_t>(64, 128));
    EXPECT_TRUE(p.more);
}

TEST(TMMWaveFile, LoopsSeamlesslyAsOftenAsAsked) {
    TMMWaveFile reader;
    reader.SetFileName(
        WaveBuilder().Format(PcmWaveFormat(16, 2, 44100)).Data(test::Ramp16Stereo(10)).Write("loop.wav"));
    OpenAndStart(reader);
    int32_t loopsLeft = 1;
    std::vector<uint8_t> all;
    int restarts = 0;
    for (int i = 0; i < 10; ++i) {
        const auto p = PullOnce(reader, 24, -1, 1, &loopsLeft);
        all.insert(all.end(), p.data.begin(), p.data.end());
        restarts += p.loopRestarted != 0;
        if (!p.more)
            break;
    }
    auto twice = test::Ramp16Stereo(10);
    const auto once = twice;
    twice.insert(twice.end(), once.begin(), once.end());
    twice.insert(twice.end(), 4, 0);
    EXPECT_EQ(all, twice);
    EXPECT_EQ(restarts, 1);
}

TEST(TMMWaveFile, PositionSurvivesCloseAndSeek) {
    TMMWaveFile reader;
    reader.Wave().SetTimeFormat(TMMTimeFormats::tfSample);
    reader.SetFileName(
        WaveBuilder().Format(PcmWaveFormat(16, 2, 44100)).Data(test::Ramp16Stereo(100)).Write("pos.wav"));
    reader.Seek(40);
    OpenAndStart(reader);
    auto p = PullOnce(reader, 8);
    EXPECT_EQ(p.data[0], 40);
    reader.Stopped();
    reader.Closed();
    EXPECT_EQ(reader.Position(), 42);
    OpenAndStart(reader);
    p = PullOnce(reader, 4);
    EXPECT_EQ(p.data[0], 42);
}

TEST(TMMWaveFile, WritesWhatItIsHandedWithAnInput) {
    const std::string path = WaveBuilder::WriteBytes("recorded.wav", {});
    std::filesystem::remove(path);
    TMMDSPComponent source("source", PublishedLinks::Output);
    const WaveFormat format = PcmWaveFormat(16, 1, 22050);
    source.SetWaveFormat(&format);
    TMMWaveFile writer;
    writer.Wave().SetFileMustExist(false);
    writer.SetFileName(path);
    writer.SetInput(&source);
    ASSERT_EQ(*writer.GetWaveFormat(), format);
    int opened = 0, closed = 0;
    writer.OnOpen = [&](TMMCustomWaveFile*) { ++opened; };
    writer.OnClose = [&](TMMCustomWaveFile*) { ++closed; };
    OpenAndStart(writer);
    std::vector<uint8_t> data = test::Pcm16({1, 2, 3, 4, 5, 6});
    BufferHeader h;
    h.data = data.data();
    h.bufferLength = static_cast<uint32_t>(data.size());
    writer.BufferReady(&h);
    writer.BufferReady(&h);
    writer.Stopped();
    writer.Closed();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 1);
    TMMWave check;
    check.SetFileName(path);
    EXPECT_EQ(check.SampleCount(), 12);
    EXPECT_EQ(*check.Format(), format);
}

} // namespace
} // namespace corvane
