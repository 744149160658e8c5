#pragma once

#include <string>

namespace corvane {

// The engine's string table: every message its components raise or show, in
// the engine's own wording. Device errors are composed as the failing call's
// name, ":\n\r", then the device's or the table's text (DeviceErrorText).
enum class MMString {
    ChangeWhileOpen,         // "Change to property while device was open"
    InvalidWaveFormat,       // "Invalid WaveFormat" (components that do sample arithmetic)
    InvalidWaveFormatDevice, // "Invalid wave format" (devices opened without a format)
    NotValidAudioFile,       // "This is not a valid Audiofile"
    UnableToConvert,         // "Unable to convert to destination format"
    UnableToLoad,            // "Unable to load" (followed by the library's name)
    InvalidMpegVersion,      // "Invalid Mpeg Decoder DLL version"
    ErrorReadingWave,        // "Error reading wave file"
    InvalidWaveFile,         // "Invalid wave file..."
    UnableToSetupIOBuffer,   // "Unable to setup file IO buffer"
    UnableToOpenWave,        // "Unable to open wave file"
    UnableToCreateWave,      // "Unable to create wave file"
    CantWriteMemoryWave,     // "Can't write to MemoryWave"
    ListIndexOutOfBounds,    // "List index out of bounds (%d)"
    NoWaveOutDevice,         // "No wave audio playing device found"
    NoWaveInDevice,          // "No wave audio recording device found"
    InvalidDeviceID,         // "Invalid DeviceID"
    DeviceCantPlayFormat,    // "The actual device can't play this format"
    DeviceCantRecordFormat,  // "The actual device can't record this format"
    UnableToOpenDevice,      // "Unable to open device"
    UnableToStartDevice,     // "Unable to start device"
    UnableToCloseDevice,     // "Unable to close device"
    UnableToAllocHeader,     // "Unable to allocate memory for wave header"
    UnableToFreeHeader,      // "Unable to free header memory"
    ErrorFillingBuffer,      // "Error filling wave buffer"
    CouldNotCreateThread,    // "Could not create thread"
    NotEnoughTimers,         // "Not enough timers available"
    UnableToOpenModule,      // "Unable to open Module"
    InvalidModuleIndex,      // "Invalid Module index"
    UnableToInitModule,      // "Unable to initialise Module"
    UnableToRestartModule,   // "Unable to restart Module"
};

// The text of one entry.
const char* LoadMMString(MMString id);

// "List index out of bounds (index)" and the like: the entry with its single
// %d replaced by `value`.
std::string FormatMMString(MMString id, long long value);

// A device error as the engine words it: "WaveOutOpen" + ":\n\r" + text.
std::string DeviceErrorText(const std::string& call, const std::string& text);

} // namespace corvane
