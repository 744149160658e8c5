#include "audio/readers/AdpcmDecoders.h"
#include "audio/readers/WaveFormatFacts.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

WaveFormat Nibbles(uint16_t tag, int channels) {
    WaveFormat f;
    f.formatTag = tag;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = 22050;
    f.blockAlign = static_cast<uint16_t>(channels);
    f.bitsPerSample = 4;
    return f;
}

std::vector<int16_t> Decode(uint16_t tag, int channels, const std::vector<uint8_t>& bytes) {
    auto decoder = NibbleAdpcmDecoder::Create(Nibbles(tag, channels));
    EXPECT_TRUE(decoder);
    std::vector<int16_t> out;
    decoder->Decode(bytes, out);
    return out;
}

// Worked by hand from the rules: code 7 at index 0 adds 15 x 7 / 8 = 13 and
// moves the index to 8 (step 16); code 0 there adds 16 / 8 = 2, index 7.
TEST(NibbleAdpcmDecoder, KnownVectors) {
    struct Case {
        uint16_t tag;
        int channels;
        std::vector<uint8_t> bytes;
        std::vector<int16_t> samples;
    };
    const std::vector<Case> cases = {
        {0x33, 1, {0x70}, {13, 15}},
        {0x206, 1, {0x70, 0xF8}, {13, 15, -11, -14}},
        {0x03, 1, {0x70}, {13, 15}},
        // Stereo Antex: bytes of each word swapped, high nibble left.
        {0x33, 2, {0x70, 0x07}, {0, 13, 13, 15}},
        // Stereo Mediavision: bytes in order, low nibble left.
        {0x03, 2, {0x70}, {0, 13}},
        // An odd last byte of a stereo Antex stream is left out.
        {0x33, 2, {0x70, 0x07, 0x77}, {0, 13, 13, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "tag " << c.tag << " channels " << c.channels);
        EXPECT_EQ(Decode(c.tag, c.channels, c.bytes), c.samples);
    }
}

TEST(NibbleAdpcmDecoder, AntexSaturatesAndMediavisionWraps) {
    const std::vector<uint8_t> rising(40, 0x77);
    const auto antex = Decode(0x33, 1, rising);
    const auto mediavision = Decode(0x03, 1, rising);
    EXPECT_EQ(antex.back(), 32767);
    EXPECT_TRUE(std::all_of(antex.begin(), antex.end(), [](int16_t s) { return s >= 0; }));
    // Past the top the 16-bit sum wraps to negative values.
    EXPECT_TRUE(std::any_of(mediavision.begin(), mediavision.end(), [](int16_t s) { return s < 0; }));
}

TEST(NibbleAdpcmDecoder, MediavisionTableRowsAsTheCodecHasThem) {
    const auto& t = NibbleAdpcmDecoder::MediavisionDeltas();
    EXPECT_EQ(t[0], (std::array<uint16_t, 8>{0, 2, 4, 6, 8, 10, 12, 13}));
    EXPECT_EQ(t[1], (std::array<uint16_t, 8>{1, 3, 5, 7, 9, 11, 13, 15}));
    EXPECT_EQ(t[88], (std::array<uint16_t, 8>{4096, 12288, 20479, 28671, 36863, 45055, 53246, 61438}));
}

TEST(NibbleAdpcmDecoder, StateCarriesOverAndResets) {
    auto decoder = NibbleAdpcmDecoder::Create(Nibbles(0x33, 1));
    std::vector<int16_t> out;
    const uint8_t byte = 0x70;
    decoder->Decode({&byte, 1}, out);
    decoder->Decode({&byte, 1}, out);
    // Index 7 (step 14): code 7 adds 15 x 14 / 8 = 26; index 15 (step 31): code 0 adds 3.
    EXPECT_EQ(out[2], 41);
    EXPECT_EQ(out[3], 44);
    decoder->Reset();
    out.clear();
    decoder->Decode({&byte, 1}, out);
    EXPECT_EQ(out, (std::vector<int16_t>{13, 15}));
}

WaveFormat MsFormat(int channels, int blockAlign, int coefficients) {
    WaveFormat f;
    f.formatTag = 2;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = 22050;
    f.blockAlign = static_cast<uint16_t>(blockAlign);
    f.bitsPerSample = 4;
    std::vector<uint8_t> e;
    const int perBlock = (blockAlign - 7 * channels) * 2 / channels + 2;
    e = {static_cast<uint8_t>(perBlock), static_cast<uint8_t>(perBlock >> 8),
         static_cast<uint8_t>(coefficients), 0};
    const int pairs[2][2] = {{256, 0}, {512, -256}};
    for (int i = 0; i < coefficients; ++i)
        for (const int v : pairs[i])
            e.insert(e.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
    f.extra = e;
    return f;
}

// Predictor 0 (256, 0): the prediction is the last sample. Delta 16,
// samples 100 (first) and 50 (second in the header, played first). Code 1
// adds 16; the delta stays 16 (230 x 16 / 256 is held at 16); code 2 adds 32.
TEST(MsAdpcmDecoder, KnownBlockAndBadPredictor) {
    const auto decoder = MsAdpcmDecoder::Create(MsFormat(1, 8, 2));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->SamplesPerBlock(), 4);
    const std::vector<uint8_t> block = {0, 16, 0, 100, 0, 50, 0, 0x12};
    std::vector<int16_t> out;
    EXPECT_TRUE(decoder->Decode(block, out));
    EXPECT_EQ(out, (std::vector<int16_t>{50, 100, 116, 148}));
    // Predictor 1 (512, -256) doubles the trend: 2 x 100 - 50 = 150, code -1 (0xF) takes 16.
    const std::vector<uint8_t> second = {1, 16, 0, 100, 0, 50, 0, 0xF0};
    out.clear();
    EXPECT_TRUE(decoder->Decode(second, out));
    EXPECT_EQ(out, (std::vector<int16_t>{50, 100, 134, 2 * 134 - 100}));
    // A predictor index beyond the coefficients spoils the whole pull.
    std::vector<uint8_t> pull = block;
    pull.insert(pull.end(), {2, 16, 0, 100, 0, 50, 0, 0x12});
    out.clear();
    EXPECT_FALSE(decoder->Decode(pull, out));
    EXPECT_TRUE(out.empty());
    // A last block header cut short is not decoded.
    out.clear();
    EXPECT_TRUE(decoder->Decode(std::vector<uint8_t>(block.begin(), block.begin() + 6), out));
    EXPECT_TRUE(out.empty());
}

TEST(MsAdpcmDecoder, RefusesFormatsItCannotDecode) {
    EXPECT_FALSE(MsAdpcmDecoder::Create(MsFormat(1, 8, 0)));
    EXPECT_FALSE(MsAdpcmDecoder::Create(MsFormat(1, 6, 1)));
    EXPECT_FALSE(MsAdpcmDecoder::Create(MsFormat(3, 64, 2)));
    WaveFormat noExtra = MsFormat(1, 8, 1);
    noExtra.extra.clear();
    EXPECT_FALSE(MsAdpcmDecoder::Create(noExtra));
}

} // namespace
} // namespace corvane
