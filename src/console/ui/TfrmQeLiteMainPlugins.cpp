// The console window's DSP plug-in: DspPlugin between MMRingBuffer1 and
// mmAudioOut, disabled at start, and the "Plugins" menu of the schedule
// grid's popup.
#include "console/playout/TPlayoutConsole.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "platform/ExceptionGuard.h"
#include "tools/ui/PluginControlsDialog.h"

#include <QMenu>

namespace corvane {

void TfrmQeLiteMain::BuildPlugins() {
    DspPlugin_ = std::make_unique<TMMDSPPlugin>("DspPlugin");
    DspPlugin_->SetEnabled(false);
    // Taking the ring buffer's output first, then handing the plug-in to the
    // output: each link is exclusive, so the two steps move the plug-in in.
    DspPlugin_->SetInput(&playout_->MMRingBuffer1());
    playout_->mmAudioOut().SetInput(DspPlugin_.get());
    // A LADSPA plug-in has no window of its own: its controls as a small form.
    DspPlugin_->OnConfigureControls = [this](TMMDSPPlugin& plugin) {
        const std::vector<LadspaControl> controls = plugin.Controls();
        const QString title = QString::fromStdString(plugin.PlugIn()->description);
        PluginControlsDialog form(title, controls, this);
        if (form.exec() != QDialog::Accepted)
            return;
        const std::vector<float> values = form.Values();
        for (size_t i = 0; i < values.size(); ++i)
            plugin.SetControl(i, values[i]);
    };
    pluginCommands_ = std::make_unique<PluginCommands>(*DspPlugin_, seams_.fileDialogs, seams_.prompter);

    mnuPlugins = new QMenu("Plugins", pmSchedule);
    mnuPlugins->setObjectName("mnuPlugins");
    const auto add = [this](const char* name, const char* caption, void (PluginCommands::*command)()) {
        QAction* action = mnuPlugins->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, name, command] { Guarded(name, [&] { ((*pluginCommands_).*command)(); }); });
    };
    add("actLoadPlugin", "&Load Plugin", &PluginCommands::LoadPlugin);
    add("actStartPlugin", "Start Plugin", &PluginCommands::StartPlugin);
    add("actStopPlugin", "Stop Plugin", &PluginCommands::StopPlugin);
    add("actConfigurePlugin", "Configure Plugin", &PluginCommands::ConfigurePlugin);
    pmSchedule->addSeparator();
    pmSchedule->addMenu(mnuPlugins);
}

} // namespace corvane
