#include "console/ui/MeterWidgets.h"

#include <QPainter>

namespace corvane {

LevelMeterWidget::LevelMeterWidget(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(60, 8);
    level_.OnChange = [this] { update(); };
}

void LevelMeterWidget::resizeEvent(QResizeEvent*) {
    level_.SetTotalSpots(width() / SpotPitch);
}

void LevelMeterWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (OnDrawBar)
        OnDrawBar(painter, rect(), level_.Spots(), level_.PeakSpot());
}

SpectrumWidget::SpectrumWidget(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(128, 25);
    spectrum_.OnChange = [this] { update(); };
}

void SpectrumWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!OnDrawBar)
        return;
    painter.scale(static_cast<qreal>(width()) / spectrum_.Width,
                  static_cast<qreal>(height()) / spectrum_.Height);
    for (const TMMSpectrum::Bar& bar : spectrum_.Bars())
        OnDrawBar(painter, QRect(bar.firstColumn, 0, bar.nextColumn - bar.firstColumn, spectrum_.Height),
                  bar.spots, bar.peak.Peak());
}

DbScaleWidget::DbScaleWidget(const QString& name, int sensitivity, QWidget* parent)
    : QWidget(parent), sensitivity_(sensitivity) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(14);
}

void DbScaleWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    // The same spot grid as the meters above, so the ticks fall on their spots.
    const int spots = width() / LevelMeterWidget::SpotPitch;
    for (int dB = sensitivity_; dB <= 0; dB += 5) {
        const int x = (dB - sensitivity_) * spots / -sensitivity_ * LevelMeterWidget::SpotPitch;
        painter.setPen(dB >= -5 ? QColor(255, 90, 60) : QColor(150, 150, 150));
        painter.drawLine(x, 0, x, 3);
        const QString label = QString::number(dB);
        const int textWidth = painter.fontMetrics().horizontalAdvance(label);
        const int left = std::clamp(x - textWidth / 2, 0, width() - textWidth);
        painter.drawText(QRect(left, 3, textWidth, height() - 3), Qt::AlignHCenter | Qt::AlignTop, label);
    }
}

} // namespace corvane
