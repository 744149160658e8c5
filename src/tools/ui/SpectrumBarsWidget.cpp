#include "tools/ui/SpectrumBarsWidget.h"

#include "audio/meters/TMMSpectrum.h"

#include <QPainter>
#include <algorithm>

namespace corvane {

SpectrumBarsWidget::SpectrumBarsWidget(const QString& name, TMMSpectrum& spectrum, QWidget* parent)
    : QWidget(parent), spectrum_(spectrum) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(spectrum_.Width, spectrum_.Height);
    spectrum_.OnChange = [this] { update(); };
}

SpectrumBarsWidget::~SpectrumBarsWidget() {
    spectrum_.OnChange = nullptr;
}

QSize SpectrumBarsWidget::sizeHint() const {
    return {2 * spectrum_.Width, 2 * spectrum_.Height};
}

void SpectrumBarsWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.scale(static_cast<qreal>(width()) / spectrum_.Width,
                  static_cast<qreal>(height()) / spectrum_.Height);
    const int pitch = spectrum_.SpotHeight + spectrum_.SpotSpace;
    const int spots = std::max((spectrum_.Height + spectrum_.SpotSpace) / pitch, 1);
    const auto colourOf = [&](int spot) {
        if (spot * 100 <= Point1 * spots)
            return QColor(0, 220, 0);
        return spot * 100 <= Point2 * spots ? QColor(240, 220, 0) : QColor(240, 40, 30);
    };
    const auto drawSpot = [&](const TMMSpectrum::Bar& bar, int spot) {
        // Spot 1 sits on the bottom edge.
        const int top = spectrum_.Height - spot * pitch + spectrum_.SpotSpace;
        painter.fillRect(QRect(bar.firstColumn, top, std::max(bar.nextColumn - bar.firstColumn - 1, 1),
                               spectrum_.SpotHeight),
                         colourOf(spot));
    };
    for (const TMMSpectrum::Bar& bar : spectrum_.Bars()) {
        for (int spot = 1; spot <= bar.spots; ++spot)
            drawSpot(bar, spot);
        if (spectrum_.NumPeaks > 0 && bar.peak.Peak() > bar.spots)
            for (int spot = std::max(bar.peak.Peak() - spectrum_.NumPeaks + 1, bar.spots + 1);
                 spot <= bar.peak.Peak(); ++spot)
                drawSpot(bar, spot);
    }
}

} // namespace corvane
