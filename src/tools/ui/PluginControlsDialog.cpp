#include "tools/ui/PluginControlsDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace corvane {

PluginControlsDialog::PluginControlsDialog(const QString& title, const std::vector<LadspaControl>& controls,
                                           QWidget* parent)
    : QDialog(parent) {
    setObjectName("dlgPluginControls");
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (size_t i = 0; i < controls.size(); ++i) {
        const LadspaControl& c = controls[i];
        auto* field = new QDoubleSpinBox(this);
        field->setObjectName(QString("edtControl%1").arg(i));
        const double big = std::numeric_limits<float>::max();
        field->setRange(c.bounded ? std::min(c.minimum, c.maximum) : -big,
                        c.bounded ? std::max(c.minimum, c.maximum) : big);
        field->setDecimals(c.integer || c.toggled ? 0 : 3);
        field->setSingleStep(c.integer || c.toggled ? 1.0 : 0.1);
        field->setValue(c.value);
        form->addRow(QString::fromStdString(c.name), field);
        fields_.push_back(field);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::vector<float> PluginControlsDialog::Values() const {
    std::vector<float> values;
    for (const QDoubleSpinBox* f : fields_)
        values.push_back(static_cast<float>(f->value()));
    return values;
}

} // namespace corvane
