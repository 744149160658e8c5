#pragma once

#include "console/ui/LedDigit.h"
#include "console/ui/MeterWidgets.h"
#include "platform/Timer.h"

#include <QPixmap>
#include <QWidget>
#include <memory>

namespace corvane {

// The display panel of the "Visuals" page: the left and right level meters
// with their dB scale, the spectrum and the small remaining-time digits, on
// black. The console draws the meters' lit spots by copying from its bar
// bitmaps (BM_BAR1 for the level meters, BM_BAR2 for the spectrum), each with
// a peak mark. A 25 ms display timer counts the peak holds down. Main thread.
class ConsoleMeterPanel final : public QWidget {
    Q_OBJECT
public:
    struct SmallDigits {
        LedDigit *mm2, *mm1, *colon, *ss2, *ss1;
    };

    ConsoleMeterPanel(TimerFactory& timers, QWidget* parent);
    ~ConsoleMeterPanel() override;

    TMMLevel& MMLevel1() { return level1_->Meter(); }
    TMMLevel& MMLevel2() { return level2_->Meter(); }
    TMMSpectrum& MMSpectrum1() { return spectrum_->Spectrum(); }
    const SmallDigits& Digits() const { return digits_; }
    // Clears the meters and the spectrum (the output stopped).
    void ResetMeters();

private:
    void DrawLevelBar(QPainter& painter, const QRect& bar, int spots, int peak);
    void DrawSpectrumBar(QPainter& painter, const QRect& bar, int spots, int peak) const;
    void TickPeaks();

    LevelMeterWidget* level1_ = nullptr;
    LevelMeterWidget* level2_ = nullptr;
    SpectrumWidget* spectrum_ = nullptr;
    SmallDigits digits_{};
    QPixmap BM_BAR1; // made at the meters' length when first drawn
    QPixmap BM_BAR2;
    std::unique_ptr<Timer> peakTimer_;
};

} // namespace corvane
