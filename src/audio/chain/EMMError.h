#pragma once

#include "audio/chain/MMStrings.h"

#include <stdexcept>
#include <string>

namespace corvane {

// The engine's error base: every component raises its own class derived from
// it, with a text from the engine's string table or a device's own text.
class EMMError : public std::runtime_error {
public:
    explicit EMMError(const std::string& message) : std::runtime_error(message) {}
    explicit EMMError(MMString id) : std::runtime_error(LoadMMString(id)) {}
};

#define CORVANE_MM_ERROR(Name)                                                                               \
    class Name : public EMMError {                                                                           \
    public:                                                                                                  \
        using EMMError::EMMError;                                                                            \
    }

CORVANE_MM_ERROR(EMMAudioError);     // audio file decks
CORVANE_MM_ERROR(EMMWaveError);      // the wave file object
CORVANE_MM_ERROR(EMMMpegError);      // MPEG decoder and reader
CORVANE_MM_ERROR(EMMConverterError); // conversion to PCM
CORVANE_MM_ERROR(EMMADPCMError);     // the ADPCM decoder
CORVANE_MM_ERROR(EMMWaveMixerError);
CORVANE_MM_ERROR(EMMVolumeError);
CORVANE_MM_ERROR(EMMConnectorError);
CORVANE_MM_ERROR(EMMWaveOutError);
CORVANE_MM_ERROR(EMMWaveInError);
CORVANE_MM_ERROR(EMMHiTimerError);
CORVANE_MM_ERROR(EMMBufferError); // the ring buffer
CORVANE_MM_ERROR(EMMPlugInError);

#undef CORVANE_MM_ERROR

// A platform resource ran out (for example no timer could be created).
class EOutOfResources : public std::runtime_error {
public:
    explicit EOutOfResources(const std::string& message) : std::runtime_error(message) {}
    explicit EOutOfResources(MMString id) : std::runtime_error(LoadMMString(id)) {}
};

} // namespace corvane
