#pragma once

#include "audio/plugins/TMMDSPPlugin.h"
#include "platform/FileDialogs.h"
#include "platform/Prompter.h"

namespace corvane {

// The console's "Plugins" menu on its DspPlugin. Loading does not start
// processing: the audio passes unchanged until "Start Plugin"; "Stop Plugin"
// unloads, so the plug-in must be loaded again to be used. Main thread.
class PluginCommands {
public:
    PluginCommands(TMMDSPPlugin& plugin, FileDialogs& dialogs, Prompter& prompter)
        : plugin_(plugin), dialogs_(dialogs), prompter_(prompter) {}

    // "&Load Plugin": the "Select Plugin" dialog, then load, open the modules
    // and initialise the first.
    void LoadPlugin();
    // "Start Plugin"
    void StartPlugin();
    // "Stop Plugin"
    void StopPlugin();
    // "Configure Plugin"
    void ConfigurePlugin();

private:
    TMMDSPPlugin& plugin_;
    FileDialogs& dialogs_;
    Prompter& prompter_;
};

} // namespace corvane
