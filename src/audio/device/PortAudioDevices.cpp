#include "audio/device/PortAudioDevices.h"

#include "audio/device/PortAudioParameters.h"
#include "audio/device/PortAudioWaveStream.h"
#include "audio/device/QuietAudioLibraries.h"

#include <portaudio.h>

namespace corvane {

namespace {

// The device's high latency: the console keeps about 1.5 s queued itself,
// but that queue is only refilled (or, recording, emptied) when the main
// thread gets to it; the stream's own buffer must ride out a busy machine's
// scheduling delays, which the sound server's default (about 35 ms through
// ALSA) does not.
PaStreamParameters ParametersFor(PortAudioDirection direction, int paIndex, const WaveDeviceFormat& format,
                                 PaSampleFormat sampleFormat) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(paIndex);
    return StreamParametersFor(paIndex, format, sampleFormat,
                               direction == PortAudioDirection::Output ? info->defaultHighOutputLatency
                                                                       : info->defaultHighInputLatency);
}

} // namespace

PortAudioDevices::PortAudioDevices(PortAudioDirection direction) : direction_(direction) {
    QuietAudioLibraries();
    initialized_ = Pa_Initialize() == paNoError;
    if (!initialized_)
        return;
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info &&
            (direction_ == PortAudioDirection::Output ? info->maxOutputChannels : info->maxInputChannels) > 0)
            indexes_.push_back(i);
    }
}

PortAudioDevices::~PortAudioDevices() {
    if (initialized_)
        Pa_Terminate();
}

int PortAudioDevices::PortAudioIndex(int deviceId) const {
    if (deviceId == WaveMapperId && !indexes_.empty()) {
        const PaDeviceIndex index = direction_ == PortAudioDirection::Output ? Pa_GetDefaultOutputDevice()
                                                                             : Pa_GetDefaultInputDevice();
        return index == paNoDevice ? indexes_.front() : index;
    }
    if (deviceId < 0 || deviceId >= Count())
        throw WaveDeviceError("The specified device identifier is out of range");
    return indexes_[static_cast<size_t>(deviceId)];
}

std::string PortAudioDevices::ProductName(int deviceId) const {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(PortAudioIndex(deviceId));
    return info && info->name ? info->name : std::string();
}

bool PortAudioDevices::Supports(int deviceId, const WaveDeviceFormat& format) const {
    PaSampleFormat sampleFormat = 0;
    if (!SampleFormatFor(format, sampleFormat))
        return false;
    const PaStreamParameters p = ParametersFor(direction_, PortAudioIndex(deviceId), format, sampleFormat);
    const bool output = direction_ == PortAudioDirection::Output;
    return Pa_IsFormatSupported(output ? nullptr : &p, output ? &p : nullptr, format.samplesPerSec) ==
           paFormatIsSupported;
}

void* PortAudioDevices::OpenStream(int deviceId, const WaveDeviceFormat& format) const {
    PaSampleFormat sampleFormat = 0;
    if (!SampleFormatFor(format, sampleFormat))
        throw WaveDeviceError("Unsupported wave format");
    const PaStreamParameters p = ParametersFor(direction_, PortAudioIndex(deviceId), format, sampleFormat);
    const bool output = direction_ == PortAudioDirection::Output;
    PaStream* stream = nullptr;
    const PaError error =
        Pa_OpenStream(&stream, output ? nullptr : &p, output ? &p : nullptr, format.samplesPerSec,
                      paFramesPerBufferUnspecified, paClipOff, nullptr, nullptr);
    if (error != paNoError)
        throw WaveDeviceError(PortAudioErrorText(error));
    return stream;
}

} // namespace corvane
