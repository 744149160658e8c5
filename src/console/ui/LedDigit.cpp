#include "console/ui/LedDigit.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace corvane {
namespace {

// Segments a..g lit for each digit, bit 0 = a (top), clockwise, g the middle.
constexpr std::array<uint8_t, 10> SegmentsOfDigit = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                     0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// A segment as a hexagon from `from` to `to` (both on its centre line), `thick` wide.
QPainterPath Segment(QPointF from, QPointF to, qreal thick) {
    const qreal h = thick / 2;
    QPainterPath path;
    if (from.y() == to.y()) {
        path.moveTo(from.x(), from.y());
        path.lineTo(from.x() + h, from.y() - h);
        path.lineTo(to.x() - h, to.y() - h);
        path.lineTo(to.x(), to.y());
        path.lineTo(to.x() - h, to.y() + h);
        path.lineTo(from.x() + h, from.y() + h);
    } else {
        path.moveTo(from.x(), from.y());
        path.lineTo(from.x() + h, from.y() + h);
        path.lineTo(to.x() + h, to.y() - h);
        path.lineTo(to.x(), to.y());
        path.lineTo(to.x() - h, to.y() - h);
        path.lineTo(from.x() - h, from.y() + h);
    }
    path.closeSubpath();
    return path;
}

QColor Dimmed(const QColor& colour, int percent) {
    return QColor(colour.red() * percent / 100, colour.green() * percent / 100,
                  colour.blue() * percent / 100);
}

} // namespace

LedDigit::LedDigit(const QString& name, QColor colour, Face face, QWidget* parent)
    : QWidget(parent), colour_(colour), face_(face) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LedDigit::SetValue(int value) {
    if (value == value_)
        return;
    value_ = value;
    update();
}

void LedDigit::SetColour(QColor colour) {
    if (colour == colour_)
        return;
    colour_ = colour;
    update();
}

QSize LedDigit::sizeHint() const {
    return face_ == Face::Colon ? QSize(8, 28) : QSize(18, 28);
}

void LedDigit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor lit = isEnabled() ? colour_ : Dimmed(colour_, 30);
    const QColor unlit = Dimmed(colour_, 12);
    const qreal w = width(), h = height();
    if (face_ == Face::Colon) {
        const qreal dot = std::max<qreal>(2, w / 3);
        painter.setBrush(lit);
        painter.drawRect(QRectF((w - dot) / 2, h * 0.32 - dot / 2, dot, dot));
        painter.drawRect(QRectF((w - dot) / 2, h * 0.68 - dot / 2, dot, dot));
        return;
    }
    const qreal thick = std::max<qreal>(2, w / 6);
    const qreal gap = thick / 4;
    const qreal left = thick * 0.8, right = w - thick * 0.8;
    const qreal top = thick * 0.8, bottom = h - thick * 0.8, middle = h / 2;
    const std::array<QPainterPath, 7> segments = {
        Segment({left + gap, top}, {right - gap, top}, thick),        // a
        Segment({right, top + gap}, {right, middle - gap}, thick),    // b
        Segment({right, middle + gap}, {right, bottom - gap}, thick), // c
        Segment({left + gap, bottom}, {right - gap, bottom}, thick),  // d
        Segment({left, middle + gap}, {left, bottom - gap}, thick),   // e
        Segment({left, top + gap}, {left, middle - gap}, thick),      // f
        Segment({left + gap, middle}, {right - gap, middle}, thick),  // g
    };
    const uint8_t on = value_ >= 0 && value_ <= 9 ? SegmentsOfDigit[static_cast<size_t>(value_)] : 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        painter.setBrush((on >> i) & 1 ? lit : unlit);
        painter.drawPath(segments[i]);
    }
}

void SetLedPair(LedDigit& tens, LedDigit& units, int value) {
    tens.SetValue(value / 10 % 10);
    units.SetValue(value % 10);
}

} // namespace corvane
