#include "audio/meters/ConsoleMeterSettings.h"

namespace corvane {

void ApplyConsoleLevelSettings(TMMLevel& meter, TMMChannel channel) {
    meter.Channel = channel;
    meter.Mode = TMMMode::mStereo;
    meter.BitLength = TMMBits::b16Bit;
    meter.Samples = 250;
    meter.SetPeaks(2, 20, 1);
    meter.SetDecay(TMMDecayMode::dmStepUp, 7);
}

void ApplyConsoleSpectrumSettings(TMMSpectrum& spectrum) {
    spectrum.Width = 128;
    spectrum.Height = 25;
    spectrum.Mode = TMMMode::mStereo;
    spectrum.BitLength = TMMBits::b16Bit;
    spectrum.SampleRate = 44100;
    spectrum.Gain = TMMSpectrumGain::sg3db;
    spectrum.FFTLength = 64;
    spectrum.DecayMode = TMMDecayMode::dmStepUp;
    spectrum.Decay = 6;
    spectrum.VerticalScale = 20;
    spectrum.FrequencyScale = 2;
    spectrum.PeakSpeed = 1;
    spectrum.DrawsBarsItself = false;
    spectrum.Configure();
}

} // namespace corvane
