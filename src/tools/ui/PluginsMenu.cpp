#include "tools/ui/PluginsMenu.h"

#include "audio/plugins/PluginCommands.h"
#include "audio/plugins/TMMDSPPlugin.h"
#include "platform/ExceptionGuard.h"
#include "tools/ui/PluginControlsDialog.h"

#include <QMenu>

namespace corvane {

QMenu& AddPluginsMenu(QMenu& popup, QWidget& window, TMMDSPPlugin& plugin, PluginCommands& commands) {
    plugin.OnConfigureControls = [&window](TMMDSPPlugin& configured) {
        const std::vector<LadspaControl> controls = configured.Controls();
        const QString title = QString::fromStdString(configured.PlugIn()->description);
        PluginControlsDialog form(title, controls, &window);
        if (form.exec() != QDialog::Accepted)
            return;
        const std::vector<float> values = form.Values();
        for (size_t i = 0; i < values.size(); ++i)
            configured.SetControl(i, values[i]);
    };

    auto* menu = new QMenu("Plugins", &popup);
    menu->setObjectName("mnuPlugins");
    const auto add = [&](const char* name, const char* caption, void (PluginCommands::*command)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        QObject::connect(action, &QAction::triggered, menu,
                         [&commands, name, command] { Guarded(name, [&] { (commands.*command)(); }); });
    };
    add("actLoadPlugin", "&Load Plugin", &PluginCommands::LoadPlugin);
    add("actStartPlugin", "Start Plugin", &PluginCommands::StartPlugin);
    add("actStopPlugin", "Stop Plugin", &PluginCommands::StopPlugin);
    add("actConfigurePlugin", "Configure Plugin", &PluginCommands::ConfigurePlugin);
    popup.addSeparator();
    popup.addMenu(menu);
    return *menu;
}

} // namespace corvane
