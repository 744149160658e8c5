#include "audio/device/PortAudioStreamThread.h"

#include "audio/device/PortAudioWaveStream.h"

#include <portaudio.h>
#include <string>
#include <system_error>

namespace corvane {

PortAudioStreamThread::PortAudioStreamThread(void* paStream, const std::function<void()>& loop)
    : stream_(paStream) {
    try {
        thread_ = std::thread(loop);
    } catch (const std::system_error& e) {
        Pa_CloseStream(stream_);
        throw WaveDeviceError(std::string("Could not create the device thread: ") + e.what());
    }
}

void PortAudioStreamThread::JoinAndClose() {
    if (thread_.joinable())
        thread_.join();
    const PaError error = Pa_CloseStream(stream_);
    if (error != paNoError)
        throw WaveDeviceError(PortAudioErrorText(error));
}

} // namespace corvane
