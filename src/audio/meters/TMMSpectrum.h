#pragma once

#include "audio/meters/MeterSmoothing.h"
#include "audio/meters/MeterTypes.h"
#include "audio/meters/RealFft.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corvane {

enum class TMMFFTWindow { fwRectangular, fwHamming, fwHanning, fwBlackman, fwGaussian, fwWelch, fwParzen };
enum class TMMSpectrumGain { sgNone, sg3db, sg6db, sg9db, sg12db };

// The spectrum display's computation with linear scales and bar kinds: one
// block of FFTLength frames becomes a list of bars, each with its columns, its
// length in spots and its peak mark. The widget draws the bars (or lets the
// console draw them). Main thread.
class TMMSpectrum final : public MeterDisplay {
public:
    struct Bar {
        int firstColumn = 0;          // first pixel column of the bar
        int nextColumn = 0;           // the next bar's first column
        int firstBin = 0, endBin = 0; // bins [firstBin, endBin) shown by the bar
        uint32_t scale = 0;           // S of the bar
        int value = 0;                // v, in pixels
        int spots = 0;
        PeakHold peak;
    };

    TMMSpectrum();

    // Properties (defaults as a new display has them); call Configure() after
    // changing any of them.
    int FFTLength = 128;
    int SampleRate = 11025;
    TMMMode Mode = TMMMode::mMono;
    TMMBits BitLength = TMMBits::b8Bit;
    TMMChannel Channel = TMMChannel::chBoth;
    TMMFFTWindow Window = TMMFFTWindow::fwHamming;
    TMMSpectrumGain Gain = TMMSpectrumGain::sgNone;
    int RefFreq = 1000;
    int VerticalScale = 100;
    int FrequencyScale = 1;
    TMMDecayMode DecayMode = TMMDecayMode::dmNone;
    int Decay = 1;
    int NumPeaks = 1, PeakDelay = 20, PeakSpeed = 0;
    int SpotHeight = 1, SpotSpace = 1;
    bool DrawsBarsItself = false; // false when the owner draws (OnDrawBar assigned): spots are pixels
    bool Enabled = true;
    int Width = 128, Height = 25; // the bar area in pixels

    void Configure();

    std::function<void()> OnChange; // bars changed: repaint
    std::function<void()> OnPcmOverflow;
    std::function<void()> OnGainOverflow;

    // FFTLength and FrequencyScale as used: limited and rounded down to powers of two.
    int EffectiveFFTLength() const { return n_; }
    int EffectiveFrequencyScale() const { return frequencyScale_; }
    int ScaleShift() const { return shift_; }
    const std::vector<Bar>& Bars() const { return bars_; }
    // Bin values after smoothing, for inspection.
    const std::vector<int>& BinValues() const { return shown_; }

    void Tick();

    // Spots a bar of v pixels shows: pixels when the owner draws, else spots
    // of SpotHeight + SpotSpace.
    int SpotsForValue(int v) const;

    int RequiredBytes() const override;
    void SetPcmFormat(const WaveFormat& format) override;
    void RefreshPcmData(const unsigned char* data) override;
    void ResetData() override;

private:
    int BinOfColumn(int x) const;

    int n_ = 128;
    int frequencyScale_ = 1;
    int shift_ = 4;
    std::vector<int> window_;
    std::unique_ptr<RealFft> fft_;
    std::vector<double> samples_;
    std::vector<std::complex<double>> bins_;
    std::vector<MeterSmoother> smoothers_;
    std::vector<int> shown_;
    std::vector<Bar> bars_;
};

} // namespace corvane
