#include "WaveBuilder.h"
#include "audio/chain/EMMError.h"
#include "audio/readers/RiffWaveParser.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::WaveBuilder;

RiffWaveLayout Parse(const std::vector<uint8_t>& bytes) {
    auto file = RiffFile::OpenMemory(bytes);
    return ParseRiffWave(*file);
}

const WaveFormat Stereo16 = PcmWaveFormat(16, 2, 44100);
const std::vector<uint8_t> Frames100 = test::Ramp16Stereo(100);

struct MessyCase {
    const char* name;
    std::vector<uint8_t> bytes;
    int64_t frames; // what plays
};

std::vector<MessyCase> MessyFiles() {
    const std::vector<uint8_t> odd = {1, 2, 3};
    const std::vector<uint8_t> junk(37, 0xEE);
    return {
        {"Plain", WaveBuilder().Format(Stereo16).Data(Frames100).Bytes(), 100},
        {"BroadcastChunksAround",
         WaveBuilder()
             .Chunk("bext", std::vector<uint8_t>(602, 0))
             .Chunk("JUNK", junk)
             .Format(Stereo16)
             .Chunk("PEAK", std::vector<uint8_t>(24, 1))
             .Data(Frames100)
             .Chunk("cue ", std::vector<uint8_t>(28, 0))
             .Chunk("smpl", std::vector<uint8_t>(36, 0))
             .Chunk("id3 ", std::vector<uint8_t>(128, 'x'))
             .Bytes(),
         100},
        {"DataBeforeFormat", WaveBuilder().Data(Frames100).Format(Stereo16).Bytes(), 100},
        {"OddChunkWithPad", WaveBuilder().Chunk("odd ", odd).Format(Stereo16).Data(Frames100).Bytes(), 100},
        {"OddChunkWithoutPad",
         WaveBuilder().Chunk("odd ", odd, WaveBuilder::Pad::No).Format(Stereo16).Data(Frames100).Bytes(),
         100},
        {"TrailingGarbage", WaveBuilder().Format(Stereo16).Data(Frames100).Trailing(junk).Bytes(), 100},
        {"DataSizeZero", WaveBuilder().Format(Stereo16).ChunkClaiming("data", 0, Frames100).Bytes(), 100},
        {"DataSizeBeyondFile",
         WaveBuilder().Format(Stereo16).ChunkClaiming("data", 1u << 30, Frames100).Bytes(), 100},
        {"DataSizeHugeWithCutFrame",
         WaveBuilder()
             .Format(Stereo16)
             .ChunkClaiming("data", 0xFFFFFFFF, std::vector<uint8_t>(Frames100.begin(), Frames100.end() - 3))
             .Bytes(),
         99},
        {"RiffSizeBeyondFile", WaveBuilder().Format(Stereo16).Data(Frames100).RiffSize(1u << 30).Bytes(),
         100},
        {"RiffSizeTooSmall", WaveBuilder().Format(Stereo16).Data(Frames100).RiffSize(20).Bytes(), 100},
        {"RiffSizeZero", WaveBuilder().Format(Stereo16).Data(Frames100).RiffSize(0).Bytes(), 100},
        {"FactClaimsHalf",
         WaveBuilder().Format(Stereo16).Chunk("fact", {50, 0, 0, 0}).Data(Frames100).Bytes(), 100},
        {"NoAudio", WaveBuilder().Format(Stereo16).Data({}).Bytes(), 0},
        // Sizes that lie before the format and the data: the walk finds them again.
        {"BinaryChunkBeforeFormat",
         WaveBuilder().Chunk("\x01\x02\x03\x04", {1, 2}).Format(Stereo16).Data(Frames100).Bytes(), 100},
        {"JunkClaimsTooLittle",
         WaveBuilder().ChunkClaiming("JUNK", 20, junk).Format(Stereo16).Data(Frames100).Bytes(), 100},
        {"ListClaimsTheWholeFile",
         WaveBuilder().Format(Stereo16).ChunkClaiming("LIST", 0x7FFFFFFF, junk).Data(Frames100).Bytes(), 100},
    };
}

TEST(RiffWaveParser, MessyFilesPlayWhatIsThere) {
    for (const MessyCase& c : MessyFiles()) {
        SCOPED_TRACE(c.name);
        const RiffWaveLayout layout = Parse(c.bytes);
        EXPECT_EQ(layout.sampleCount, c.frames);
        EXPECT_EQ(layout.dataBytes, c.frames * 4);
        EXPECT_EQ(layout.format, Stereo16);
        // The data begins with the ramp's first frames.
        if (c.frames > 1) {
            EXPECT_EQ(c.bytes[static_cast<size_t>(layout.dataOffset) + 4], 1);
            EXPECT_EQ(c.bytes[static_cast<size_t>(layout.dataOffset) + 6], 0xFF);
        }
    }
}

TEST(RiffWaveParser, RecomputesPcmBlockAlignAndByteRate) {
    WaveFormat wrong = Stereo16;
    wrong.blockAlign = 3;
    wrong.avgBytesPerSec = 7;
    const auto layout = Parse(WaveBuilder().Format(wrong).Data(Frames100).Bytes());
    EXPECT_EQ(layout.format.blockAlign, 4);
    EXPECT_EQ(layout.format.avgBytesPerSec, 176400u);
    EXPECT_EQ(layout.sampleCount, 100);
}

