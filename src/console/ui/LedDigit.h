#pragma once

#include <QColor>
#include <QWidget>

namespace corvane {

// One seven-segment LED digit (or a colon) on a black face. Enabled, its lit
// segments glow in its colour; disabled, the whole digit is drawn dim. Unlit
// segments always show faintly, as on a real LED display.
class LedDigit final : public QWidget {
    Q_OBJECT
public:
    enum class Face { Digit, Colon };

    LedDigit(const QString& name, QColor colour, Face face, QWidget* parent);

    // 0..9; other values show nothing lit.
    void SetValue(int value);
    int Value() const { return value_; }
    void SetColour(QColor colour);
    QColor Colour() const { return colour_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
    Face face_;
    int value_ = 0;
};

// A two-digit group fed one value 0..59 (hours up to 99): tens and units.
void SetLedPair(LedDigit& tens, LedDigit& units, int value);

} // namespace corvane
