#include "audio/chain/WaveFormat.h"

namespace corvane {

WaveFormat PcmWaveFormat(int bitsPerSample, int channels, int samplesPerSec) {
    WaveFormat f;
    f.formatTag = WAVE_FORMAT_PCM;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = static_cast<uint32_t>(samplesPerSec);
    f.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    f.blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
    f.avgBytesPerSec = static_cast<uint32_t>(f.blockAlign) * f.samplesPerSec;
    return f;
}

WaveFormat CopyWaveFormat(const WaveFormat& format) {
    WaveFormat copy = format;
    if (copy.IsPcm())
        copy.extra.clear();
    return copy;
}

bool IsValidPcm(const WaveFormat* format) {
    return format != nullptr && format->IsPcm() &&
           (format->bitsPerSample == 8 || format->bitsPerSample == 16) &&
           (format->channels == 1 || format->channels == 2) && format->samplesPerSec >= 4000 &&
           format->samplesPerSec <= 100000;
}

bool SameSampleFormat(const WaveFormat& a, const WaveFormat& b) {
    return a.formatTag == b.formatTag && a.bitsPerSample == b.bitsPerSample && a.channels == b.channels &&
           a.samplesPerSec == b.samplesPerSec;
}

namespace {
void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
} // namespace

std::vector<uint8_t> SerializeWaveFormat(const WaveFormat& format) {
    std::vector<uint8_t> out;
    out.reserve(WaveFormatFixedSize + format.extra.size());
    Put16(out, format.formatTag);
    Put16(out, format.channels);
    Put32(out, format.samplesPerSec);
    Put32(out, format.avgBytesPerSec);
    Put16(out, format.blockAlign);
    Put16(out, format.bitsPerSample);
    Put16(out, format.ExtraSize());
    out.insert(out.end(), format.extra.begin(), format.extra.end());
    return out;
}

} // namespace corvane
