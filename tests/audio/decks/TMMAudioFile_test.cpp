#include "DeckFixtures.h"
#include "audio/chain/EMMError.h"
#include "audio/decks/TMMAudioFile.h"
#include "audio/readers/WaveBuilder.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace corvane {
namespace {

using test::Fixture;
using test::Pull;
using test::ScratchFolder;
using test::WriteWave16;

class Deck : public ::testing::Test {
protected:
    void Play(TMMAudioFile& deck, int bufferSize = 4096) {
        deck.OpenChain(bufferSize);
        deck.StartChain();
    }
    ScratchFolder folder;
    TMMAudioFile deck{"mmAudio1"};
};

TEST_F(Deck, LoadingRules) {
    int changes = 0;
    deck.OnChange = [&](TMMCustomAudioFile*) { ++changes; };
    const std::string wav = folder.File("a.wav");
    WriteWave16(wav, 8000, 1, std::vector<int16_t>(8000, 100));

    deck.SetFileName(folder.File("missing.wav"));
    EXPECT_TRUE(deck.IsEmpty());
    EXPECT_EQ(deck.Duration(), 0);
    EXPECT_EQ(changes, 0);

    deck.SetFileName(wav);
    EXPECT_FALSE(deck.IsEmpty());
    EXPECT_EQ(deck.Duration(), 1000);
    EXPECT_EQ(deck.FileType(), TMMAudioFileType::ftWave);
    ASSERT_NE(deck.GetWaveFormat(), nullptr);
    EXPECT_EQ(*deck.GetWaveFormat(), PcmWaveFormat(16, 1, 8000));
    EXPECT_EQ(changes, 1);
    deck.SetFileName(deck.FileName());
    EXPECT_EQ(changes, 1) << "the same name reloads nothing";

    deck.SetFileName("");
    EXPECT_TRUE(deck.IsEmpty());
    EXPECT_EQ(deck.Duration(), 0);
    EXPECT_EQ(deck.GetWaveFormat(), nullptr);

    for (const std::string& content :
         {std::string("just some text, not audio at all\n"), std::string(5000, '\xFF'),
          std::string("RIFF\x04\x00\x00\x00WAVE", 12)}) {
        const std::string bad = folder.File("bad.mp3");
        std::ofstream(bad, std::ios::binary) << content;
        deck.SetFileName(wav);
        try {
            deck.SetFileName(bad);
            ADD_FAILURE() << "accepted: " << content.substr(0, 12);
        } catch (const EMMAudioError& e) {
            EXPECT_STREQ(e.what(), "This is not a valid Audiofile");
        }
        EXPECT_TRUE(deck.IsEmpty());
        EXPECT_EQ(deck.Duration(), 0);
    }
}

TEST_F(Deck, DurationsAreExact) {
    struct Case {
        std::string file;
        int32_t ms;
    };
    const std::string wav = folder.File("long.wav");
    // 3 min 5.5 s.
    test::WriteWave(wav, PcmWaveFormat(8, 1, 4000), std::vector<uint8_t>(185500 * 4, 128));
    const Case cases[] = {{wav, 185500},
                          {Fixture("tone-cbr.mp3"), 700},
                          {Fixture("tone-vbr.mp3"), 1100},
                          {Fixture("tone-lsf.mp3"), 500}};
    for (const auto& c : cases) {
        deck.SetFileName(c.file);
        EXPECT_EQ(deck.Duration(), c.ms) << c.file;
    }
}

TEST_F(Deck, StreamEndsWithItsDataOrFourBytesOfSilence) {
    const std::string wav = folder.File("a.wav");
    WriteWave16(wav, 8000, 1, std::vector<int16_t>(1000, 1000));
    deck.SetFileName(wav);
    Play(deck);
    const auto pulled = Pull(deck, 800, 100);
    EXPECT_TRUE(pulled.ended);
    const auto s = pulled.Samples16();
    ASSERT_GE(s.size(), 1000u);
    // The envelope rises within the first ms (8 samples), then leaves the data alone.
    EXPECT_EQ(s[0], 0);
    for (size_t i = 9; i < 1000; ++i)
        ASSERT_EQ(s[i], 1000) << i;
    for (size_t i = 1000; i < s.size(); ++i)
        EXPECT_EQ(s[i], 0) << "only silence may follow the data";
    EXPECT_LE(s.size(), 1002u);
    EXPECT_TRUE(deck.Ended());

    // Without any audio data: 4 bytes of silence and the end, at once.
    const std::string empty = folder.File("empty.wav");
    WriteWave16(empty, 8000, 2, {});
    deck.SetFileName(empty);
    Play(deck);
    const auto none = Pull(deck, 800, 10);
    EXPECT_EQ(none.calls, 1);
    EXPECT_TRUE(none.ended);
    EXPECT_EQ(none.bytes, std::vector<uint8_t>(4, 0));
}

// A play end before the file's end (a title's cue-out): the deck delivers
// the data up to it and ends there, its Duration is the play end, and a
// start further in (cue-in) plays the stretch between. Loading a file again
// gives back its whole length.
TEST_F(Deck, APlayEndEndsTheDeckThereAndAStartFurtherInPlaysTheStretch) {
    const std::string wav = folder.File("a.wav");
    std::vector<int16_t> ramp(8000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i);
    WriteWave16(wav, 8000, 1, ramp);
    deck.SetFileName(wav);
    deck.SetPlayEnd(750);
    EXPECT_EQ(deck.Duration(), 750);
    EXPECT_EQ(deck.LoadedLength(), 1000);
    deck.Seek(250);
    Play(deck);
    const auto pulled = Pull(deck, 800, 100);
    EXPECT_TRUE(pulled.ended);
    const auto s = pulled.Samples16();
    ASSERT_GE(s.size(), 4000u);
    // After the envelope's first ms, the samples from 250 ms (2000) to 750 ms (6000).
    for (size_t i = 9; i < 4000; ++i)
        ASSERT_EQ(s[i], static_cast<int16_t>(2000 + i)) << i;
    for (size_t i = 4000; i < s.size(); ++i)
        EXPECT_EQ(s[i], 0) << "nothing beyond the play end";
    EXPECT_LE(s.size(), 4002u);

    deck.StopChain();
    deck.CloseChain();
    deck.SetFileName("");
    deck.SetFileName(wav);
    EXPECT_EQ(deck.Duration(), 1000);
}

TEST_F(Deck, VolumeAndPanningScaleTheSides) {
    const std::string wav = folder.File("a.wav");
    WriteWave16(wav, 8000, 2, std::vector<int16_t>(2 * 800, 8000));
    deck.SetFileName(wav);
    deck.SetVolume(8192);
    deck.SetPanning(16384);
    Play(deck);
    const auto s = Pull(deck, 4000, 1).Samples16();
    EXPECT_EQ(s[100], 2000); // left: half the volume, half again for the panning
    EXPECT_EQ(s[101], 4000); // right: half the volume
    deck.SetVolume(40000);
    EXPECT_EQ(deck.Volume(), 32768);
}

TEST_F(Deck, WideSamplesArriveAsSixteenBitPcm) {
    // 24-bit stereo at 32000 Hz: the deck delivers 16-bit at the same rate.
    const std::string wav = folder.File("a24.wav");
    std::vector<uint8_t> data;
    for (int i = 0; i < 3200; ++i)
        for (const int32_t v : {0x123456, -0x123456})
            for (int b = 0; b < 3; ++b)
                data.push_back(static_cast<uint8_t>((v >> (8 * b)) & 0xFF));
    test::WriteWave(wav, PcmWaveFormat(24, 2, 32000), data);
    deck.SetFileName(wav);
    ASSERT_NE(deck.GetWaveFormat(), nullptr);
    EXPECT_EQ(*deck.GetWaveFormat(), PcmWaveFormat(16, 2, 32000));
    EXPECT_EQ(deck.Duration(), 100);
    Play(deck);
    const auto s = Pull(deck, 4096, 100).Samples16();
    ASSERT_GE(s.size(), 6400u);
    EXPECT_NEAR(s[1000], 0x1234, 1);
    EXPECT_NEAR(s[1001], -0x1234, 1);
}

// 60 s of a constant level; the operator fades out at 10 s over 500 ms.
TEST_F(Deck, FadeOutRampsToSilenceAndEndsTheDeck) {
    const std::string wav = folder.File("a.wav");
    WriteWave16(wav, 8000, 1, std::vector<int16_t>(60 * 8000, 10000));
    deck.SetFileName(wav);
    Play(deck, 800);
    auto pulled = Pull(deck, 800, 200); // 200 × 50 ms
    ASSERT_FALSE(pulled.ended);
    EXPECT_EQ(deck.Position(), 10000);
    deck.FadeOut(500);
    EXPECT_TRUE(deck.FadingOut());
    pulled = Pull(deck, 800, 1000, -1, pulled);
    EXPECT_TRUE(pulled.ended);
    const auto s = pulled.Samples16();
    // The deck ends where the fade ends: 10.5 s (plus at most one buffer).
    EXPECT_GE(s.size(), 84000u);
    EXPECT_LE(s.size(), 84000u + 400u);
    EXPECT_EQ(s[80000 - 1], 10000);
    for (size_t i = 80001; i < 84000; ++i)
        ASSERT_LE(s[i], s[i - 1]) << "the fade falls steadily";
    EXPECT_NEAR(s[82000], 5000, 10);
    for (size_t i = 84000; i < s.size(); ++i)
        ASSERT_EQ(s[i], 0) << "silent from 10.5 s";
}

TEST_F(Deck, FadeOutNearTheEndUsesWhatIsLeft) {
    const std::string wav = folder.File("a.wav");
    WriteWave16(wav, 8000, 1, std::vector<int16_t>(8000, 10000));
    deck.SetFileName(wav);
    Play(deck, 800);
    auto pulled = Pull(deck, 800, 16); // 800 ms
    deck.FadeOut(500);
    EXPECT_EQ(deck.FadeOutLength(), 200);
    pulled = Pull(deck, 800, 100, -1, pulled);
    const auto s = pulled.Samples16();
    EXPECT_EQ(s[6400], 10000);
    EXPECT_NEAR(s[7200], 5000, 10);
    EXPECT_LE(std::abs(s[7990]), 100);
}

TEST_F(Deck, FadeInAndFadeOutFromSetFades) {
    const std::string wav = folder.File("a.wav");
    WriteWave16(wav, 8000, 1, std::vector<int16_t>(8000, 10000));
    deck.SetFileName(wav);
    deck.SetFades(200, 300, 0);
    EXPECT_EQ(deck.FadeOutStart(), 700) << "automatic: the fade ends with the file";
    Play(deck, 800);
    const auto s = Pull(deck, 800, 100).Samples16();
    ASSERT_GE(s.size(), 8000u);
    EXPECT_NEAR(s[800], 5000, 30);  // 100 ms: half way up
    EXPECT_EQ(s[1700], 10000);      // 212.5 ms: full
    EXPECT_EQ(s[5600], 10000);      // 700 ms: the fade-out begins
    EXPECT_NEAR(s[6800], 5000, 30); // 850 ms: half way down
    EXPECT_LE(s[7999], 10);

    deck.SetFadeOutStart(400);
    EXPECT_EQ(deck.FadeOutStart(), 400);
}

TEST_F(Deck, StoppingOrResettingUndoesAFadeOut) {
    const std::string wav = folder.File("a.wav");
    WriteWave16(wav, 8000, 1, std::vector<int16_t>(8000, 10000));
    deck.SetFileName(wav);
    Play(deck, 800);
    Pull(deck, 800, 2);
    deck.FadeOut(100);
    deck.FadeOut(50);
    EXPECT_TRUE(deck.FadingOut());
    deck.Reset();
    EXPECT_FALSE(deck.FadingOut());
    EXPECT_EQ(deck.FadeOutStart(), 1000);
    EXPECT_EQ(deck.FadeOutLength(), 0);
    const auto after = Pull(deck, 800, 100);
    EXPECT_GE(after.bytes.size(), 2u * 8000 - 2 * 800) << "plays on to the end";
}

TEST_F(Deck, LoopsAsManyTimesAsAsked) {
    const std::string wav = folder.File("a.wav");
    std::vector<int16_t> ramp(4000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i);
    WriteWave16(wav, 8000, 1, ramp);
    deck.SetFileName(wav);
    Play(deck, 1000);
    const auto pulled = Pull(deck, 1000, 100, 2);
    EXPECT_TRUE(pulled.ended);
    EXPECT_EQ(pulled.restarts, 2);
    const auto s = pulled.Samples16();
    // Each pass plays the whole file again (after the first ms of fade-in),
    // closed by the reader's 4 bytes of silence.
    const size_t pass = 4000 + 2;
    ASSERT_EQ(s.size(), 3 * pass);
    for (size_t p = 0; p < 3; ++p) {
        for (size_t i = 100; i < 4000; ++i)
            ASSERT_EQ(s[p * pass + i], static_cast<int16_t>(i)) << "pass " << p;
        EXPECT_EQ(s[p * pass + 4000], 0);
    }
}

TEST_F(Deck, SeeksAreSampleExactAndLimited) {
    const std::string wav = folder.File("a.wav");
    std::vector<int16_t> ramp(2 * 8000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i);
    WriteWave16(wav, 8000, 1, ramp);
    deck.SetFileName(wav);
    deck.Seek(1234);
    EXPECT_EQ(deck.Position(), 1234);
    Play(deck, 800);
    EXPECT_EQ(deck.Position(), 1234);
    auto s = Pull(deck, 800, 1).Samples16();
    for (size_t k = 9; k < s.size(); ++k)
        ASSERT_EQ(s[k], static_cast<int16_t>(1234 * 8 + k)) << k;

    deck.Seek(500); // while playing
    EXPECT_EQ(deck.Position(), 500);
    s = Pull(deck, 800, 1).Samples16();
    EXPECT_EQ(s[20], 500 * 8 + 20);

    deck.Seek(99999);
    EXPECT_EQ(deck.Position(), 2000);
    deck.Seek(-5);
    EXPECT_EQ(deck.Position(), 0);
}

// The decoded MP3 read straight through, then from seek points: each seek
// lands on the same samples.
TEST_F(Deck, Mp3SeeksLandOnTheSameSamples) {
    for (const char* name : {"tone-cbr.mp3", "tone-vbr.mp3"}) {
        SCOPED_TRACE(name);
        deck.SetFileName(Fixture(name));
        ASSERT_EQ(deck.FileType(), TMMAudioFileType::ftMpeg);
        const WaveFormat f = *deck.GetWaveFormat();
        Play(deck);
        const auto all = Pull(deck, 4096, 1000).Samples16();
        const size_t channels = f.channels;
        EXPECT_GE(all.size() / channels, static_cast<size_t>(deck.Duration()) * f.samplesPerSec / 1000);
        for (const int32_t at : {100, 333, 650}) {
            deck.Seek(at);
            const auto s = Pull(deck, 4096, 1).Samples16();
            const size_t first = static_cast<size_t>(at) * f.samplesPerSec / 1000 * channels;
            for (size_t k = 200; k < 400; ++k)
                ASSERT_EQ(s[k], all[first + k]) << "seek to " << at << " ms, sample " << k;
        }
        deck.StopChain();
        deck.CloseChain();
    }
}

// MPEG audio as a WAVE file's data, in each WAVE form, with another copy of
// the same stream in a chunk after the data: the deck plays the data chunk
// alone, its end taken from the header (or from "ds64").
TEST_F(Deck, MpegInsideWaveFilesPlaysItsDataChunkOnly) {
    std::ifstream in(Fixture("tone-lsf.mp3"), std::ios::binary);
    const std::vector<uint8_t> mp3{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(mp3.empty());
    const WaveFormat layer3{.formatTag = 0x0055,
                            .channels = 1,
                            .samplesPerSec = 22050,
                            .avgBytesPerSec = 8000,
                            .blockAlign = 1,
                            .bitsPerSample = 0,
                            .extra = {1, 0, 2, 0, 0, 0, 0x20, 0x01, 1, 0, 0x71, 0x05}};
    constexpr uint32_t InDs64 = 0xFFFFFFFF;
    const auto wide = [&](const std::string& form) {
        return test::WaveBuilder()
            .Form(form)
            .RiffSize(InDs64)
            .Ds64(test::WaveBuilder::TrueSize, mp3.size(), 11025)
            .Format(layer3)
            .ChunkClaiming("data", InDs64, mp3)
            .Chunk("junk", mp3);
    };
    const std::pair<const char*, test::WaveBuilder> forms[] = {
        {"RIFF", test::WaveBuilder().Format(layer3).Data(mp3).Chunk("junk", mp3)},
        {"RF64", wide("RF64")},
        {"BW64", wide("BW64")},
    };
    for (const auto& [name, builder] : forms) {
        SCOPED_TRACE(name);
        deck.SetFileName(builder.Write(std::string("mpeg-in-") + name + ".wav"));
        ASSERT_EQ(deck.FileType(), TMMAudioFileType::ftMpeg);
        EXPECT_EQ(deck.Duration(), 500);
        ASSERT_NE(deck.GetWaveFormat(), nullptr);
        EXPECT_EQ(*deck.GetWaveFormat(), PcmWaveFormat(16, 1, 22050));
        Play(deck);
        EXPECT_EQ(Pull(deck, 4096, 1000).Samples16().size(), 11025u);
        deck.StopChain();
        deck.CloseChain();
    }
}

} // namespace
} // namespace corvane
