#include "ReaderChain.h"
#include "audio/chain/EMMError.h"
#include "audio/readers/TMMMPEGFile.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace corvane {
namespace {

std::string Fixture(const std::string& name) {
    const char* root = std::getenv("CORVANE_TEST_DATA");
    return std::string(root != nullptr ? root : CORVANE_SOURCE_FIXTURES) + "/audio/" + name;
}

TEST(TMMMPEGFile, PublishesItsFormatAndStreamsTheExactLength) {
    TMMMPEGFile reader;
    int changes = 0;
    reader.OnChange = [&](TMMMPEGFile*) { ++changes; };
    reader.SetFileName(Fixture("tone-cbr.mp3"));
    EXPECT_EQ(changes, 1);
    ASSERT_NE(reader.GetWaveFormat(), nullptr);
    EXPECT_EQ(*reader.GetWaveFormat(), PcmWaveFormat(16, 2, 44100));
    EXPECT_EQ(reader.Time(), 700);
    EXPECT_EQ(reader.Version(), TMpegVersion::v1);
    EXPECT_EQ(reader.Layer(), 3);
    EXPECT_EQ(reader.BitRate(), 128);
    EXPECT_EQ(reader.BlockSize(), 1152 * 4);
    const auto record = reader.InfoRecord();
    EXPECT_EQ(std::memcmp(&record[MPEGInfoTagOffset], "TAGTest Tone", 12), 0);
    int32_t time = 0;
    std::memcpy(&time, &record[22], 4);
    EXPECT_EQ(time, 700);
    reader.Opened();
    reader.Started();
    EXPECT_EQ(test::PullAll(reader, 4096).size(), 30870u * 4);
}

TEST(TMMMPEGFile, SeeksToTheSampleAndLoops) {
    TMMMPEGFile reader;
    reader.SetFileName(Fixture("tone-lsf.mp3"));
    EXPECT_EQ(reader.Version(), TMpegVersion::v2LSF);
    reader.Opened();
    reader.Started();
    const auto whole = test::PullAll(reader, 1000);
    ASSERT_EQ(whole.size(), 11025u * 2);
    reader.SeekMs(250);
    EXPECT_EQ(reader.SamplePosition(), 5513);
    const auto rest = test::PullAll(reader, 1000);
    ASSERT_EQ(rest.size(), (11025u - 5513) * 2);
    for (size_t i = 0; i < rest.size(); i += 2) {
        const int a = static_cast<int16_t>(rest[i] | rest[i + 1] << 8);
        const int b = static_cast<int16_t>(whole[5513 * 2 + i] | whole[5513 * 2 + i + 1] << 8);
        ASSERT_NEAR(a, b, 1) << i;
    }
    reader.SeekSample(0);
    EXPECT_EQ(test::PullAll(reader, 1000, -1, 2).size(), 3 * 11025u * 2);
}

TEST(TMMMPEGFile, ErrorsCarryTheDecodersText) {
    TMMMPEGFile reader;
    EXPECT_THROW(reader.SetFileName(Fixture("make-mp3-fixtures.sh")), EMMMpegError);
    EXPECT_EQ(reader.GetWaveFormat(), nullptr);
    EXPECT_EQ(reader.Time(), 0);
    EXPECT_EQ(reader.Version(), TMpegVersion::v1);
    reader.SetFileName(Fixture("tone-vbr.mp3"));
    reader.Opened();
    try {
        reader.SetChannelMode(TChannelMode::cmLeft);
        ADD_FAILURE();
    } catch (const EMMMpegError& e) {
        EXPECT_STREQ(e.what(), "Change to property while device was open");
    }
    reader.Closed();
    reader.SetChannelMode(TChannelMode::cmDownMix);
    EXPECT_EQ(*reader.GetWaveFormat(), PcmWaveFormat(16, 1, 44100));
}

} // namespace
} // namespace corvane
