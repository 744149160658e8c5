#include "audio/device/PortAudioWaveDevice.h"

#include "audio/device/PortAudioParameters.h"
#include "audio/device/PortAudioWaveStream.h"
#include "audio/device/QuietAudioLibraries.h"

namespace corvane {
namespace {

// The console keeps about 1.5 s queued itself, but that queue is only
// refilled when the main thread gets to it; the stream's own buffer must ride
// out a busy machine's scheduling delays, which the sound server's default
// (about 35 ms through ALSA) does not.
PaStreamParameters ParametersFor(int paIndex, const WaveDeviceFormat& format, PaSampleFormat sampleFormat) {
    return StreamParametersFor(paIndex, format, sampleFormat,
                               Pa_GetDeviceInfo(paIndex)->defaultHighOutputLatency);
}

} // namespace

PortAudioWaveDevice::PortAudioWaveDevice(Dispatcher& dispatcher) : dispatcher_(dispatcher) {
    // Without a working PortAudio there is simply no device; the wave output
    // reports that in its own words.
    QuietAudioLibraries();
    initialized_ = Pa_Initialize() == paNoError;
    if (!initialized_)
        return;
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && info->maxOutputChannels > 0)
            outputs_.push_back(i);
    }
}

PortAudioWaveDevice::~PortAudioWaveDevice() {
    if (initialized_)
        Pa_Terminate();
}

int PortAudioWaveDevice::DeviceCount() const {
    return static_cast<int>(outputs_.size());
}

int PortAudioWaveDevice::PortAudioIndex(int deviceId) const {
    if (deviceId == WaveMapperId && !outputs_.empty()) {
        const PaDeviceIndex index = Pa_GetDefaultOutputDevice();
        return index == paNoDevice ? outputs_.front() : index;
    }
    if (deviceId < 0 || deviceId >= DeviceCount())
        throw WaveDeviceError("The specified device identifier is out of range");
    return outputs_[static_cast<size_t>(deviceId)];
}

std::string PortAudioWaveDevice::ProductName(int deviceId) const {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(PortAudioIndex(deviceId));
    return info && info->name ? info->name : std::string();
}

bool PortAudioWaveDevice::CanPlay(int deviceId, const WaveDeviceFormat& format) const {
    PaSampleFormat sampleFormat = 0;
    if (!SampleFormatFor(format, sampleFormat))
        return false;
    const PaStreamParameters p = ParametersFor(PortAudioIndex(deviceId), format, sampleFormat);
    return Pa_IsFormatSupported(nullptr, &p, format.samplesPerSec) == paFormatIsSupported;
}

std::unique_ptr<WaveDeviceStream> PortAudioWaveDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                            WaveDeviceDone onDone) {
    PaSampleFormat sampleFormat = 0;
    if (!SampleFormatFor(format, sampleFormat))
        throw WaveDeviceError("Unsupported wave format");
    const PaStreamParameters p = ParametersFor(PortAudioIndex(deviceId), format, sampleFormat);
    PaStream* stream = nullptr;
    const PaError error = Pa_OpenStream(&stream, nullptr, &p, format.samplesPerSec,
                                        paFramesPerBufferUnspecified, paClipOff, nullptr, nullptr);
    if (error != paNoError)
        throw WaveDeviceError(PortAudioErrorText(error));
    return std::make_unique<PortAudioWaveStream>(stream, format, dispatcher_, std::move(onDone));
}

} // namespace corvane
