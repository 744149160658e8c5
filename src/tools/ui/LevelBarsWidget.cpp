#include "tools/ui/LevelBarsWidget.h"

#include "audio/meters/TMMLevel.h"

#include <QPainter>
#include <algorithm>

namespace corvane {

LevelBarsWidget::LevelBarsWidget(const QString& name, TMMLevel& level, QWidget* parent)
    : QWidget(parent), level_(level) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(60, 8);
    level_.OnChange = [this] { update(); };
}

LevelBarsWidget::~LevelBarsWidget() {
    level_.OnChange = nullptr;
}

void LevelBarsWidget::resizeEvent(QResizeEvent*) {
    level_.SetTotalSpots(width() / SpotPitch);
}

void LevelBarsWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int spots = std::max(level_.TotalSpots(), 1);
    const auto drawSpot = [&](int spot) {
        const int percent = spot * 100 / spots;
        const QColor colour = percent >= RedAt      ? QColor(255, 40, 30)
                              : percent >= YellowAt ? QColor(255, 210, 0)
                                                    : QColor(0, 230, 60);
        painter.fillRect((spot - 1) * SpotPitch, 0, SpotPitch - 1, height(), colour);
    };
    for (int spot = 1; spot <= level_.Spots(); ++spot)
        drawSpot(spot);
    if (level_.PeakSpot() > level_.Spots())
        drawSpot(level_.PeakSpot());
}

} // namespace corvane
