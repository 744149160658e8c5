#include "audio/plugins/PluginCommands.h"

namespace corvane {

void PluginCommands::LoadPlugin() {
    FileDialogRequest request;
    request.title = "Select Plugin";
    request.filter = "Plugin Files (*.so)|*.so";
    const std::optional<std::string> path = dialogs_.OpenFile(request);
    if (!path)
        return;
    if (!plugin_.LoadPlugin(*path)) {
        prompter_.Show("Sorry this plugin format is not supported.", MessageType::Error, MessageButtons::Ok);
        return;
    }
    plugin_.OpenModules();
    if (plugin_.ModuleCount() == 0) {
        prompter_.Show("No modules found in Plugin.", MessageType::Error, MessageButtons::Ok);
        return;
    }
    plugin_.SelectModule(0);
    plugin_.InitModule();
}

void PluginCommands::StartPlugin() {
    plugin_.SetEnabled(true);
    plugin_.InitModule();
}

void PluginCommands::StopPlugin() {
    plugin_.SetEnabled(false);
    try {
        plugin_.UnloadPlugin();
    } catch (...) {
        // Whatever the library does on its way out, it is gone from the chain.
    }
}

void PluginCommands::ConfigurePlugin() {
    plugin_.ConfigureModule();
}

} // namespace corvane
