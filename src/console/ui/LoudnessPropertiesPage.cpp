#include "console/ui/LoudnessPropertiesPage.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace corvane {

namespace {

// The bottom of a target's range, shown as "Same as titles".
constexpr double SameAsTitles = -70;

QDoubleSpinBox* Number(const char* name, double low, double high, const char* unit, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QString(" ") + unit);
    return box;
}

QDoubleSpinBox* Target(const char* name, QWidget* parent) {
    QDoubleSpinBox* box = Number(name, SameAsTitles, 0, "LUFS", parent);
    box->setSpecialValueText("Same as titles");
    return box;
}

std::optional<double> OwnTarget(const QDoubleSpinBox& box) {
    return box.value() <= SameAsTitles ? std::nullopt : std::optional<double>(box.value());
}

} // namespace

LoudnessPropertiesPage::LoudnessPropertiesPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsLoudness");
    auto* form = new QFormLayout(this);
    chkNormalise = new QCheckBox("Play every item at the target loudness", this);
    chkNormalise->setObjectName("chkLoudnessNormalise");
    edtTarget = Number("edtLoudnessTarget", -60, 0, "LUFS", this);
    edtCeiling = Number("edtTruePeakCeiling", -20, 0, "dBTP", this);
    edtCommercialTarget = Target("edtCommercialLoudnessTarget", this);
    edtCartTarget = Target("edtCartLoudnessTarget", this);
    chkCuePoints = new QCheckBox("Start at cue-in, end at cue-out, cross-fade at the segue point", this);
    chkCuePoints->setObjectName("chkUseCuePoints");
    edtCueLevel = Number("edtCueLevel", -90, -10, "dBFS", this);
    edtSegueLevel = Number("edtSegueLevel", -40, -3, "LU", this);
    form->addRow(chkNormalise);
    form->addRow("Target loudness", edtTarget);
    form->addRow("True peak ceiling", edtCeiling);
    form->addRow("Commercials' target", edtCommercialTarget);
    form->addRow("Carts' target", edtCartTarget);
    form->addRow(chkCuePoints);
    form->addRow("Cue-in and cue-out level", edtCueLevel);
    form->addRow("Segue below the title's loudness", edtSegueLevel);
}

void LoudnessPropertiesPage::Show(const LoudnessValues& v) {
    chkNormalise->setChecked(v.normalise);
    edtTarget->setValue(v.target);
    edtCeiling->setValue(v.truePeakCeiling);
    edtCommercialTarget->setValue(v.commercialTarget.value_or(SameAsTitles));
    edtCartTarget->setValue(v.cartTarget.value_or(SameAsTitles));
    chkCuePoints->setChecked(v.useCuePoints);
    edtCueLevel->setValue(v.cueLevel);
    edtSegueLevel->setValue(v.segueLevel);
}

LoudnessValues LoudnessPropertiesPage::Values() const {
    return {chkNormalise->isChecked(), edtTarget->value(),
            edtCeiling->value(),       OwnTarget(*edtCommercialTarget),
            OwnTarget(*edtCartTarget), chkCuePoints->isChecked(),
            edtCueLevel->value(),      edtSegueLevel->value()};
}

} // namespace corvane
