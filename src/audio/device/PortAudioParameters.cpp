#include "audio/device/PortAudioParameters.h"

#include <algorithm>

namespace corvane {

bool SampleFormatFor(const WaveDeviceFormat& format, PaSampleFormat& out) {
    if (!format.IsPcm() || format.channels < 1 || format.samplesPerSec == 0)
        return false;
    switch (format.bitsPerSample) {
    case 8:
        out = paUInt8;
        return true;
    case 16:
        out = paInt16;
        return true;
    default:
        return false;
    }
}

PaStreamParameters StreamParametersFor(int paIndex, const WaveDeviceFormat& format,
                                       PaSampleFormat sampleFormat, double deviceHighLatency) {
    PaStreamParameters p{};
    p.device = paIndex;
    p.channelCount = format.channels;
    p.sampleFormat = sampleFormat;
    p.suggestedLatency = std::max(deviceHighLatency, MinimumStreamLatencySeconds);
    p.hostApiSpecificStreamInfo = nullptr;
    return p;
}

} // namespace corvane
