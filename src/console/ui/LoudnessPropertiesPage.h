#pragma once

#include "station/PropertiesValues.h"

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;

namespace corvane {

// The Properties dialog's "Loudness" page: normalising to a target within a
// true-peak ceiling, own targets of commercials and carts, and cue points with
// the levels that place them. The commercial and cart targets offer "Same as
// titles" at the bottom of their range.
class LoudnessPropertiesPage final : public QWidget {
    Q_OBJECT
public:
    explicit LoudnessPropertiesPage(QWidget* parent = nullptr);

    void Show(const LoudnessValues& values);
    LoudnessValues Values() const;

private:
    QCheckBox* chkNormalise;
    QDoubleSpinBox* edtTarget;
    QDoubleSpinBox* edtCeiling;
    QDoubleSpinBox* edtCommercialTarget;
    QDoubleSpinBox* edtCartTarget;
    QCheckBox* chkCuePoints;
    QDoubleSpinBox* edtCueLevel;
    QDoubleSpinBox* edtSegueLevel;
};

} // namespace corvane