TEST(RiffWaveParser, KeepsInfoAndDispLists) {
    const std::vector<uint8_t> info = {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 5, 0, 0, 0,   'T', 'o', 'n',
                                       'e', 0,   0,   'I', 'A', 'R', 'T', 3,   0, 0, 0, 'B', 'i', 'g', 0};
    const auto layout = Parse(WaveBuilder()
                                  .Format(Stereo16)
                                  .Chunk("LIST", info)
                                  .Chunk("DISP", {1, 0, 0, 0, 'x'})
                                  .Data(Frames100)
                                  .Bytes());
    ASSERT_EQ(layout.info.size(), 2u);
    EXPECT_EQ(layout.info[0].id, MakeFourCC("INAM"));
    EXPECT_EQ(layout.info[0].text, "Tone");
    EXPECT_EQ(layout.info[1].text, "Big");
    ASSERT_EQ(layout.disp.size(), 1u);
    EXPECT_EQ(layout.disp[0].size(), 5u);
}

// The 64-bit forms for long recordings: sizes marked 0xFFFFFFFF come from
// the "ds64" chunk, so the data ends where it says and a chunk after it
// (here the INFO list) is still found.
TEST(RiffWaveParser, Rf64AndBw64TakeTheirSizesFromDs64) {
    const std::vector<uint8_t> info = {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M',
                                       4,   0,   0,   0,   'L', 'o', 'n', 'g'};
    constexpr uint32_t InDs64 = 0xFFFFFFFF;
    const std::vector<uint8_t> bext(602, 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int64_t frames;
    };
    const auto wide = [&](const std::string& form, uint64_t dataSize) {
        return WaveBuilder()
            .Form(form)
            .RiffSize(InDs64)
            .Ds64(4 + 44 + 8 + 16 + 8 + 400 + 8 + info.size(), dataSize, 100)
            .Format(Stereo16)
            .ChunkClaiming("data", InDs64, Frames100)
            .Chunk("LIST", info)
            .Bytes();
    };
    const std::vector<Case> cases = {
        {"RF64", wide("RF64", 400), 100},
        {"BW64", wide("BW64", 400), 100},
        {"DataShorterThanPresent", wide("RF64", 200), 50},
        {"OtherChunkSizedInTheTable",
         WaveBuilder()
             .Form("RF64")
             .RiffSize(InDs64)
             .Ds64(1u << 20, 400, 100, {{"bext", bext.size()}})
             .ChunkClaiming("bext", InDs64, bext)
             .Format(Stereo16)
             .ChunkClaiming("data", InDs64, Frames100)
             .Chunk("LIST", info)
             .Bytes(),
         100},
        // A recorder may keep the 32-bit sizes while they fit.
        {"SmallSizesInTheirOwnFields",
         WaveBuilder()
             .Form("RF64")
             .Ds64(0, 0, 0)
             .Format(Stereo16)
             .Data(Frames100)
             .Chunk("LIST", info)
             .Bytes(),
         100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RiffWaveLayout layout = Parse(c.bytes);
        EXPECT_TRUE(layout.wide);
        EXPECT_EQ(layout.format, Stereo16);
        EXPECT_EQ(layout.sampleCount, c.frames);
        EXPECT_EQ(layout.dataBytes, c.frames * 4);
        EXPECT_EQ(c.bytes[static_cast<size_t>(layout.dataOffset) + 4], 1);
        // Where the data claims less than is there, the rest is not walked.
        if (c.frames == 100) {
            ASSERT_EQ(layout.info.size(), 1u);
            EXPECT_EQ(layout.info[0].text, "Long");
        }
    }
}

TEST(RiffWaveParser, BadFilesAreInvalid) {
    WaveFormat noChannels = Stereo16;
    noChannels.channels = 0;
    WaveFormat noRate = Stereo16;
    noRate.samplesPerSec = 0;
    WaveFormat noBlock = Stereo16;
    noBlock.formatTag = 0x11;
    noBlock.blockAlign = 0;
    WaveFormat wideBits = Stereo16;
    wideBits.bitsPerSample = 40;
    std::vector<uint8_t> shortFormat = SerializeWaveFormat(Stereo16);
    shortFormat.resize(14);
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {'R', 'I', 'F', 'F'},
        {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '},
        std::vector<uint8_t>(100, 'a'),
        WaveBuilder().Data(Frames100).Bytes(),
        WaveBuilder().Format(Stereo16).Bytes(),
        WaveBuilder().Chunk("fmt ", shortFormat).Data(Frames100).Bytes(),
        WaveBuilder()
            .ChunkClaiming("fmt ", 0x7FFFFFFF, SerializeWaveFormat(Stereo16))
            .Data(Frames100)
            .Bytes(),
        WaveBuilder().Format(noChannels).Data(Frames100).Bytes(),
        WaveBuilder().Format(noRate).Data(Frames100).Bytes(),
        WaveBuilder().Format(noBlock).Data(Frames100).Bytes(),
        WaveBuilder().Format(wideBits).Data(Frames100).Bytes(),
        // RF64 without its "ds64" chunk, and one too short to hold the sizes.
        WaveBuilder().Form("RF64").RiffSize(0xFFFFFFFF).Format(Stereo16).Data(Frames100).Bytes(),
        WaveBuilder()
            .Form("BW64")
            .Chunk("ds64", std::vector<uint8_t>(20, 0))
            .Format(Stereo16)
            .Data(Frames100)
            .Bytes(),
        // Binary garbage where the chunks should be, and no format or data after it.
        WaveBuilder().Chunk("\x01\x02\x03\x04", std::vector<uint8_t>(64, 7)).Bytes(),
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        try {
            Parse(bad[i]);
            ADD_FAILURE() << "parsed";
        } catch (const EMMWaveError& e) {
            EXPECT_STREQ(e.what(), "Invalid wave file...");
        }
    }
}

} // namespace
} // namespace corvane
