#include "audio/chain/EMMError.h"
#include "audio/plugins/PluginCommands.h"
#include "studio/ScriptedFileDialogs.h"
#include "studio/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

struct Menu {
    TMMDSPPlugin plugin{"DspPlugin"};
    ScriptedFileDialogs dialogs;
    ScriptedPrompter prompter;
    PluginCommands commands{plugin, dialogs, prompter};

    Menu() {
        plugin.SetEnabled(false);
        const WaveFormat cd = PcmWaveFormat(16, 2, 44100);
        plugin.SetWaveFormat(&cd);
        plugin.SetBufferSize(4096);
        plugin.Opened();
    }
};

TEST(PluginCommands, LoadingInitialisesTheFirstModuleButDoesNotStartIt) {
    Menu m;
    m.dialogs.Choose({PLUGIN_ECHO});
    m.commands.LoadPlugin();
    ASSERT_TRUE(m.plugin.PluginLoaded());
    EXPECT_TRUE(m.plugin.PlugIn()->modules[0].initialised);
    EXPECT_FALSE(m.plugin.Enabled());
    EXPECT_TRUE(m.prompter.Messages().empty());
    m.commands.StartPlugin();
    EXPECT_TRUE(m.plugin.Enabled());
    m.commands.ConfigurePlugin();
    m.commands.StopPlugin();
    EXPECT_FALSE(m.plugin.Enabled());
    EXPECT_FALSE(m.plugin.PluginLoaded());
}

TEST(PluginCommands, TellsWhenALibraryIsNoPluginOrHasNoModules) {
    struct Case {
        const char* path;
        const char* message;
    };
    for (const Case& c : {Case{PLUGIN_NOEXPORTS, "Sorry this plugin format is not supported."},
                          Case{PLUGIN_EMPTY, "No modules found in Plugin."}}) {
        Menu m;
        m.dialogs.Choose({c.path});
        m.commands.LoadPlugin();
        ASSERT_EQ(m.prompter.Messages().size(), 1u) << c.path;
        EXPECT_EQ(m.prompter.Messages()[0].text, c.message);
        EXPECT_EQ(m.prompter.Messages()[0].type, MessageType::Error);
    }
}

TEST(PluginCommands, CancellingTheDialogLoadsNothing) {
    Menu m;
    m.commands.LoadPlugin();
    EXPECT_FALSE(m.plugin.PluginLoaded());
    EXPECT_TRUE(m.prompter.Messages().empty());
}

} // namespace
} // namespace corvane
