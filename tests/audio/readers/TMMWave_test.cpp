#include "WaveBuilder.h"
#include "audio/chain/EMMError.h"
#include "audio/readers/TMMWave.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::WaveBuilder;

constexpr int Frames = 44117;

// Frame i holds i in its two samples (low and high part), so any byte of the
// data tells where it came from.
std::vector<uint8_t> Counting(int frames) {
    std::vector<int16_t> s;
    for (int i = 0; i < frames; ++i) {
        s.push_back(static_cast<int16_t>(i % 30000));
        s.push_back(static_cast<int16_t>(i / 30000));
    }
    return test::Pcm16(s);
}

int FrameAt(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | p[1] << 8) + 30000 * static_cast<int16_t>(p[2] | p[3] << 8);
}

std::string CountingFile() {
    return WaveBuilder().Format(PcmWaveFormat(16, 2, 44100)).Data(Counting(Frames)).Write("counting.wav");
}

TEST(TMMWave, LengthsInEveryTimeFormat) {
    TMMWave wave;
    wave.SetFileName(CountingFile());
    EXPECT_EQ(wave.DataSize(), Frames);
    wave.SetTimeFormat(TMMTimeFormats::tfMillisecond);
    EXPECT_EQ(wave.DataSize(), 1000); // 1000.39 ms
    wave.SetTimeFormat(TMMTimeFormats::tfByte);
    EXPECT_EQ(wave.DataSize(), Frames * 4);
    EXPECT_EQ(wave.FormatString(), "PCM");
    EXPECT_EQ(wave.FormatDescription(), "44.100 kHz, 16 Bit, Stereo");
    EXPECT_EQ(wave.Channels(), 2);
    EXPECT_EQ(wave.BitLength(), 16);
    EXPECT_EQ(wave.FileName(), std::filesystem::path(wave.FileName()).lexically_normal().string());
    EXPECT_TRUE(std::filesystem::path(wave.FileName()).is_absolute());
    wave.SetFileName("");
    EXPECT_EQ(wave.FormatString(), "Unknown");
    EXPECT_EQ(wave.DataSize(), 0);
}

TEST(TMMWave, SeeksAreSampleExact) {
    TMMWave wave;
    wave.SetTimeFormat(TMMTimeFormats::tfMillisecond);
    wave.SetFileName(CountingFile());
    wave.OpenFile();
    const std::pair<int64_t, int> cases[] = {{0, 0}, {1, 44}, {500, 22050}, {999, 44056}, {-5, 0}};
    for (const auto& [ms, frame] : cases) {
        wave.SetPosition(ms);
        EXPECT_EQ(wave.SamplePosition(), frame);
        uint8_t bytes[8];
        ASSERT_EQ(wave.Read(bytes, 8), 8);
        EXPECT_EQ(FrameAt(bytes), frame) << ms;
        EXPECT_EQ(FrameAt(bytes + 4), frame + 1);
    }
    // Beyond the end: at the end, nothing more to read.
    wave.SetPosition(5000);
    EXPECT_EQ(wave.SamplePosition(), Frames);
    uint8_t byte[4];
    EXPECT_EQ(wave.Read(byte, 4), 0);
    EXPECT_TRUE(wave.EndOfData());
    // Reading runs to the last frame and no further; a partial frame is not read.
    wave.SetSamplePosition(Frames - 2);
    std::vector<uint8_t> tail(11);
    EXPECT_EQ(wave.Read(tail.data(), tail.size()), 8);
    EXPECT_EQ(FrameAt(&tail[4]), Frames - 1);
}

TEST(TMMWave, CompressedPositionsLandOnBlocks) {
    WaveFormat ima;
    ima.formatTag = 0x11;
    ima.channels = 1;
    ima.samplesPerSec = 22050;
    ima.blockAlign = 256;
    ima.avgBytesPerSec = 11100;
    ima.bitsPerSample = 4;
    TMMWave wave;
    wave.SetFileName(
        WaveBuilder().Format(ima).Data(std::vector<uint8_t>(256 * 10 + 100, 0)).Write("ima.wav"));
    EXPECT_EQ(wave.SampleCount(), 505 * 10); // whole blocks only
    wave.SetSamplePosition(600);
    EXPECT_EQ(wave.SamplePosition(), 1010);
}

