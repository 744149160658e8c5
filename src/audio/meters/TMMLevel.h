#pragma once

#include "audio/meters/MeterSmoothing.h"
#include "audio/meters/MeterTypes.h"

namespace corvane {

// The level meter's computation: turns chunks of played audio into a bar
// length in spots and a peak mark. The widget that shows it asks for Spots()
// and PeakSpot() when OnChange fires and draws the bar (or lets the console
// draw it). Main thread.
class TMMLevel final : public MeterDisplay {
public:
    TMMLevel();

    // Properties (defaults as a new meter has them).
    TMMBits BitLength = TMMBits::b8Bit;
    TMMMode Mode = TMMMode::mMono;
    TMMChannel Channel = TMMChannel::chBoth;
    int Samples = 50;    // frames per refresh, at least 1
    int Gain = 0;        // -8..32: the level is scaled by (Gain + 8) / 8
    int Sensitivy = -35; // dB at the bottom of the scale
    bool LogAmp = true;
    int DCOffsetL = 0, DCOffsetR = 0;
    bool Enabled = true;

    // Smoothing and peaks; call after changing them.
    void SetDecay(TMMDecayMode mode, int decay);
    void SetPeaks(int numPeaks, int peakDelay, int peakSpeed);
    // The bar's length in spots: its pixels / (SpotWidth + SpotSpace).
    void SetTotalSpots(int total);
    int TotalSpots() const { return totalSpots_; }

    std::function<void()> OnChange; // shown spots or peak changed: repaint
    std::function<void()> OnPcmOverflow;
    std::function<void()> OnGainOverflow;

    int Spots() const { return spots_; }
    int PeakSpot() const { return peak_.Peak(); }

    // Percent 0..100: writing feeds the level Value × 32767 / 100 through the
    // smoothing and spot rules (the progress gauge); reading converts back.
    void SetValue(int percent);
    int Value() const;

    // The 25 ms display tick: counts the peak hold down.
    void Tick();

    // The connector's contract.
    int RequiredBytes() const override;
    void SetPcmFormat(const WaveFormat& format) override;
    void RefreshPcmData(const unsigned char* data) override;
    void ResetData() override;

    // The level (0..32767) a chunk of Samples frames gives, DC offsets applied.
    int ChunkLevel(const unsigned char* data) const;
    // Spots for a level, with Gain, LogAmp and Sensitivy; fires OnGainOverflow
    // when it would exceed the bar.
    int LevelToSpots(int level);

private:
    void Show(int level);

    MeterSmoother smoother_;
    PeakHold peak_;
    int totalSpots_ = 0;
    int spots_ = 0;
};

} // namespace corvane
