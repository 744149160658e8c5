// The console window's side of the station's DSP plug-in: the "Plugins" menu
// of the schedule grid's popup and the form of a LADSPA plug-in's controls.
#include "console/ui/TfrmQeLiteMain.h"
#include "platform/ExceptionGuard.h"
#include "tools/ui/PluginControlsDialog.h"

#include <QMenu>

namespace corvane {

void TfrmQeLiteMain::BuildPlugins() {
    // A LADSPA plug-in has no window of its own: its controls as a small form.
    station_.DspPlugin().OnConfigureControls = [this](TMMDSPPlugin& plugin) {
        const std::vector<LadspaControl> controls = plugin.Controls();
        const QString title = QString::fromStdString(plugin.PlugIn()->description);
        PluginControlsDialog form(title, controls, this);
        if (form.exec() != QDialog::Accepted)
            return;
        const std::vector<float> values = form.Values();
        for (size_t i = 0; i < values.size(); ++i)
            plugin.SetControl(i, values[i]);
    };

    mnuPlugins = new QMenu("Plugins", pmSchedule);
    mnuPlugins->setObjectName("mnuPlugins");
    const auto add = [this](const char* name, const char* caption, void (PluginCommands::*command)()) {
        QAction* action = mnuPlugins->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, name, command] { Guarded(name, [&] { (station_.Plugins().*command)(); }); });
    };
    add("actLoadPlugin", "&Load Plugin", &PluginCommands::LoadPlugin);
    add("actStartPlugin", "Start Plugin", &PluginCommands::StartPlugin);
    add("actStopPlugin", "Stop Plugin", &PluginCommands::StopPlugin);
    add("actConfigurePlugin", "Configure Plugin", &PluginCommands::ConfigurePlugin);
    pmSchedule->addSeparator();
    pmSchedule->addMenu(mnuPlugins);
}

} // namespace corvane
