#pragma once

#include "settings/CorvaneSettings.h"

#include <optional>
#include <string>

namespace corvane {

// The Loudness page: the loudness and cue point settings of the audio
// section as they stand (numbers in LUFS, dBTP, dBFS and LU).
struct LoudnessValues {
    bool normalise = false;
    double target = -23;
    double truePeakCeiling = -1;
    // None: as the titles' target.
    std::optional<double> commercialTarget;
    std::optional<double> cartTarget;
    bool useCuePoints = false;
    double cueLevel = -40;
    double segueLevel = -15;
    friend bool operator==(const LoudnessValues&, const LoudnessValues&) = default;
};

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
    LoudnessValues loudness;

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
