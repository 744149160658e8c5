#include "audio/readers/WaveFormatFacts.h"

#include <algorithm>

namespace corvane {

namespace {

uint32_t Get(std::span<const uint8_t> b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        const size_t k = at + static_cast<size_t>(i);
        v |= static_cast<uint32_t>(k < b.size() ? b[k] : 0) << (8 * i);
    }
    return v;
}

} // namespace

bool IsConverterAdpcm(const WaveFormat& f) {
    switch (f.formatTag) {
    case WAVE_FORMAT_ADPCM:
    case WAVE_FORMAT_ANTEX_ADPCME:
    case WAVE_FORMAT_ANTEX_DVI_OKI:
        return true;
    case WAVE_FORMAT_MEDIAVISION_ADPCM:
        return f.bitsPerSample == 4;
    default:
        return false;
    }
}

int SamplesPerBlock(const WaveFormat& f) {
    if (f.channels == 0 || f.blockAlign == 0)
        return 0;
    if (f.formatTag == WAVE_FORMAT_ADPCM) {
        // 7 header bytes per channel hold the first two samples; every further
        // byte holds two samples of the channels in turn.
        const int header = 7 * f.channels;
        return f.blockAlign < header ? 0 : (f.blockAlign - header) * 2 / f.channels + 2;
    }
    if (IsConverterAdpcm(f))
        return f.blockAlign * 2 / f.channels;
    if (const auto stream = ToStreamFormat(f); stream && stream->blockAlign == f.blockAlign)
        return stream->samplesPerBlock;
    return 1;
}

WaveFormat ParseWaveFormat(std::span<const uint8_t> body) {
    WaveFormat f;
    f.formatTag = static_cast<uint16_t>(Get(body, 0, 2));
    f.channels = static_cast<uint16_t>(Get(body, 2, 2));
    f.samplesPerSec = Get(body, 4, 4);
    f.avgBytesPerSec = Get(body, 8, 4);
    f.blockAlign = static_cast<uint16_t>(Get(body, 12, 2));
    f.bitsPerSample = static_cast<uint16_t>(Get(body, 14, 2));
    const size_t extra = Get(body, 16, 2);
    if (body.size() > WaveFormatFixedSize)
        f.extra.assign(body.begin() + WaveFormatFixedSize,
                       body.begin() +
                           static_cast<std::ptrdiff_t>(WaveFormatFixedSize +
                                                       std::min(extra, body.size() - WaveFormatFixedSize)));
    return f;
}

std::optional<StreamFormat> ToStreamFormat(const WaveFormat& format) {
    return DescribeWaveFormat(SerializeWaveFormat(format));
}

WaveFormat ToWaveFormat(const StreamFormat& pcm) {
    return PcmWaveFormat(pcm.bitsPerSample, pcm.channels, pcm.sampleRate);
}

} // namespace corvane
