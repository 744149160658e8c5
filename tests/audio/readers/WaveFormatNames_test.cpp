#include "audio/readers/WaveFormatNames.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(WaveFormatNames, TagNames) {
    const std::pair<uint16_t, const char*> cases[] = {
        {0x0000, "Unknown"},
        {0x0001, "PCM"},
        {0x0002, "Microsoft ADPCM"},
        {0x0003, "IEEE Float"},
        {0x0018, "Mediavision's ADPCM"},
        {0x0012, "Mediaspace's ADPCM"},
        {0x0011, "IMA ADPCM"},
        {0x0033, "Antex ADPCME"},
        {0x0055, "MPEG Layer-3"},
        {0x0206, "Antex-DVI-OKI ADPCME"},
        {0x0209, "Dolby AC2"},
        {0xFFFF, "*DEVELOPMENT ONLY TAG*"},
        {0x1234, "Unknown"},
        {0xFFFE, "Unknown"},
    };
    for (const auto& [tag, name] : cases)
        EXPECT_EQ(WaveFormatTagName(tag), name) << tag;
}

TEST(WaveFormatNames, Descriptions) {
    const WaveFormat stereo = PcmWaveFormat(16, 2, 44100);
    const WaveFormat mono = PcmWaveFormat(8, 1, 8000);
    const WaveFormat six = PcmWaveFormat(24, 6, 48000);
    WaveFormat ima;
    ima.formatTag = 0x11;
    ima.channels = 1;
    ima.samplesPerSec = 22050;
    ima.avgBytesPerSec = 11100; // bits per channel come from the byte rate: 4
    EXPECT_EQ(WaveFormatDescription(&stereo), "44.100 kHz, 16 Bit, Stereo");
    EXPECT_EQ(WaveFormatDescription(&mono), "8.000 kHz, 8 Bit, Mono");
    EXPECT_EQ(WaveFormatDescription(&six), "48.000 kHz, 24 Bit, 6 Channels");
    EXPECT_EQ(WaveFormatDescription(&ima), "22.050 kHz, 4 Bit, Mono");
    EXPECT_EQ(WaveFormatDescription(&stereo, {';', ','}), "44,100 kHz; 16 Bit; Stereo");
    EXPECT_EQ(WaveFormatDescription(nullptr), "Unknown");
}

} // namespace
} // namespace corvane
