#pragma once

class QMenu;
class QWidget;

namespace corvane {

class PluginCommands;
class TMMDSPPlugin;

// The "Plugins" menu ("&Load Plugin", "Start Plugin", "Stop Plugin",
// "Configure Plugin") over the DSP plug-in's commands, added to `popup`, and
// the form "Configure Plugin" shows for a LADSPA plug-in, which has no window
// of its own. The owner of `plugin` clears its OnConfigureControls before
// `window` goes. Main thread; every entry goes through the exception guard.
QMenu& AddPluginsMenu(QMenu& popup, QWidget& window, TMMDSPPlugin& plugin, PluginCommands& commands);

} // namespace corvane
