#include "audio/platform/MpegDecoder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvane {
namespace {

std::string Fixture(const std::string& name) {
    const char* root = std::getenv("CORVANE_TEST_DATA");
    return std::string(root != nullptr ? root : CORVANE_SOURCE_FIXTURES) + "/audio/" + name;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> DecodeAll(MpegDecoder& decoder) {
    std::vector<int16_t> samples;
    std::vector<uint8_t> buffer(4096);
    for (;;) {
        const int64_t n = decoder.Read(buffer.data(), buffer.size());
        EXPECT_GE(n, 0) << MpegDecoder::ErrorText(static_cast<int>(-n));
        if (n <= 0)
            break;
        for (int64_t i = 0; i + 1 < n; i += 2)
            samples.push_back(static_cast<int16_t>(buffer[static_cast<size_t>(i)] |
                                                   buffer[static_cast<size_t>(i) + 1] << 8));
    }
    return samples;
}

struct FixtureFacts {
    const char* file;
    int version;
    int sampleRate;
    int channels;
    int64_t samples;
    int32_t timeMs;
};

class MpegFixtures : public ::testing::TestWithParam<FixtureFacts> {};

TEST_P(MpegFixtures, LengthIsExactAndDecodingDeliversIt) {
    const FixtureFacts& f = GetParam();
    MpegDecoder decoder;
    ASSERT_EQ(decoder.SetFileName(Fixture(f.file)), MpegOk);
    const MpegFileInfo& info = decoder.Info();
    EXPECT_EQ(info.version, f.version);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.sampleRate, f.sampleRate);
    EXPECT_EQ(info.playbackRate, f.sampleRate);
    EXPECT_EQ(info.samples, f.samples);
    EXPECT_EQ(info.timeMs, f.timeMs);
    EXPECT_NEAR(info.frameDurationMs, (f.version == 1 ? 1152.0 : 576.0) * 1000 / f.sampleRate, 1e-9);
    EXPECT_EQ(decoder.Channels(), f.channels);
    ASSERT_EQ(decoder.Open(), MpegOk);
    const auto samples = DecodeAll(decoder);
    EXPECT_TRUE(decoder.Done());
    EXPECT_EQ(static_cast<int64_t>(samples.size()), f.samples * f.channels);
}

TEST_P(MpegFixtures, SeeksAreSampleExact) {
    const FixtureFacts& f = GetParam();
    MpegDecoder decoder;
    ASSERT_EQ(decoder.SetFileName(Fixture(f.file)), MpegOk);
    ASSERT_EQ(decoder.Open(), MpegOk);
    const auto whole = DecodeAll(decoder);
    // Every 1009th sample crosses frame borders at many offsets, VBR frames of
    // every size among them, and the last 100 samples.
    std::vector<int64_t> points = {f.samples - 100};
    for (int64_t at = 0; at < f.samples - 100; at += 1009)
        points.push_back(at);
    for (const int64_t at : points) {
        ASSERT_EQ(decoder.SetSamplePosition(at), MpegOk);
        EXPECT_EQ(decoder.SamplePosition(), at);
        std::vector<uint8_t> buffer(static_cast<size_t>(100 * 2 * f.channels));
        ASSERT_EQ(decoder.Read(buffer.data(), buffer.size()), static_cast<int64_t>(buffer.size()));
        // The synthesis filter may round a sample the other way after a seek;
        // a sample off by one position would differ by hundreds.
        for (size_t i = 0; i < buffer.size() / 2; ++i)
            ASSERT_NEAR(static_cast<int16_t>(buffer[2 * i] | buffer[2 * i + 1] << 8),
                        whole[static_cast<size_t>(at * f.channels) + i], 1)
                << "seek to " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MpegFixtures,
                         ::testing::Values(FixtureFacts{"tone-cbr.mp3", 1, 44100, 2, 30870, 700},
                                           FixtureFacts{"tone-vbr.mp3", 1, 44100, 1, 48510, 1100},
                                           FixtureFacts{"tone-lsf.mp3", 0, 22050, 1, 11025, 500},
                                           FixtureFacts{"tone-free.mp3", 1, 44100, 1, 22050, 500}),
                         [](const auto& info) { return std::string(info.param.file).substr(5, 3); });

// Free-format frames name no bit rate; the file's average stands for it.
TEST(MpegDecoder, FreeFormatHasItsAverageBitRate) {
    MpegDecoder decoder;
    ASSERT_EQ(decoder.SetFileName(Fixture("tone-free.mp3")), MpegOk);
    EXPECT_GE(decoder.Info().bitRate, 100);
    EXPECT_LE(decoder.Info().bitRate, 120);
}

TEST(MpegDecoder, KeepsTheId3v1BlockAsStored) {
    MpegDecoder decoder;
    ASSERT_EQ(decoder.SetFileName(Fixture("tone-cbr.mp3")), MpegOk);
    const auto bytes = ReadBytes(Fixture("tone-cbr.mp3"));
    EXPECT_TRUE(std::equal(decoder.Info().id3v1.begin(), decoder.Info().id3v1.end(), bytes.end() - 128));
    ASSERT_EQ(decoder.SetFileName(Fixture("tone-vbr.mp3")), MpegOk);
    EXPECT_EQ(decoder.Info().id3v1, (std::array<uint8_t, 128>{}));
}

TEST(MpegDecoder, RefusesWhatIsNotMpegAudio) {
    std::mt19937 random(7);
    std::vector<uint8_t> noise(200000);
    for (auto& b : noise)
        b = static_cast<uint8_t>(random());
    const std::string text = "This is a text file, not audio at all.\n";
    // The start of a JPEG picture: markers are 0xFF followed by bytes that look
    // like the top of a frame header.
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J',
                                 'F',  'I',  'F',  0x00, 0xFF, 0xFB, 0x90};
    jpeg.resize(5000, 0xFF);
    // 16-bit PCM of -1 and 0: "FF FF 00 00" again and again reads as
    // free-format layer I headers four bytes apart.
    std::vector<uint8_t> quietPcm;
    for (int i = 0; i < 4000; ++i)
        quietPcm.insert(quietPcm.end(),
                        {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00});
    const std::vector<std::vector<uint8_t>> inputs = {noise, {text.begin(), text.end()}, jpeg, quietPcm,
                                                      {},    {0xFF, 0xFB, 0x90, 0x64}};
    for (const auto& input : inputs) {
        MpegDecoder decoder;
        EXPECT_EQ(decoder.SetMemory(input), MpegNotMpegAudio) << input.size();
        EXPECT_TRUE(decoder.Empty());
    }
    MpegDecoder decoder;
    EXPECT_EQ(decoder.SetFileName(Fixture("no-such-file.mp3")), MpegCannotOpenFile);
}

TEST(MpegDecoder, PlaysMpegAudioInsideAWaveFile) {
    const auto mp3 = ReadBytes(Fixture("tone-lsf.mp3"));
    // RIFF, an MPEG Layer-3 "fmt " (tag 0x55) and the MP3 as "data".
    std::vector<uint8_t> wave = {'R',  'I',  'F', 'F', 0, 0, 0,    0, 'W', 'A', 'V',  'E',  'f', 'm',
                                 't',  ' ',  16,  0,   0, 0, 0x55, 0, 1,   0,   0x22, 0x56, 0,   0,
                                 0x40, 0x1F, 0,   0,   1, 0, 0,    0, 'd', 'a', 't',  'a'};
    for (int i = 0; i < 4; ++i)
        wave.push_back(static_cast<uint8_t>(mp3.size() >> (8 * i)));
    wave.insert(wave.end(), mp3.begin(), mp3.end());
    MpegDecoder decoder;
    ASSERT_EQ(decoder.SetMemory(wave), MpegOk);
    EXPECT_EQ(decoder.Info().samples, 11025);
    ASSERT_EQ(decoder.Open(), MpegOk);
    EXPECT_EQ(DecodeAll(decoder).size(), 11025u);
}

TEST(MpegDecoder, DamagedFilesEndGracefully) {
    const auto bytes = ReadBytes(Fixture("tone-cbr.mp3"));
    // Cut in the middle of a frame.
    const std::vector<uint8_t> cut(bytes.begin(),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2 + 77));
    // Garbage in the middle.
    std::vector<uint8_t> spliced(bytes.begin(), bytes.begin() + 4000);
    for (int i = 0; i < 3000; ++i)
        spliced.push_back(static_cast<uint8_t>(i * 37 + 11));
    spliced.insert(spliced.end(), bytes.begin() + 4000, bytes.end());
    for (const std::vector<uint8_t>* input : {&cut, const_cast<const std::vector<uint8_t>*>(&spliced)}) {
        MpegDecoder decoder;
        ASSERT_EQ(decoder.SetMemory(*input), MpegOk);
        ASSERT_EQ(decoder.Open(), MpegOk);
        const auto samples = DecodeAll(decoder);
        EXPECT_TRUE(decoder.Done());
        EXPECT_GT(samples.size(), 0u);
        EXPECT_LE(static_cast<int64_t>(samples.size()), decoder.Info().samples * 2 + 2 * 1152);
    }
}

