#pragma once

#include <QWidget>

namespace corvane {

class TMMSpectrum;

// A spectrum display that draws its bars itself, stretched to the widget:
// each bar one pixel narrower than its columns, its lit spots from the
// bottom in green, then yellow from Point1 and red from Point2 percent of the
// spots, and its peak spot above them. Repaints when the spectrum reports a
// change; the spectrum outlives the widget.
class SpectrumBarsWidget final : public QWidget {
    Q_OBJECT
public:
    static constexpr int Point1 = 50, Point2 = 75; // percent of the spots

    SpectrumBarsWidget(const QString& name, TMMSpectrum& spectrum, QWidget* parent);
    ~SpectrumBarsWidget() override;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TMMSpectrum& spectrum_;
};

} // namespace corvane
