#include "broadcast/StreamEncoder.h"
#include "broadcast/StreamQueue.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string_view>

namespace corvane::testing {
namespace {

std::vector<int16_t> Tone(size_t frames, int channels) {
    std::vector<int16_t> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(double(i / static_cast<size_t>(channels)) * 0.06));
    return samples;
}

bool Contains(const std::vector<uint8_t>& bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

// Each format makes its own kind of stream from the air; the Ogg formats
// carry the title in the comments of the stream they chain on, MP3 leaves it
// to the server.
TEST(StreamEncoder, EachFormatEncodesTheAirAndOggCarriesTheTitle) {
    const struct {
        const char* format;
        PcmFormat pcm;
        bool ogg;
    } cases[] = {{"mp3", {44100, 2}, false},
                 {"MP3", {22050, 1}, false},
                 {"opus", {44100, 2}, true},
                 {"vorbis", {44100, 2}, true},
                 {"Vorbis", {48000, 1}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        auto encoder = MakeStreamEncoder(c.format, c.pcm, 96, "First Song");
        EXPECT_EQ(encoder->CarriesTitle(), c.ogg);
        const std::vector<int16_t> second = Tone(c.pcm.samplesPerSec, c.pcm.channels);
        std::vector<uint8_t> out;
        for (int i = 0; i < 2; ++i)
            encoder->Encode(second.data(), c.pcm.samplesPerSec, out);
        ASSERT_GT(out.size(), 4000u) << "two seconds at 96 kbit/s";
        if (c.ogg) {
            EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(out.data()), 4), "OggS");
            EXPECT_TRUE(Contains(out, "TITLE=First Song"));
            out.clear();
            encoder->SetTitle("Second Song", out);
            encoder->Encode(second.data(), c.pcm.samplesPerSec, out);
            EXPECT_TRUE(Contains(out, "TITLE=Second Song"));
        } else {
            EXPECT_EQ(out[0], 0xFF);
            EXPECT_EQ(out[1] & 0xE0, 0xE0) << "an MPEG frame's sync";
        }
    }
    EXPECT_THROW(MakeStreamEncoder("aac", {44100, 2}, 128, ""), EStreamEncoderError);
}

// A full queue drops its oldest audio, counts it once, and hands out the
// newest in order; a block larger than the queue keeps its newest end.
TEST(StreamQueue, WhenFullTheOldestAudioGoesAndIsCounted) {
    StreamQueue queue(3000);
    std::vector<int16_t> block(2000);
    for (int16_t n = 1; n <= 4; ++n) {
        std::fill(block.begin(), block.end(), n);
        queue.Push(block.data(), 1000, {44100, 2});
    }
    EXPECT_EQ(queue.TakeDroppedFrames(), 1000u);
    EXPECT_EQ(queue.TakeDroppedFrames(), 0u);
    for (int16_t n = 2; n <= 4; ++n) {
        const auto got = queue.Pop(std::chrono::milliseconds(0));
        ASSERT_TRUE(got);
        EXPECT_EQ(got->samples.front(), n);
        queue.Done();
    }
    EXPECT_FALSE(queue.Pop(std::chrono::milliseconds(0)));
    EXPECT_TRUE(queue.WaitIdle(std::chrono::milliseconds(0)));

    std::vector<int16_t> huge(2 * 5000);
    huge.back() = 7;
    queue.Push(huge.data(), 5000, {44100, 2});
    EXPECT_EQ(queue.TakeDroppedFrames(), 2000u);
    EXPECT_EQ(queue.Pop(std::chrono::milliseconds(0))->samples.back(), 7);
}

} // namespace
} // namespace corvane::testing
