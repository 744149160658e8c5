#include "console/ui/ConsoleMeterPanel.h"

#include "audio/meters/ConsoleMeterSettings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace corvane {
namespace {

constexpr int PeakTickMs = 25;
// Percent of a bar where yellow and red begin.
constexpr int LevelYellowAt = 50, LevelRedAt = 85;
constexpr int SpectrumYellowAt = 50, SpectrumRedAt = 75;
const QColor Green(0, 230, 60), Yellow(255, 210, 0), Red(255, 40, 30);

QColor ColourAt(int percent, int yellowAt, int redAt) {
    return percent >= redAt ? Red : percent >= yellowAt ? Yellow : Green;
}

// The level meters' bitmap: a full bar of spots `length` pixels long, green,
// yellow, then red.
QPixmap LevelBarBitmap(int length) {
    constexpr int height = 16;
    QPixmap pixmap(std::max(length, 1), height);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    const int spots = length / LevelMeterWidget::SpotPitch;
    for (int i = 0; i < spots; ++i)
        painter.fillRect(i * LevelMeterWidget::SpotPitch, 0, LevelMeterWidget::SpotPitch - 1, height,
                         ColourAt((i + 1) * 100 / spots, LevelYellowAt, LevelRedAt));
    return pixmap;
}

// The spectrum's bitmap: one column per pixel of bar height, red at the top.
QPixmap SpectrumBarBitmap(int barHeight) {
    QPixmap pixmap(1, barHeight);
    QPainter painter(&pixmap);
    for (int y = 0; y < barHeight; ++y)
        painter.fillRect(0, y, 1, 1,
                         ColourAt((barHeight - y) * 100 / barHeight, SpectrumYellowAt, SpectrumRedAt));
    return pixmap;
}

QLabel* ChannelLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet("QLabel { color: #A0A0A0; background: black; font-size: 9px; font-weight: bold; }");
    return label;
}

} // namespace

ConsoleMeterPanel::ConsoleMeterPanel(TimerFactory& timers, QWidget* parent)
    : QWidget(parent), peakTimer_(timers.CreateTimer("MeterPeakTimer", PeakTickMs)) {
    setObjectName("pnlDisplay");
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);

    level1_ = new LevelMeterWidget("MMLevel1", this);
    level2_ = new LevelMeterWidget("MMLevel2", this);
    spectrum_ = new SpectrumWidget("MMSpectrum1", this);
    ApplyConsoleLevelSettings(MMLevel1(), TMMChannel::chLeft);
    ApplyConsoleLevelSettings(MMLevel2(), TMMChannel::chRight);
    ApplyConsoleSpectrumSettings(MMSpectrum1());
    BM_BAR2 = SpectrumBarBitmap(MMSpectrum1().Height);
    for (LevelMeterWidget* level : {level1_, level2_})
        level->OnDrawBar = [this](QPainter& p, const QRect& bar, int spots, int peak) {
            DrawLevelBar(p, bar, spots, peak);
        };
    spectrum_->OnDrawBar = [this](QPainter& p, const QRect& bar, int spots, int peak) {
        DrawSpectrumBar(p, bar, spots, peak);
    };

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 8, 4);
    layout->setSpacing(8);
    auto* meters = new QGridLayout;
    meters->setSpacing(2);
    meters->addWidget(ChannelLabel("L", this), 0, 0);
    meters->addWidget(level1_, 0, 1);
    meters->addWidget(ChannelLabel("R", this), 1, 0);
    meters->addWidget(level2_, 1, 1);
    meters->addWidget(new DbScaleWidget("MMLevelScale1", MMLevel1().Sensitivy, this), 2, 1);
    meters->setColumnStretch(1, 1);
    layout->addLayout(meters, 1);
    spectrum_->setFixedSize(2 * MMSpectrum1().Width, 2 * MMSpectrum1().Height);
    layout->addWidget(spectrum_);

    auto* digits = new QHBoxLayout;
    digits->setSpacing(1);
    const QColor green(0, 255, 0);
    const auto digit = [&](const char* name, LedDigit::Face face) {
        auto* led = new LedDigit(name, green, face, this);
        led->setFixedSize(face == LedDigit::Face::Colon ? QSize(6, 24) : QSize(14, 24));
        // Dim until the first item is shown.
        led->setEnabled(false);
        digits->addWidget(led);
        return led;
    };
    digits_.mm2 = digit("mm2", LedDigit::Face::Digit);
    digits_.mm1 = digit("mm1", LedDigit::Face::Digit);
    digits_.colon = digit("SmallColon", LedDigit::Face::Colon);
    digits_.ss2 = digit("ss2", LedDigit::Face::Digit);
    digits_.ss1 = digit("ss1", LedDigit::Face::Digit);
    layout->addLayout(digits);

    setFixedHeight(2 * MMSpectrum1().Height + 8);
    peakTimer_->SetOnTimer([this] { TickPeaks(); });
    peakTimer_->SetEnabled(true);
}

ConsoleMeterPanel::~ConsoleMeterPanel() {
    peakTimer_->SetEnabled(false);
}

void ConsoleMeterPanel::ResetMeters() {
    MMLevel1().ResetData();
    MMLevel2().ResetData();
    MMSpectrum1().ResetData();
}

void ConsoleMeterPanel::TickPeaks() {
    MMLevel1().Tick();
    MMLevel2().Tick();
    MMSpectrum1().Tick();
}

// Lit spots copied from BM_BAR1 left to right; the peak is a 2-pixel mark.
// The bitmap is made for the meters' length, so its colours fall on the
// same share of every bar.
void ConsoleMeterPanel::DrawLevelBar(QPainter& painter, const QRect& bar, int spots, int peak) {
    if (BM_BAR1.width() != bar.width())
        BM_BAR1 = LevelBarBitmap(bar.width());
    const int pitch = LevelMeterWidget::SpotPitch;
    const QRect lit(bar.left(), bar.top(), std::min(spots * pitch, BM_BAR1.width()), bar.height());
    painter.drawPixmap(lit, BM_BAR1, QRect(0, 0, lit.width(), BM_BAR1.height()));
    if (peak > 0) {
        const int x = std::min(peak * pitch, BM_BAR1.width()) - pitch;
        painter.drawPixmap(QRect(bar.left() + x, bar.top(), 2, bar.height()), BM_BAR1,
                           QRect(x, 0, 2, BM_BAR1.height()));
    }
}

// Lit spots (pixels) copied from BM_BAR2 from the bottom up, one column
// narrower than the bar; the peak is a mark at its height.
void ConsoleMeterPanel::DrawSpectrumBar(QPainter& painter, const QRect& bar, int spots, int peak) const {
    const int h = bar.height();
    const int width = std::max(bar.width() - 1, 1);
    if (spots > 0)
        painter.drawPixmap(QRect(bar.left(), h - spots, width, spots), BM_BAR2,
                           QRect(0, h - spots, 1, spots));
    if (peak > 0)
        painter.drawPixmap(QRect(bar.left(), h - peak, width, 1), BM_BAR2, QRect(0, h - peak, 1, 1));
}

} // namespace corvane