TEST(TMMWave, LoadingErrors) {
    TMMWave wave;
    try {
        wave.SetFileName("/nonexistent/missing.wav");
        ADD_FAILURE();
    } catch (const EMMWaveError& e) {
        EXPECT_STREQ(e.what(), "Error reading wave file");
    }
    EXPECT_EQ(wave.FileName(), "");
    try {
        wave.SetFileName(WaveBuilder::WriteBytes("text.wav", std::vector<uint8_t>(64, 'a')));
        ADD_FAILURE();
    } catch (const EMMWaveError& e) {
        EXPECT_STREQ(e.what(), "Invalid wave file...");
    }
    EXPECT_TRUE(wave.Empty());
    wave.SetFileMustExist(false);
    EXPECT_NO_THROW(wave.SetFileName("/tmp/corvane-readers-not-yet.wav"));
    EXPECT_TRUE(wave.Empty());
    EXPECT_EQ(wave.FileName(), "/tmp/corvane-readers-not-yet.wav");
}

TEST(TMMWave, WritesAndAppends) {
    const std::string path = WaveBuilder::WriteBytes("written.wav", {});
    std::filesystem::remove(path);
    const WaveFormat format = PcmWaveFormat(16, 2, 44100);
    const auto first = Counting(1000);
    TMMWave wave;
    wave.SetFileMustExist(false);
    wave.SetFileName(path);
    wave.CreateFile(format, WaveWriteMode::Overwrite);
    wave.Write(first.data(), first.size());
    wave.CloseFile();
    EXPECT_EQ(wave.SampleCount(), 1000);
    wave.CreateFile(format, WaveWriteMode::Append);
    wave.Write(first.data(), 400);
    wave.CloseFile();
    EXPECT_EQ(wave.SampleCount(), 1100);
    EXPECT_EQ(std::filesystem::file_size(path), 46u + 4400); // an 18-byte "fmt " chunk
    // Appending in another format would spoil the file: refused, file kept.
    try {
        wave.CreateFile(PcmWaveFormat(8, 1, 8000), WaveWriteMode::Append);
        ADD_FAILURE();
    } catch (const EMMWaveError& e) {
        EXPECT_STREQ(e.what(), "Unable to create wave file");
    }
    TMMWave check;
    check.SetFileName(path);
    EXPECT_EQ(check.SampleCount(), 1100);
    check.OpenFile();
    std::vector<uint8_t> back(4400);
    ASSERT_EQ(check.Read(back.data(), back.size()), 4400);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), back.begin()));
    EXPECT_EQ(FrameAt(&back[4000]), 0);
}

// An RF64 file plays; its sizes live in "ds64", which the writer does not
// keep, so adding to it is refused and the file stays as it was.
TEST(TMMWave, Rf64PlaysButIsNotAppendedTo) {
    const auto samples = Counting(1000);
    const std::string path = WaveBuilder()
                                 .Form("RF64")
                                 .RiffSize(0xFFFFFFFF)
                                 .Ds64(4 + 36 + 8 + 16 + 8 + 4000, 4000, 1000)
                                 .Format(PcmWaveFormat(16, 2, 44100))
                                 .ChunkClaiming("data", 0xFFFFFFFF, samples)
                                 .Write("long.rf64.wav");
    const auto size = std::filesystem::file_size(path);
    TMMWave wave;
    wave.SetFileName(path);
    EXPECT_EQ(wave.SampleCount(), 1000);
    wave.OpenFile();
    std::vector<uint8_t> back(4000);
    ASSERT_EQ(wave.Read(back.data(), back.size()), 4000);
    EXPECT_EQ(FrameAt(&back[3996]), 999);
    wave.CloseFile();
    EXPECT_THROW(wave.CreateFile(PcmWaveFormat(16, 2, 44100), WaveWriteMode::Append), EMMWaveError);
    EXPECT_EQ(std::filesystem::file_size(path), size);
}

} // namespace
} // namespace corvane
