#include "playout/SoundConfiguration.h"

#include "audio/output/TMMWaveOut.h"

#include <cstdio>

namespace corvane {

SoundConfiguration::Shown SoundConfiguration::Show() const {
    Shown shown;
    shown.buffers = output_.NumBuffers();
    shown.mode = PlaybackMode::Window;
    const int count = device_.DeviceCount();
    if (count <= 0)
        return shown;
    const auto name = [this](int id) {
        try {
            return device_.ProductName(id);
        } catch (const WaveDeviceError&) {
            return std::string();
        }
    };
    shown.devices.push_back(name(WaveMapperId));
    for (int id = 0; id < count; ++id)
        shown.devices.push_back(name(id));
    const int entry = output_.DeviceID() + 1;
    shown.selectedDevice = entry >= 0 && entry <= count ? entry : -1;
    return shown;
}

std::string SoundConfiguration::SizeLabel(int buffers) const {
    const int64_t total = static_cast<int64_t>(output_.GetBufferSize()) * buffers;
    std::string label = std::to_string(total / 1024) + " Kb";
    const WaveFormat* format = output_.GetWaveFormat();
    if (format && format->avgBytesPerSec > 0) {
        char seconds[64];
        std::snprintf(seconds, sizeof seconds, " - %.2f seconds",
                      static_cast<double>(total) / static_cast<double>(format->avgBytesPerSec));
        label += seconds;
    }
    return label;
}

void SoundConfiguration::Apply(int selectedDevice, int buffers, PlaybackMode mode) {
    output_.SetDeviceID(selectedDevice - 1);
    output_.SetNumBuffers(buffers);
    output_.SetCallBackMode(mode == PlaybackMode::Window   ? TMMCBMode::cmWindow
                            : mode == PlaybackMode::Thread ? TMMCBMode::cmThread
                                                           : TMMCBMode::cmCallback);
}

} // namespace corvane
