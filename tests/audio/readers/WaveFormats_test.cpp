#include "AdpcmTestEncoders.h"
#include "ReaderChain.h"
#include "audio/chain/EMMError.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::PutLE;
using test::Tone;
using test::Tone16;
using test::WaveBuilder;

constexpr int Frames = 4410;

WaveFormat Record(uint16_t tag, int channels, int rate, int blockAlign, int bits,
                  std::vector<uint8_t> extra = {}) {
    WaveFormat f;
    f.formatTag = tag;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = static_cast<uint32_t>(rate);
    f.blockAlign = static_cast<uint16_t>(blockAlign);
    f.avgBytesPerSec = static_cast<uint32_t>(rate) * static_cast<uint32_t>(blockAlign);
    f.bitsPerSample = static_cast<uint16_t>(bits);
    f.extra = std::move(extra);
    return f;
}

std::vector<uint8_t> Extensible(int validBits, uint32_t mask, uint16_t subFormat) {
    std::vector<uint8_t> e;
    PutLE(e, validBits, 2);
    PutLE(e, mask, 4);
    PutLE(e, subFormat, 2);
    e.insert(e.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    return e;
}

std::vector<uint8_t> MsAdpcmExtra(int samplesPerBlock) {
    std::vector<uint8_t> e;
    PutLE(e, samplesPerBlock, 2);
    PutLE(e, 7, 2);
    for (const auto& [c1, c2] :
         {std::pair{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}) {
        PutLE(e, c1, 2);
        PutLE(e, c2, 2);
    }
    return e;
}

std::vector<std::vector<int16_t>> ToneChannels(int channels, int rate) {
    std::vector<std::vector<int16_t>> out(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < Frames; ++i)
            out[static_cast<size_t>(c)].push_back(Tone16(i, channels == 1 ? 0 : c, rate));
    return out;
}

// Uncompressed samples of `bytes` bytes: integers (8-bit unsigned), or floats.
std::vector<uint8_t> Linear(int channels, int rate, int bytes, bool isFloat) {
    std::vector<uint8_t> out;
    for (int i = 0; i < Frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double v = Tone(i, channels == 1 ? 0 : c, rate);
            if (isFloat && bytes == 4) {
                const float f = static_cast<float>(v);
                uint32_t u;
                std::memcpy(&u, &f, 4);
                PutLE(out, u, 4);
            } else if (isFloat) {
                uint64_t u;
                std::memcpy(&u, &v, 8);
                PutLE(out, static_cast<int64_t>(u), 8);
            } else if (bytes == 1) {
                out.push_back(static_cast<uint8_t>(std::lrint(v * 127) + 128));
            } else {
                PutLE(out, std::llrint(v * (std::pow(2.0, 8 * bytes - 1) - 1)), bytes);
            }
        }
    return out;
}

std::vector<uint8_t> G711(int channels, int rate, int16_t (*decode)(uint8_t)) {
    std::vector<uint8_t> out;
    for (int i = 0; i < Frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double v = Tone(i, c, rate) * 32768;
            int best = 0;
            for (int k = 1; k < 256; ++k)
                if (std::abs(decode(static_cast<uint8_t>(k)) - v) <
                    std::abs(decode(static_cast<uint8_t>(best)) - v))
                    best = k;
            out.push_back(static_cast<uint8_t>(best));
        }
    return out;
}

struct FormatCase {
    const char* name;
    WaveFormat format;
    std::vector<uint8_t> data;
    int outChannels, outRate, outBits;
    double maxError, rmsError; // in 16-bit steps
};

std::vector<FormatCase> Cases() {
    const auto mono = ToneChannels(1, 44100);
    const auto stereo = ToneChannels(2, 44100);
    const WaveFormat tag51 = Record(0x33, 1, 44100, 1, 4);
    const WaveFormat tag518 = Record(0x206, 1, 44100, 1, 4);
    const WaveFormat tag3 = Record(3, 1, 44100, 1, 4);
    return {
        {"Pcm8Mono", Record(1, 1, 44100, 1, 8), Linear(1, 44100, 1, false), 1, 44100, 8, 1.5, 1},
        {"Pcm16Stereo", Record(1, 2, 44100, 4, 16), Linear(2, 44100, 2, false), 2, 44100, 16, 0.5, 0.5},
        {"Pcm24Stereo", Record(1, 2, 48000, 6, 24), Linear(2, 48000, 3, false), 2, 48000, 16, 1, 1},
        {"Pcm32Stereo", Record(1, 2, 44100, 8, 32), Linear(2, 44100, 4, false), 2, 44100, 16, 1, 1},
        {"Float32", Record(3, 2, 44100, 8, 32), Linear(2, 44100, 4, true), 2, 44100, 16, 1, 1},
        {"Float64", Record(3, 2, 44100, 16, 64), Linear(2, 44100, 8, true), 2, 44100, 16, 1, 1},
        {"ALaw", Record(6, 2, 44100, 2, 8), G711(2, 44100, DecodeALaw), 2, 44100, 16, 520, 200},
        {"MuLaw", Record(7, 2, 44100, 2, 8), G711(2, 44100, DecodeMuLaw), 2, 44100, 16, 520, 200},
        {"ExtensiblePcm24", Record(0xFFFE, 2, 44100, 6, 24, Extensible(24, 3, 1)), Linear(2, 44100, 3, false),
         2, 44100, 16, 1, 1},
        {"ExtensibleFloat", Record(0xFFFE, 2, 44100, 8, 32, Extensible(32, 3, 3)), Linear(2, 44100, 4, true),
         2, 44100, 16, 1, 1},
        {"ImaAdpcmMono", Record(0x11, 1, 44100, 256, 4), test::EncodeIma(mono, 256), 1, 44100, 16, 1500, 500},
        {"ImaAdpcmStereo", Record(0x11, 2, 44100, 512, 4), test::EncodeIma(stereo, 512), 2, 44100, 16, 1500,
         500},
        {"MsAdpcmMono", Record(2, 1, 44100, 256, 4, MsAdpcmExtra(500)), test::EncodeMsAdpcm(mono, 256), 1,
         44100, 16, 1500, 500},
        {"MsAdpcmStereo", Record(2, 2, 44100, 512, 4, MsAdpcmExtra(500)), test::EncodeMsAdpcm(stereo, 512), 2,
         44100, 16, 1500, 500},
        {"AntexAdpcme", tag51, test::EncodeNibbles(tag51, mono[0]), 1, 44100, 16, 1500, 500},
        {"AntexDviOki", tag518, test::EncodeNibbles(tag518, mono[0]), 1, 44100, 16, 1500, 500},
        {"MediavisionAdpcm", tag3, test::EncodeNibbles(tag3, mono[0]), 1, 44100, 16, 1500, 500},
    };
}

class WaveFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(WaveFormats, ToneComesOutAsTheSameTone) {
    const FormatCase& c = GetParam();
    test::ReaderChain chain;
    chain.Load(WaveBuilder().Format(c.format).Data(c.data).Write(std::string(c.name) + ".wav"));
    const WaveFormat* out = chain.pcm.GetWaveFormat();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(*out, PcmWaveFormat(c.outBits, c.outChannels, c.outRate));
    chain.Start();
    const auto bytes = chain.PullAll();
    const int frame = out->blockAlign;
    // The blocks of compressed formats may leave a few frames of the tone out.
    const auto frames = static_cast<int64_t>(bytes.size()) / frame;
    EXPECT_LE(frames, Frames + 4);
    EXPECT_GE(frames, Frames - 600);
    double worst = 0, sum = 0;
    for (int64_t i = 0; i < std::min<int64_t>(frames, Frames); ++i)
        for (int ch = 0; ch < c.outChannels; ++ch) {
            const size_t at = static_cast<size_t>(i * frame + ch * (c.outBits / 8));
            const double got = c.outBits == 8 ? (bytes[at] - 128) * 256.0
                                              : static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
            const double error = std::abs(got - Tone(i, c.outChannels == 1 ? 0 : ch, c.outRate) * 32767);
            // ADPCM needs a few samples to adapt its step to the tone.
            if (i >= 32)
                worst = std::max(worst, error);
            sum += error * error;
        }
    EXPECT_LE(worst, c.outBits == 8 ? 300 : c.maxError);
    EXPECT_LE(std::sqrt(sum / static_cast<double>(frames * c.outChannels)),
              c.outBits == 8 ? 150 : c.rmsError + 1);
}

INSTANTIATE_TEST_SUITE_P(Supported, WaveFormats, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Files whose data decodes to nothing (no data, less than one block, a
// format extension with nothing behind it) end at once and quietly.
TEST(WaveFormats, CompressedDataThatDecodesToNothingEndsCleanly) {
    const struct {
        const char* name;
        WaveFormat format;
        std::vector<uint8_t> data;
    } cases[] = {
        {"ImaEmpty", Record(0x11, 1, 44100, 256, 4), {}},
        {"MsAdpcmEmpty", Record(2, 1, 44100, 256, 4, MsAdpcmExtra(500)), {}},
        {"MsAdpcmPartBlock", Record(2, 2, 44100, 512, 4, MsAdpcmExtra(500)), std::vector<uint8_t>(7, 0x11)},
        {"AntexEmpty", Record(0x33, 1, 44100, 1, 4), {}},
    };
    for (const auto& c : cases) {
        test::ReaderChain chain;
        chain.Load(WaveBuilder().Format(c.format).Data(c.data).Write(std::string(c.name) + ".wav"));
        chain.Start();
        EXPECT_LE(chain.PullAll().size(), 4u) << c.name;
    }
}

TEST(WaveFormatsMixing, SixChannelsAreMixedDownToStereo) {
    test::ReaderChain chain;
    chain.Load(
        WaveBuilder().Format(Record(1, 6, 44100, 12, 16)).Data(Linear(6, 44100, 2, false)).Write("51.wav"));
    ASSERT_EQ(*chain.pcm.GetWaveFormat(), PcmWaveFormat(16, 2, 44100));
    chain.Start();
    const auto bytes = chain.PullAll();
    ASSERT_EQ(bytes.size(), static_cast<size_t>(Frames) * 4);
    // Front left and right keep their sides, at the share the centre and
    // surround speakers leave them.
    const double share = 1.0 / (2 + 0.7071);
    for (int i = 0; i < Frames; i += 7) {
        EXPECT_NEAR(static_cast<int16_t>(bytes[4 * i] | bytes[4 * i + 1] << 8),
                    Tone(i, 0, 44100) * 32767 * share, 2);
        EXPECT_NEAR(static_cast<int16_t>(bytes[4 * i + 2] | bytes[4 * i + 3] << 8),
                    Tone(i, 1, 44100) * 32767 * share, 2);
    }
}

TEST(WaveFormatsMixing, HighRatesAreBroughtIntoRange) {
    test::ReaderChain chain;
    chain.Load(WaveBuilder()
                   .Format(Record(1, 2, 192000, 6, 24))
                   .Data(Linear(2, 192000, 3, false))
                   .Write("192k.wav"));
    ASSERT_EQ(*chain.pcm.GetWaveFormat(), PcmWaveFormat(16, 2, 96000));
    chain.Start();
    const auto bytes = chain.PullAll();
    EXPECT_NEAR(static_cast<double>(bytes.size()) / 4, Frames / 2.0, 2);
}

TEST(WaveFormatsMixing, UnconvertibleFormatsAreRefused) {
    for (const WaveFormat& f :
         {Record(0x31, 1, 8000, 65, 0), Record(1, 2, 2000, 4, 16), Record(0x55, 2, 44100, 1, 0)}) {
        test::ReaderChain chain;
        try {
            chain.Load(WaveBuilder().Format(f).Data(std::vector<uint8_t>(650, 0)).Write("refused.wav"));
            ADD_FAILURE() << "loaded tag " << f.formatTag;
        } catch (const EMMConverterError& e) {
            EXPECT_STREQ(e.what(), "Invalid WaveFormat");
        }
    }
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

TEST(WaveFormatsDamage, CompressedStreamsEndGracefully) {
    // Microsoft ADPCM, 40 blocks: a bad predictor in block 20 spoils the
    // second pull of 16 blocks, and the stream ends after the first.
    const auto mono = ToneChannels(1, 44100);
    std::vector<int16_t> longer;
    for (int i = 0; i < 5; ++i)
        longer.insert(longer.end(), mono[0].begin(), mono[0].end());
    auto blocks = test::EncodeMsAdpcm({longer}, 256);
    ASSERT_GE(blocks.size(), 40u * 256);
    blocks[20 * 256] = 9;
    test::ReaderChain chain;
    chain.Load(WaveBuilder()
                   .Format(Record(2, 1, 44100, 256, 4, MsAdpcmExtra(500)))
                   .Data(blocks)
                   .Write("badpred.wav"));
    chain.Start();
    EXPECT_EQ(chain.PullAll().size(), 16u * 500 * 2);

    // A block larger than the data: nothing to play, and the stream ends.
    test::ReaderChain huge;
    huge.Load(WaveBuilder()
                  .Format(Record(0x11, 1, 44100, 65532, 4))
                  .Data(std::vector<uint8_t>(1000, 0x11))
                  .Write("hugeblock.wav"));
    huge.Start();
    EXPECT_TRUE(huge.PullAll().empty());
}

TEST(WaveFormatsDamage, AdpcmWithoutCoefficientsCannotBeConverted) {
    test::ReaderChain chain;
    try {
        chain.Load(WaveBuilder()
                       .Format(Record(2, 1, 44100, 256, 4))
                       .Data(std::vector<uint8_t>(512, 0))
                       .Write("nocoef.wav"));
        ADD_FAILURE();
    } catch (const EMMADPCMError& e) {
        EXPECT_STREQ(e.what(), "Unable to convert to destination format");
    }
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

TEST(WaveFormatsAdpcm, EightBitOutputWhenAsked) {
    const WaveFormat tag51 = Record(0x33, 1, 22050, 1, 4);
    const auto tone = ToneChannels(1, 22050);
    test::ReaderChain chain;
    chain.adpcm.SetBitLength(TMMADPCMBits::b8Bit);
    chain.Load(WaveBuilder().Format(tag51).Data(test::EncodeNibbles(tag51, tone[0])).Write("adpcm8.wav"));
    ASSERT_EQ(*chain.pcm.GetWaveFormat(), PcmWaveFormat(8, 1, 22050));
    chain.Start();
    const auto bytes = chain.PullAll();
    ASSERT_EQ(bytes.size(), static_cast<size_t>(Frames));
    for (int i = 64; i < Frames; i += 5)
        EXPECT_NEAR((bytes[static_cast<size_t>(i)] - 128) * 256.0, Tone(i, 0, 22050) * 32767, 1500) << i;
}

} // namespace
} // namespace corvane
