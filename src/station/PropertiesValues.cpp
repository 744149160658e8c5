#include "station/PropertiesValues.h"

namespace corvane {

PropertiesValues PropertiesValues::FromSettings(const CorvaneSettings& s,
                                                const std::string& currentRackFile) {
    PropertiesValues v;
    v.autoLoadLastSchedule = s.AutoLoadLastSchedule;
    v.autoStartSchedule = s.AutoStartSchedule;
    v.useInternalPreviewer = !s.ExternalAudioPreviewer;
    v.statisticsTracking = s.StatisticsTracking;
    v.audioRack = currentRackFile;
    v.loopScheduleContinuously = s.LoopScheduleContinuously;
    v.attemptResumeOnAudioError = s.AttemptResumeOnAudioError;
    v.fadeOut = std::to_string(s.FadeOutDefault);
    v.fadeIn = std::to_string(s.FadeInDefault);
    v.fadeOutCommercial = std::to_string(s.FadeOutCommercial);
    v.autoGetCommercials = s.AutoGetCommercials;
    v.autoCrossFade = s.AutoCrossFade;
    v.displayClock = s.DisplayClock;
    v.previewDevice = s.PreviewDevice;
    v.loudness = {s.LoudnessNormalise,  s.LoudnessTarget, s.TruePeakCeiling, s.CommercialLoudnessTarget,
                  s.CartLoudnessTarget, s.UseCuePoints,   s.CueLevel,        s.SegueLevel};
    return v;
}

} // namespace corvane
