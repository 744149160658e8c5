#include "audio/device/PortAudioWaveInDevice.h"

#include "audio/device/PortAudioParameters.h"
#include "audio/device/PortAudioWaveInStream.h"
#include "audio/device/PortAudioWaveStream.h"
#include "audio/device/QuietAudioLibraries.h"

namespace corvane {
namespace {

PaStreamParameters ParametersFor(int paIndex, const WaveDeviceFormat& format, PaSampleFormat sampleFormat) {
    return StreamParametersFor(paIndex, format, sampleFormat,
                               Pa_GetDeviceInfo(paIndex)->defaultHighInputLatency);
}

} // namespace

PortAudioWaveInDevice::PortAudioWaveInDevice() {
    // Without a working PortAudio there is simply no device; the wave input
    // reports that in its own words.
    QuietAudioLibraries();
    initialized_ = Pa_Initialize() == paNoError;
    if (!initialized_)
        return;
    const int count = Pa_GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && info->maxInputChannels > 0)
            inputs_.push_back(i);
    }
}

PortAudioWaveInDevice::~PortAudioWaveInDevice() {
    if (initialized_)
        Pa_Terminate();
}

int PortAudioWaveInDevice::DeviceCount() const {
    return static_cast<int>(inputs_.size());
}

int PortAudioWaveInDevice::PortAudioIndex(int deviceId) const {
    if (deviceId == WaveMapperId && !inputs_.empty()) {
        const PaDeviceIndex index = Pa_GetDefaultInputDevice();
        return index == paNoDevice ? inputs_.front() : index;
    }
    if (deviceId < 0 || deviceId >= DeviceCount())
        throw WaveDeviceError("The specified device identifier is out of range");
    return inputs_[static_cast<size_t>(deviceId)];
}

std::string PortAudioWaveInDevice::ProductName(int deviceId) const {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(PortAudioIndex(deviceId));
    return info && info->name ? info->name : std::string();
}

uint32_t PortAudioWaveInDevice::StandardFormats(int deviceId) const {
    PortAudioIndex(deviceId); // unknown ids fail here
    static constexpr uint32_t Rates[] = {11025, 22050, 44100};
    uint32_t bits = 0;
    for (const uint32_t rate : Rates)
        for (const uint16_t width : {uint16_t{8}, uint16_t{16}})
            for (const uint16_t channels : {uint16_t{1}, uint16_t{2}}) {
                const WaveDeviceFormat f{1, channels, rate, width};
                if (CanRecord(deviceId, f))
                    bits |= StandardFormatBit(f);
            }
    return bits;
}

bool PortAudioWaveInDevice::CanRecord(int deviceId, const WaveDeviceFormat& format) const {
    PaSampleFormat sampleFormat = 0;
    if (!SampleFormatFor(format, sampleFormat))
        return false;
    const PaStreamParameters p = ParametersFor(PortAudioIndex(deviceId), format, sampleFormat);
    return Pa_IsFormatSupported(&p, nullptr, format.samplesPerSec) == paFormatIsSupported;
}

std::unique_ptr<WaveInStream> PortAudioWaveInDevice::Open(int deviceId, const WaveDeviceFormat& format,
                                                          WaveInDone onDone) {
    PaSampleFormat sampleFormat = 0;
    if (!SampleFormatFor(format, sampleFormat))
        throw WaveDeviceError("Unsupported wave format");
    const PaStreamParameters p = ParametersFor(PortAudioIndex(deviceId), format, sampleFormat);
    PaStream* stream = nullptr;
    const PaError error = Pa_OpenStream(&stream, &p, nullptr, format.samplesPerSec,
                                        paFramesPerBufferUnspecified, paClipOff, nullptr, nullptr);
    if (error != paNoError)
        throw WaveDeviceError(PortAudioErrorText(error));
    return std::make_unique<PortAudioWaveInStream>(stream, format, std::move(onDone));
}

} // namespace corvane
