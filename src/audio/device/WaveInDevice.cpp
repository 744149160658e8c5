#include "audio/device/WaveInDevice.h"

namespace corvane {

uint32_t StandardFormatBit(const WaveDeviceFormat& format) {
    if (!format.IsPcm() || (format.bitsPerSample != 8 && format.bitsPerSample != 16) ||
        (format.channels != 1 && format.channels != 2))
        return 0;
    int rateClass = 0;
    if (format.samplesPerSec >= 8000 && format.samplesPerSec <= 11025)
        rateClass = 0;
    else if (format.samplesPerSec > 11025 && format.samplesPerSec <= 22050)
        rateClass = 1;
    else if (format.samplesPerSec > 22050 && format.samplesPerSec <= 48000)
        rateClass = 2;
    else
        return 0;
    const int inClass = (format.bitsPerSample == 16 ? 2 : 0) + (format.channels == 2 ? 1 : 0);
    return 1u << (rateClass * 4 + inClass);
}

} // namespace corvane
