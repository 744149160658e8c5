#include "audio/readers/WaveFormatNames.h"

#include <array>
#include <cstdio>
#include <utility>

namespace corvane {

namespace {

// Searched in order, so the first row of a tag wins (0x0011 reads "IMA ADPCM"). Each tag below
// 0x0200 names the format registered for it (0x0003 is IEEE float, Media Vision's ADPCM is 0x0018).
constexpr std::array<std::pair<uint16_t, const char*>, 39> TagNames{{
    {0x0000, "Unknown"},
    {0x0001, "PCM"},
    {0x020C, "PCM 32"},
    {0x0002, "Microsoft ADPCM"},
    {0x0003, "IEEE Float"},
    {0x0005, "IBM CVSD"},
    {0x0006, "CCITT A-Law"},
    {0x0007, "CCITT mu-Law"},
    {0x0010, "OKI ADPCM"},
    {0x0011, "IMA ADPCM"},
    {0x0011, "DVI ADPCM"},
    {0x0012, "Mediaspace's ADPCM"},
    {0x0013, "Sierra's ADPCM"},
    {0x0014, "CCITT G.723 ADPCM"},
    {0x0015, "Digisound DIGISTD"},
    {0x0016, "Digisound DIGIFIX"},
    {0x0017, "Dialogic OKI ADPCM"},
    {0x0018, "Mediavision's ADPCM"},
    {0x0020, "Yamaha ADPCM"},
    {0x0021, "Sonarc"},
    {0x0022, "DSP Group's Truespeech"},
    {0x0023, "Echo SC1"},
    {0x0024, "Audiofile AF36"},
    {0x0025, "Audio Processing Technology"},
    {0x0026, "Audiofile AF10"},
    {0x0030, "Dolby AC2"},
    {0x0209, "Dolby AC2"},
    {0x0031, "GSM 6.10"},
    {0x0033, "Antex ADPCME"},
    {0x0039, "CS IMA ADPCM"},
    {0x0040, "CCITT G.721 ADPCM"},
    {0x0050, "MPEG 1"},
    {0x0055, "MPEG Layer-3"},
    {0x0200, "Creative's ADPCM"},
    {0x1001, "Olivetti's ADPCM"},
    {0x0204, "CDI-C"},
    {0x0205, "CDI-B"},
    {0x0206, "Antex-DVI-OKI ADPCME"},
    {0xFFFF, "*DEVELOPMENT ONLY TAG*"},
}};

} // namespace

std::string WaveFormatTagName(uint16_t tag) {
    for (const auto& [t, name] : TagNames)
        if (t == tag)
            return name;
    return "Unknown";
}

std::string WaveFormatDescription(const WaveFormat* f, RegionalSeparators sep) {
    if (f == nullptr || f->samplesPerSec == 0 || f->channels == 0)
        return "Unknown";
    const unsigned bits =
        static_cast<unsigned>(uint64_t{f->avgBytesPerSec} * 8 / f->samplesPerSec / f->channels);
    char text[128];
    if (f->channels <= 2)
        std::snprintf(text, sizeof text, "%u%c%.03u kHz%c %u Bit%c %s", f->samplesPerSec / 1000, sep.decimal,
                      f->samplesPerSec % 1000, sep.list, bits, sep.list,
                      f->channels == 1 ? "Mono" : "Stereo");
    else
        std::snprintf(text, sizeof text, "%u%c%.03u kHz%c %u Bit%c %u Channels", f->samplesPerSec / 1000,
                      sep.decimal, f->samplesPerSec % 1000, sep.list, bits, sep.list, unsigned{f->channels});
    return text;
}

} // namespace corvane
