#pragma once

#include "audio/plugins/LadspaEffect.h"

#include <QDialog>
#include <vector>

class QDoubleSpinBox;

namespace corvane {

// "Configure Plugin" for a LADSPA plug-in: one field per control input,
// within its bounds; OK hands the values back.
class PluginControlsDialog final : public QDialog {
    Q_OBJECT
public:
    PluginControlsDialog(const QString& title, const std::vector<LadspaControl>& controls, QWidget* parent);
    std::vector<float> Values() const;

private:
    std::vector<QDoubleSpinBox*> fields_;
};

} // namespace corvane
