#include "studio/VirtualDevice.h"

namespace corvane {

VirtualDevice::VirtualDevice(VirtualStudio& studio, std::string kind)
    : studio_(studio), kind_(std::move(kind)) {
    studio_.AddTimeSource(this);
}

VirtualDevice::~VirtualDevice() {
    studio_.RemoveTimeSource(this);
}

int64_t VirtualDevice::NextDueMs() const {
    const TimedStream* stream = OpenStream();
    return stream ? stream->NextDueMs() : -1;
}

void VirtualDevice::Fire(int64_t nowMs) {
    if (TimedStream* stream = OpenStream())
        stream->RunUntil(nowMs);
}

std::string VirtualDevice::NameOf(int deviceId) const {
    if (deviceId == WaveMapperId && deviceCount_ > 0)
        deviceId = 0;
    if (deviceId < 0 || deviceId >= deviceCount_)
        throw WaveDeviceError("The specified device identifier is out of range");
    return kind_ + " " + std::to_string(deviceId + 1);
}

bool VirtualDevice::TakesFormat(const WaveDeviceFormat& format) {
    return format.IsPcm() && (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           (format.channels == 1 || format.channels == 2) && format.samplesPerSec >= 4000 &&
           format.samplesPerSec <= 100000;
}

} // namespace corvane