// A file is read ahead in blocks; one much larger than a block, behind an
// ID3v2 tag larger than a block, must read exactly as its bytes in memory.
TEST(MpegDecoder, ALargeFileReadsAsItsBytesInMemory) {
    const auto cbr = ReadBytes(Fixture("tone-cbr.mp3"));
    const std::vector<uint8_t> trailer(cbr.end() - 128, cbr.end());
    // The audio frames after the Info frame (128 kbit/s, 417 or 418 bytes each).
    const size_t info = 417;
    const std::vector<uint8_t> audio(cbr.begin() + info, cbr.end() - 128);
    constexpr uint32_t TagBody = 100'000;
    std::vector<uint8_t> bytes = {'I', 'D', '3', 3, 0, 0};
    for (const int shift : {21, 14, 7, 0})
        bytes.push_back(static_cast<uint8_t>((TagBody >> shift) & 0x7F));
    bytes.resize(bytes.size() + TagBody, 0);
    bytes.insert(bytes.end(), cbr.begin(), cbr.begin() + info);
    for (int i = 0; i < 40; ++i)
        bytes.insert(bytes.end(), audio.begin(), audio.end());
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    std::string path = (std::filesystem::temp_directory_path() / "corvane-mpeg-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    ASSERT_GE(fd, 0);
    ::close(fd);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    MpegDecoder file, memory;
    ASSERT_EQ(file.SetFileName(path), MpegOk);
    ASSERT_EQ(memory.SetMemory(bytes), MpegOk);
    EXPECT_EQ(file.Info().frames, memory.Info().frames);
    EXPECT_GT(file.Info().frames, 1000);
    EXPECT_EQ(file.Info().samples, memory.Info().samples);
    EXPECT_EQ(file.Info().bitRate, memory.Info().bitRate);
    EXPECT_EQ(file.Info().id3v1, memory.Info().id3v1);
    ASSERT_EQ(file.Open(), MpegOk);
    ASSERT_EQ(memory.Open(), MpegOk);
    EXPECT_EQ(DecodeAll(file), DecodeAll(memory));
    for (const int64_t at :
         {int64_t{0}, memory.Info().samples / 3, memory.Info().samples - 5000, int64_t{77}}) {
        ASSERT_EQ(file.SetSamplePosition(at), MpegOk);
        ASSERT_EQ(memory.SetSamplePosition(at), MpegOk);
        std::vector<uint8_t> a(4000), b(4000);
        EXPECT_EQ(file.Read(a.data(), a.size()), memory.Read(b.data(), b.size()));
        EXPECT_EQ(a, b) << at;
    }
    std::filesystem::remove(path);
}

TEST(MpegDecoder, ChannelModesAndFramePositions) {
    MpegDecoder decoder;
    ASSERT_EQ(decoder.SetFileName(Fixture("tone-cbr.mp3")), MpegOk);
    ASSERT_EQ(decoder.SetChannelMode(MpegChannelMode::Left), MpegOk);
    EXPECT_EQ(decoder.Channels(), 1);
    ASSERT_EQ(decoder.Open(), MpegOk);
    EXPECT_EQ(decoder.SetChannelMode(MpegChannelMode::Both), MpegFileIsOpen);
    EXPECT_EQ(static_cast<int64_t>(DecodeAll(decoder).size()), decoder.Info().samples);
    ASSERT_EQ(decoder.SetFramePosition(10), MpegOk);
    EXPECT_EQ(decoder.FramePosition(), 10);
    EXPECT_FALSE(decoder.Done());
    EXPECT_EQ(decoder.Info().frames, 28);
}

} // namespace
} // namespace corvane
