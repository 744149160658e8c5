#include "audio/platform/StreamFormat.h"

#include <cstring>

namespace corvane {

namespace {

uint16_t Get16(std::span<const uint8_t> r, size_t at) {
    return at + 2 <= r.size() ? static_cast<uint16_t>(r[at] | r[at + 1] << 8) : 0;
}

uint32_t Get32(std::span<const uint8_t> r, size_t at) {
    return static_cast<uint32_t>(Get16(r, at)) | static_cast<uint32_t>(Get16(r, at + 2)) << 16;
}

// The tail every WAVE_FORMAT_EXTENSIBLE sub-format GUID shares after its tag.
constexpr uint8_t GuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                  0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Upper limits that keep buffer arithmetic far from overflow.
constexpr int MaxChannels = 64;
constexpr int MaxRate = 1'000'000;

} // namespace

StreamFormat MakePcmStreamFormat(int bits, int channels, int sampleRate) {
    StreamFormat f;
    f.encoding = SampleEncoding::Pcm;
    f.channels = channels;
    f.sampleRate = sampleRate;
    f.bitsPerSample = bits;
    f.blockAlign = channels * ((bits + 7) / 8);
    return f;
}

bool IsPlainPcm(const StreamFormat& f) {
    return f.encoding == SampleEncoding::Pcm && (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           (f.channels == 1 || f.channels == 2) && f.sampleRate > 0;
}

std::optional<StreamFormat> DescribeWaveFormat(std::span<const uint8_t> r) {
    if (r.size() < 16)
        return std::nullopt;
    uint16_t tag = Get16(r, 0);
    StreamFormat f;
    f.channels = Get16(r, 2);
    f.sampleRate = static_cast<int>(Get32(r, 4) > MaxRate ? 0 : Get32(r, 4));
    f.blockAlign = Get16(r, 12);
    f.bitsPerSample = Get16(r, 14);
    const size_t extraSize = Get16(r, 16);
    const auto extra =
        r.size() > WaveFormatRecordSize ? r.subspan(WaveFormatRecordSize) : std::span<const uint8_t>{};
    if (f.channels == 0 || f.channels > MaxChannels || f.sampleRate == 0)
        return std::nullopt;
    if (tag == WaveFormatExtensible) {
        if (extraSize < 22 || extra.size() < 22 ||
            std::memcmp(extra.data() + 8, GuidTail, sizeof GuidTail) != 0)
            return std::nullopt;
        f.channelMask = Get32(extra, 2);
        tag = Get16(extra, 6);
    }
    switch (tag) {
    case WaveFormatPcm:
        if (f.bitsPerSample < 1 || f.bitsPerSample > 32)
            return std::nullopt;
        f.encoding = SampleEncoding::Pcm;
        f.blockAlign = f.channels * ((f.bitsPerSample + 7) / 8);
        return f;
    case WaveFormatIeeeFloat:
        if (f.bitsPerSample != 32 && f.bitsPerSample != 64)
            return std::nullopt;
        f.encoding = SampleEncoding::IeeeFloat;
        f.blockAlign = f.channels * f.bitsPerSample / 8;
        return f;
    case WaveFormatALaw:
    case WaveFormatMuLaw:
        f.encoding = tag == WaveFormatALaw ? SampleEncoding::ALaw : SampleEncoding::MuLaw;
        f.bitsPerSample = 8;
        f.blockAlign = f.channels;
        return f;
    case WaveFormatImaAdpcm: {
        // Each block: a 4-byte header per channel, then groups of 4 bytes (8
        // samples) per channel in turn.
        const int header = 4 * f.channels;
        if (f.bitsPerSample != 4 || f.blockAlign <= header || (f.blockAlign - header) % header != 0)
            return std::nullopt;
        f.encoding = SampleEncoding::ImaAdpcm;
        f.samplesPerBlock = (f.blockAlign - header) * 2 / f.channels + 1;
        return f;
    }
    default:
        return std::nullopt;
    }
}

} // namespace corvane
