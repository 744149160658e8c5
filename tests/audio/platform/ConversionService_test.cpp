#include "audio/platform/ConversionService.h"
#include "audio/platform/SampleDecoding.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace corvane {
namespace {

constexpr int Frames = 4410;

double Tone(int frame, int channel, int rate) {
    const double hz = channel == 0 ? 1000.0 : 500.0;
    return 0.5 * std::sin(2 * std::numbers::pi * hz * frame / rate);
}

// A wave format record in the file layout.
std::vector<uint8_t> Record(uint16_t tag, int channels, int rate, int blockAlign, int bits,
                            std::vector<uint8_t> extra = {}) {
    std::vector<uint8_t> r(18);
    auto put = [&r](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            r[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, tag, 2);
    put(2, static_cast<uint32_t>(channels), 2);
    put(4, static_cast<uint32_t>(rate), 4);
    put(8, static_cast<uint32_t>(rate * blockAlign), 4);
    put(12, static_cast<uint32_t>(blockAlign), 2);
    put(14, static_cast<uint32_t>(bits), 2);
    put(16, static_cast<uint32_t>(extra.size()), 2);
    r.insert(r.end(), extra.begin(), extra.end());
    return r;
}

std::vector<uint8_t> ExtensibleExtra(int validBits, uint32_t mask, uint16_t subFormat) {
    std::vector<uint8_t> e = {static_cast<uint8_t>(validBits),
                              0,
                              static_cast<uint8_t>(mask),
                              static_cast<uint8_t>(mask >> 8),
                              0,
                              0,
                              static_cast<uint8_t>(subFormat),
                              static_cast<uint8_t>(subFormat >> 8)};
    const uint8_t tail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    e.insert(e.end(), std::begin(tail), std::end(tail));
    return e;
}

// The G.711 code whose decoded value lies nearest to v.
uint8_t NearestCode(double v, int16_t (*decode)(uint8_t)) {
    int best = 0;
    for (int c = 1; c < 256; ++c)
        if (std::abs(decode(static_cast<uint8_t>(c)) - v) < std::abs(decode(static_cast<uint8_t>(best)) - v))
            best = c;
    return static_cast<uint8_t>(best);
}

enum class Coding { Int, Float, ALaw, MuLaw };

// Encodes the test tone: `channels` channels, the tone in the first two (the
// rest silent), with samples of `bytes` bytes.
std::vector<uint8_t> EncodeTone(Coding coding, int bytes, int channels, int rate) {
    std::vector<uint8_t> out;
    for (int i = 0; i < Frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double v = c < 2 ? Tone(i, channels == 1 ? 0 : c, rate) : 0.0;
            if (coding == Coding::ALaw || coding == Coding::MuLaw) {
                out.push_back(NearestCode(v * 32768, coding == Coding::ALaw ? DecodeALaw : DecodeMuLaw));
            } else if (coding == Coding::Float && bytes == 4) {
                const float f = static_cast<float>(v);
                const auto* p = reinterpret_cast<const uint8_t*>(&f);
                out.insert(out.end(), p, p + 4);
            } else if (coding == Coding::Float) {
                const auto* p = reinterpret_cast<const uint8_t*>(&v);
                out.insert(out.end(), p, p + 8);
            } else if (bytes == 1) {
                out.push_back(static_cast<uint8_t>(std::lrint(v * 127) + 128));
            } else {
                const auto s = static_cast<int64_t>(std::lrint(v * (std::pow(2.0, 8 * bytes - 1) - 1)));
                for (int b = 0; b < bytes; ++b)
                    out.push_back(static_cast<uint8_t>(s >> (8 * b)));
            }
        }
    }
    return out;
}

struct ToneCase {
    const char* name;
    std::vector<uint8_t> record;
    Coding coding;
    int bytes;
    double tolerance; // in 16-bit steps
};

class ToneThroughConversion : public ::testing::TestWithParam<ToneCase> {};

TEST_P(ToneThroughConversion, ComesOutAsTheSameToneIn16BitStereo) {
    const ToneCase& c = GetParam();
    const auto format = DescribeWaveFormat(c.record);
    ASSERT_TRUE(format) << c.name;
    const auto target = ConversionService::SuggestPcm(*format);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, MakePcmStreamFormat(16, 2, 44100));
    auto stream = ConversionService::Open(*format, *target, ConversionQuality::Low);
    ASSERT_TRUE(stream);
    const auto source = EncodeTone(c.coding, c.bytes, format->channels, 44100);
    std::vector<uint8_t> out;
    // Odd-sized pieces: the stream takes whole blocks and leaves the rest.
    size_t at = 0;
    while (at < source.size()) {
        const size_t piece = std::min<size_t>(source.size() - at, 1001);
        const size_t used = stream->Convert({source.data() + at, piece}, out, ConversionEnd::More);
        at += used;
        if (used == 0)
            at += piece; // a last partial block
    }
    ASSERT_EQ(out.size(), static_cast<size_t>(Frames) * 4);
    // More than two channels are mixed down: the tone's side gets a share of its weight.
    const double gain = format->channels == 6 ? 1.0 / (1 + 1 + 0.7071) : 1.0;
    for (int i = 0; i < Frames; ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            const auto s = static_cast<int16_t>(out[static_cast<size_t>(4 * i + 2 * ch)] |
                                                out[static_cast<size_t>(4 * i + 2 * ch + 1)] << 8);
            ASSERT_NEAR(s, Tone(i, ch, 44100) * 32767 * gain, c.tolerance) << c.name << " frame " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ToneThroughConversion,
    ::testing::Values(ToneCase{"Pcm24", Record(1, 2, 44100, 6, 24), Coding::Int, 3, 1.5},
                      ToneCase{"Pcm32", Record(1, 2, 44100, 8, 32), Coding::Int, 4, 1.5},
                      ToneCase{"Float32", Record(3, 2, 44100, 8, 32), Coding::Float, 4, 1.5},
                      ToneCase{"Float64", Record(3, 2, 44100, 16, 64), Coding::Float, 8, 1.5},
                      ToneCase{"ALaw", Record(6, 2, 44100, 2, 8), Coding::ALaw, 1, 520},
                      ToneCase{"MuLaw", Record(7, 2, 44100, 2, 8), Coding::MuLaw, 1, 520},
                      ToneCase{"ExtensiblePcm24", Record(0xFFFE, 2, 44100, 6, 24, ExtensibleExtra(24, 3, 1)),
                               Coding::Int, 3, 1.5},
                      ToneCase{"ExtensibleFloat", Record(0xFFFE, 2, 44100, 8, 32, ExtensibleExtra(32, 3, 3)),
                               Coding::Float, 4, 1.5},
                      // 5.1 with the tone on front left and right: centre and surround weigh in, silent.
                      ToneCase{"Pcm16FiveOne", Record(1, 6, 44100, 12, 16), Coding::Int, 2, 1.5},
                      // A header with a wrong block align still decodes by channels and bits.
                      ToneCase{"Pcm24WrongBlockAlign", Record(1, 2, 44100, 4, 24), Coding::Int, 3, 1.5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConversionService, RefusesRecordsItCannotDecode) {
    const std::vector<std::vector<uint8_t>> records = {
        Record(1, 0, 44100, 4, 16),                                    // no channels
        Record(1, 2, 0, 4, 16),                                        // no rate
        Record(0x2000, 2, 44100, 4, 16),                               // unknown tag
        Record(3, 2, 44100, 4, 16),                                    // 16-bit "float"
        Record(0x11, 1, 22050, 3, 4),                                  // block smaller than its header
        Record(0x11, 2, 22050, 12, 4),                                 // not whole groups of 8 samples
        Record(0xFFFE, 2, 44100, 4, 16, {1, 2, 3}),                    // extensible without its fields
        Record(0xFFFE, 2, 44100, 4, 16, ExtensibleExtra(16, 3, 0x55)), // MP3 inside extensible
        Record(1, 2, 44100, 4, 48),                                    // 48-bit PCM
        std::vector<uint8_t>(10, 1),                                   // short record
    };
    for (const auto& r : records)
        EXPECT_FALSE(DescribeWaveFormat(r));
}

TEST(ConversionService, ImaAdpcmDecodesKnownBlocks) {
    const auto format = DescribeWaveFormat(Record(0x11, 1, 8000, 8, 4));
    ASSERT_TRUE(format);
    EXPECT_EQ(format->samplesPerBlock, 9);
    // Header: predictor 0, index 0; codes 7 then seven 0s (low nibble first).
    const std::vector<uint8_t> block = {0, 0, 0, 0, 0x07, 0, 0, 0};
    std::vector<float> samples;
    DecodeSamples(*format, block, samples);
    EXPECT_EQ(samples, (std::vector<float>{0, 11, 13, 14, 15, 16, 17, 18, 19}));
    // A damaged step index is held to the table rather than read past it.
    const std::vector<uint8_t> damaged = {0x10, 0x00, 200, 0, 0x88, 0x88, 0x88, 0x88};
    samples.clear();
    DecodeSamples(*format, damaged, samples);
    ASSERT_EQ(samples.size(), 9u);
    EXPECT_EQ(samples[1], 16 - (32767 >> 3)); // code 8: step 32767, sign only
    const auto target = ConversionService::SuggestPcm(*format);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, MakePcmStreamFormat(16, 1, 8000));
}

TEST(ConversionService, G711DecodesTheTableValues) {
    EXPECT_EQ(DecodeALaw(0xD5), 8);
    EXPECT_EQ(DecodeALaw(0x55), -8);
    EXPECT_EQ(DecodeALaw(0xAA), 32256);
    EXPECT_EQ(DecodeMuLaw(0xFF), 0);
    EXPECT_EQ(DecodeMuLaw(0x80), 32124);
    EXPECT_EQ(DecodeMuLaw(0x00), -32124);
}

TEST(ConversionService, CodecsDecodeOnlyToTheirOwnRateAndChannels) {
    const auto ima = *DescribeWaveFormat(Record(0x11, 1, 22050, 36, 4));
    EXPECT_FALSE(ConversionService::SuggestPcm(ima, {.channels = 2, .sampleRate = 44100}));
    EXPECT_FALSE(ConversionService::CanConvert(ima, MakePcmStreamFormat(16, 2, 44100)));
    EXPECT_TRUE(ConversionService::CanConvert(ima, MakePcmStreamFormat(16, 1, 22050)));
    const auto pcm = MakePcmStreamFormat(16, 1, 22050);
    EXPECT_EQ(ConversionService::SuggestPcm(pcm, {.channels = 2, .sampleRate = 44100}),
              MakePcmStreamFormat(16, 2, 44100));
    EXPECT_FALSE(ConversionService::CanConvert(pcm, MakePcmStreamFormat(24, 2, 44100)));
    EXPECT_FALSE(ConversionService::Open(ima, MakePcmStreamFormat(16, 2, 44100), ConversionQuality::Low));
}

// Frequency by counting rising zero crossings over whole seconds; amplitude by RMS.
void ExpectTone(const std::vector<int16_t>& s, int stride, int rate, double hz, double amplitude) {
    int crossings = 0;
    double sum = 0;
    const size_t frames = s.size() / static_cast<size_t>(stride);
    const size_t from = frames / 10, to = frames - frames / 10;
    for (size_t i = from + 1; i < to; ++i) {
        const size_t a = (i - 1) * static_cast<size_t>(stride), b = i * static_cast<size_t>(stride);
        crossings += s[a] < 0 && s[b] >= 0;
        sum += double(s[b]) * s[b];
    }
    EXPECT_NEAR(crossings * double(rate) / static_cast<double>(to - from), hz, hz * 0.01);
    EXPECT_NEAR(std::sqrt(sum / static_cast<double>(to - from - 1)), amplitude / std::sqrt(2.0),
                amplitude * 0.01);
}

TEST(ConversionService, RateAndChannelChangeKeepsTheTone) {
    for (const auto quality : {ConversionQuality::Low, ConversionQuality::High}) {
        const auto source = MakePcmStreamFormat(16, 1, 22050);
        const auto target = MakePcmStreamFormat(16, 2, 44100);
        auto stream = ConversionService::Open(source, target, quality);
        ASSERT_TRUE(stream);
        std::vector<uint8_t> in;
        for (int i = 0; i < 22050; ++i) {
            const auto v =
                static_cast<int16_t>(std::lrint(16000 * std::sin(2 * std::numbers::pi * 1000 * i / 22050)));
            in.push_back(static_cast<uint8_t>(v));
            in.push_back(static_cast<uint8_t>(v >> 8));
        }
        std::vector<uint8_t> out;
        EXPECT_EQ(stream->Convert({in.data(), 20000}, out, ConversionEnd::More), 20000u);
        EXPECT_EQ(stream->Convert({in.data() + 20000, in.size() - 20000}, out, ConversionEnd::Final),
                  in.size() - 20000);
        // Flushed at the end: every input frame gives two output frames.
        EXPECT_EQ(out.size(), 44100u * 4);
        std::vector<int16_t> samples(out.size() / 2);
        std::memcpy(samples.data(), out.data(), out.size());
        for (size_t i = 0; i < samples.size(); i += 2)
            ASSERT_EQ(samples[i], samples[i + 1]);
        ExpectTone(samples, 2, 44100, 1000, 16000);
        stream->Reset();
        out.clear();
        stream->Convert(in, out, ConversionEnd::Final);
        EXPECT_EQ(out.size(), 44100u * 4);
    }
}

} // namespace
} // namespace corvane
