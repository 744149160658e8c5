#include "audio/chain/MMStrings.h"

namespace corvane {

const char* LoadMMString(MMString id) {
    switch (id) {
    case MMString::ChangeWhileOpen:
        return "Change to property while device was open";
    case MMString::InvalidWaveFormat:
        return "Invalid WaveFormat";
    case MMString::InvalidWaveFormatDevice:
        return "Invalid wave format";
    case MMString::NotValidAudioFile:
        return "This is not a valid Audiofile";
    case MMString::UnableToConvert:
        return "Unable to convert to destination format";
    case MMString::UnableToLoad:
        return "Unable to load";
    case MMString::InvalidMpegVersion:
        return "Invalid Mpeg Decoder DLL version";
    case MMString::ErrorReadingWave:
        return "Error reading wave file";
    case MMString::InvalidWaveFile:
        return "Invalid wave file...";
    case MMString::UnableToSetupIOBuffer:
        return "Unable to setup file IO buffer";
    case MMString::UnableToOpenWave:
        return "Unable to open wave file";
    case MMString::UnableToCreateWave:
        return "Unable to create wave file";
    case MMString::CantWriteMemoryWave:
        return "Can't write to MemoryWave";
    case MMString::ListIndexOutOfBounds:
        return "List index out of bounds (%d)";
    case MMString::NoWaveOutDevice:
        return "No wave audio playing device found";
    case MMString::NoWaveInDevice:
        return "No wave audio recording device found";
    case MMString::InvalidDeviceID:
        return "Invalid DeviceID";
    case MMString::DeviceCantPlayFormat:
        return "The actual device can't play this format";
    case MMString::DeviceCantRecordFormat:
        return "The actual device can't record this format";
    case MMString::UnableToOpenDevice:
        return "Unable to open device";
    case MMString::UnableToStartDevice:
        return "Unable to start device";
    case MMString::UnableToCloseDevice:
        return "Unable to close device";
    case MMString::UnableToAllocHeader:
        return "Unable to allocate memory for wave header";
    case MMString::UnableToFreeHeader:
        return "Unable to free header memory";
    case MMString::ErrorFillingBuffer:
        return "Error filling wave buffer";
    case MMString::CouldNotCreateThread:
        return "Could not create thread";
    case MMString::NotEnoughTimers:
        return "Not enough timers available";
    case MMString::UnableToOpenModule:
        return "Unable to open Module";
    case MMString::InvalidModuleIndex:
        return "Invalid Module index";
    case MMString::UnableToInitModule:
        return "Unable to initialise Module";
    case MMString::UnableToRestartModule:
        return "Unable to restart Module";
    }
    return "";
}

std::string FormatMMString(MMString id, long long value) {
    std::string text = LoadMMString(id);
    const auto at = text.find("%d");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(value));
    return text;
}

std::string DeviceErrorText(const std::string& call, const std::string& text) {
    return call + ":\n\r" + text;
}

} // namespace corvane
