#pragma once

#include "settings/CorvaneSettings.h"

#include <string>

namespace corvane {

// What the Properties dialog shows and the operator confirms: the check
// boxes and the texts of its edits, before any conversion.
struct PropertiesValues {
    bool autoLoadLastSchedule = false;
    bool autoStartSchedule = false;
    bool useInternalPreviewer = true; // the inverse of ExternalAudioPreviewer
    bool statisticsTracking = true;
    std::string audioRack;
    bool loopScheduleContinuously = false;
    bool attemptResumeOnAudioError = true;
    std::string fadeOut;
    std::string fadeIn;
    std::string fadeOutCommercial;
    bool autoGetCommercials = true;
    bool autoCrossFade = false;
    bool displayClock = true;
    std::string previewDevice; // "" for the system's default output

    // The values the dialog opens with: the in-memory settings and the rack
    // file the audio rack holds.
    static PropertiesValues FromSettings(const CorvaneSettings& settings, const std::string& currentRackFile);
};

// The fade edits take typed digits only; every other typed character,
// control characters included, is discarded.
inline bool FadeEditAccepts(char typed) {
    return typed >= '0' && typed <= '9';
}

} // namespace corvane
