#pragma once

#include "audio/meters/TMMLevel.h"
#include "audio/meters/TMMSpectrum.h"

#include <QWidget>
#include <functional>

namespace corvane {

// Draws one bar of a meter: the bar's rectangle, its lit spots and its peak
// spot. The console assigns it and draws from its bar bitmaps.
using DrawBarEvent = std::function<void(QPainter& painter, const QRect& bar, int spots, int peak)>;

// A horizontal level meter (MMLevel1, MMLevel2) over its computation: the
// bar's length in spots follows the widget's width, one spot every
// SpotPitch pixels. Repaints only when the computation reports a change.
class LevelMeterWidget final : public QWidget {
    Q_OBJECT
public:
    static constexpr int SpotPitch = 3; // 2 pixels lit, 1 gap

    LevelMeterWidget(const QString& name, QWidget* parent);

    TMMLevel& Meter() { return level_; }
    DrawBarEvent OnDrawBar;

    QSize sizeHint() const override { return {240, 12}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TMMLevel level_;
};

// The spectrum display (MMSpectrum1): its computation keeps its own bar area
// (128 × 25 for the console), which the widget draws stretched to its size.
class SpectrumWidget final : public QWidget {
    Q_OBJECT
public:
    SpectrumWidget(const QString& name, QWidget* parent);

    TMMSpectrum& Spectrum() { return spectrum_; }
    // Called per bar in the computation's coordinates; the painter is scaled.
    DrawBarEvent OnDrawBar;

    QSize sizeHint() const override { return {256, 75}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TMMSpectrum spectrum_;
};

// The dB scale under the level meters (MMLevelScale1): ticks from the
// meters' sensitivity up to 0 dB, lined up with their spots.
class DbScaleWidget final : public QWidget {
    Q_OBJECT
public:
    DbScaleWidget(const QString& name, int sensitivity, QWidget* parent);
    QSize sizeHint() const override { return {240, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int sensitivity_;
};

} // namespace corvane
