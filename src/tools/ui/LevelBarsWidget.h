#pragma once

#include <QWidget>

namespace corvane {

class TMMLevel;

// A horizontal level meter that draws a level computation it does not own,
// as the console's meters look: on black, spots two pixels wide every three,
// green, yellow from half the bar and red from 85 %, and the peak spot. Its
// width sets how many spots the computation counts. Repaints when the level
// reports a change; the level outlives the widget. Main thread.
class LevelBarsWidget final : public QWidget {
    Q_OBJECT
public:
    static constexpr int SpotPitch = 3;             // 2 pixels lit, 1 gap
    static constexpr int YellowAt = 50, RedAt = 85; // percent of the bar

    LevelBarsWidget(const QString& name, TMMLevel& level, QWidget* parent);
    ~LevelBarsWidget() override;

    QSize sizeHint() const override { return {240, 10}; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TMMLevel& level_;
};

} // namespace corvane
