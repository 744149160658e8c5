#include "audio/chain/EMMError.h"
#include "audio/output/TestSource.h"
#include "audio/plugins/DynamicLibrary.h"
#include "audio/plugins/TMMDSPPlugin.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace corvane {
namespace {

const WaveFormat CD = PcmWaveFormat(16, 2, 44100);
constexpr int BufferSize = 4096;

// A source feeding the plug-in host, opened and started as the wave output
// would: by default a constant one (8192 in every sample).
struct Host {
    explicit Host(int64_t frames = 1 << 20, double amplitude = 0.25, double hz = 0)
        : source(CD, frames, amplitude, hz) {
        plugin.SetInput(&source);
        plugin.SetBufferSize(BufferSize);
    }
    void Open() {
        plugin.Opened();
        plugin.Started();
    }
    // Opens the chain and sets up `module` of `library` as "Start Plugin"
    // does: load, open the modules, select, initialise. False when the
    // library is no plug-in.
    [[nodiscard]] bool Start(const char* library, int module) {
        Open();
        if (!plugin.LoadPlugin(library))
            return false;
        plugin.OpenModules();
        plugin.SelectModule(module);
        plugin.InitModule();
        return true;
    }
    // One request of `bytes` as the output makes it; the samples delivered.
    std::vector<int16_t> Pull(uint32_t bytes, bool* more = nullptr) {
        std::vector<uint8_t> data(bytes);
        BufferHeader h;
        h.data = data.data();
        h.bufferLength = bytes;
        bool m = false;
        plugin.BufferLoad(&h, m);
        if (more)
            *more = m;
        std::vector<int16_t> samples(h.bytesFilled / 2);
        if (h.bytesFilled > 0)
            std::memcpy(samples.data(), data.data(), h.bytesFilled);
        return samples;
    }

    TestSource source;
    TMMDSPPlugin plugin{"DspPlugin"};
};

TEST(TMMDSPPlugin, ReadsBothLayoutsAndTheFirstExportWins) {
    TMMDSPPlugin plugin;
    ASSERT_TRUE(plugin.LoadPlugin(PLUGIN_GAIN));
    EXPECT_EQ(plugin.PlugIn()->description, "Corvane Gain");
    EXPECT_EQ(plugin.ModuleCount(), 1);
    EXPECT_EQ(plugin.PlugIn()->modules[0].name, "Gain -6 dB");
    ASSERT_TRUE(plugin.LoadPlugin(PLUGIN_ECHO));
    EXPECT_EQ(plugin.PlugIn()->modules[0].name, "Echo 250 ms");
    plugin.OpenModules();
    EXPECT_NE(plugin.PlugIn()->modules[0].winamp, nullptr);
    EXPECT_EQ(plugin.PlugIn()->modules[0].engine, nullptr);
    // Exporting both Winamp names: the engine layout, first in the lookup.
    ASSERT_TRUE(plugin.LoadPlugin(PLUGIN_MANY));
    EXPECT_EQ(plugin.PlugIn()->description, "Many Modules");
    plugin.OpenModules();
    EXPECT_NE(plugin.PlugIn()->modules[0].engine, nullptr);
    EXPECT_EQ(plugin.PlugIn()->modules[0].winamp, nullptr);
    EXPECT_EQ(plugin.PlugIn()->fileName.find("TEST_PLUGIN_MANY"), plugin.PlugIn()->fileName.size() - 19);
}

TEST(TMMDSPPlugin, KeepsTheFirstHundredModules) {
    TMMDSPPlugin plugin;
    ASSERT_TRUE(plugin.LoadPlugin(PLUGIN_MANY));
    EXPECT_EQ(plugin.ModuleCount(), 100);
    EXPECT_EQ(plugin.PlugIn()->modules[99].name, "Module 99");
    plugin.SelectModule(99);
    EXPECT_EQ(plugin.CurrentModule(), 99);
    for (const int bad : {100, 149, -1})
        EXPECT_THROW(plugin.SelectModule(bad), EMMPlugInError);
    try {
        plugin.SelectModule(100);
    } catch (const EMMPlugInError& e) {
        EXPECT_STREQ(e.what(), "Invalid Module index");
    }
}

TEST(TMMDSPPlugin, LibrariesThatAreNoPluginAreRefused) {
    for (const char* path : {PLUGIN_NOEXPORTS, PLUGIN_OLDVERSION, "/no/such/library.so"}) {
        TMMDSPPlugin plugin;
        EXPECT_FALSE(plugin.LoadPlugin(path)) << path;
        EXPECT_FALSE(plugin.PluginLoaded());
        EXPECT_THROW(plugin.SelectModule(0), EMMPlugInError);
    }
}

TEST(TMMDSPPlugin, AcceptsOnlySixteenBitPcm) {
    TMMDSPPlugin plugin;
    const WaveFormat eight = PcmWaveFormat(8, 2, 44100);
    try {
        plugin.SetWaveFormat(&eight);
        ADD_FAILURE() << "8-bit accepted";
    } catch (const EMMPlugInError& e) {
        EXPECT_STREQ(e.what(), "Invalid WaveFormat");
    }
    plugin.SetWaveFormat(&CD);
    plugin.SetWaveFormat(nullptr);
}

TEST(TMMDSPPlugin, ProcessesOnlyOnceEnabledAndInitialised) {
    Host host;
    host.plugin.SetEnabled(false);
    ASSERT_TRUE(host.Start(PLUGIN_GAIN, 0));
    // Loaded and initialised, but not started: the audio passes unchanged.
    EXPECT_EQ(host.Pull(BufferSize).front(), 8192);
    host.plugin.SetEnabled(true);
    const std::vector<int16_t> halved = host.Pull(BufferSize);
    ASSERT_EQ(halved.size(), static_cast<size_t>(BufferSize / 2));
    EXPECT_EQ(halved.front(), 4096);
    EXPECT_EQ(halved.back(), 4096);
}

TEST(TMMDSPPlugin, StopThenStartWithoutLoadingLeavesTheAudioUnprocessed) {
    Host host;
    ASSERT_TRUE(host.Start(PLUGIN_GAIN, 0));
    EXPECT_EQ(host.Pull(BufferSize).front(), 4096);
    // "Stop Plugin", then "Start Plugin".
    host.plugin.SetEnabled(false);
    host.plugin.UnloadPlugin();
    host.plugin.SetEnabled(true);
    host.plugin.InitModule();
    EXPECT_FALSE(host.plugin.PluginLoaded());
    EXPECT_EQ(host.Pull(BufferSize).front(), 8192);
}

TEST(TMMDSPPlugin, InitialisesAndRestartsEngineModulesWithTheChainsFormat) {
    Host host;
    ASSERT_TRUE(host.Start(PLUGIN_MANY, 7));
    const MMDSPModule& m = *host.plugin.PlugIn()->modules[7].engine;
    EXPECT_EQ(m.sampleRate, 44100);
    EXPECT_EQ(m.channels, 2);
    EXPECT_EQ(m.samplesPerBuffer, BufferSize / 4);
    DynamicLibrary library(PLUGIN_MANY);
    auto inits = reinterpret_cast<int (*)(int)>(library.Symbol("TestInits"));
    auto restarts = reinterpret_cast<int (*)(int)>(library.Symbol("TestRestarts"));
    ASSERT_TRUE(inits && restarts);
    EXPECT_EQ(inits(7), 1);
    EXPECT_EQ(restarts(7), 1);
    // Initialising again only reports success; a reset of the chain restarts.
    host.plugin.InitModule();
    EXPECT_EQ(inits(7), 1);
    host.plugin.Reset();
    EXPECT_EQ(restarts(7), 3);
    EXPECT_EQ(host.Pull(BufferSize).front(), 8192 + 7);
}

TEST(TMMDSPPlugin, ADoublingModuleHandsOnTwiceTheBytesThroughItsBuffer) {
    Host host;
    ASSERT_TRUE(host.Start(PLUGIN_DOUBLING, 0));
    const int callsBefore = host.source.Calls();
    // Four requests take only two buffers from the source.
    for (int i = 0; i < 4; ++i) {
        const std::vector<int16_t> out = host.Pull(BufferSize);
        ASSERT_EQ(out.size(), static_cast<size_t>(BufferSize / 2));
        EXPECT_EQ(out.front(), 8192);
    }
    EXPECT_EQ(host.source.Calls() - callsBefore, 2);
    EXPECT_EQ(host.plugin.Failures(), 0);
}

// A count beyond the buffer is cut to it; a count below zero leaves nothing,
// and the audio passes on unprocessed rather than going silent.
TEST(TMMDSPPlugin, AbsurdCountsAreCutToTheBufferAndCounted) {
    for (const int module : {1, 2}) {
        Host host;
        ASSERT_TRUE(host.Start(PLUGIN_DOUBLING, module));
        bool more = false;
        const std::vector<int16_t> out = host.Pull(BufferSize, &more);
        ASSERT_EQ(out.size(), static_cast<size_t>(BufferSize / 2)) << module;
        EXPECT_TRUE(more);
        EXPECT_EQ(host.plugin.Failures(), 1) << module;
        if (module == 2)
            EXPECT_EQ(out.front(), 8192);
    }
}

TEST(TMMDSPPlugin, AModuleThatFailsToInitialiseRaisesAndAudioPassesOn) {
    Host host;
    host.Open();
    ASSERT_TRUE(host.plugin.LoadPlugin(PLUGIN_DOUBLING));
    host.plugin.OpenModules();
    host.plugin.SelectModule(3);
    try {
        host.plugin.InitModule();
        ADD_FAILURE() << "no error";
    } catch (const EMMPlugInError& e) {
        EXPECT_STREQ(e.what(), "Unable to initialise Module");
    }
    EXPECT_EQ(host.Pull(BufferSize).front(), 8192);
}

TEST(TMMDSPPlugin, TheEndOfTheInputEndsThePull) {
    Host host(1500);
    ASSERT_TRUE(host.Start(PLUGIN_GAIN, 0));
    bool more = true;
    size_t total = 0;
    for (int i = 0; i < 4 && more; ++i)
        total += host.Pull(BufferSize, &more).size();
    EXPECT_FALSE(more);
    EXPECT_EQ(total, 1500u * 2);
}

TEST(TMMDSPPlugin, TheEchoAddsTheSignalBackAQuarterSecondLater) {
    Host host;
    ASSERT_TRUE(host.Start(PLUGIN_ECHO, 0));
    std::vector<int16_t> all;
    while (all.size() < 44100u / 2 * 2) {
        const std::vector<int16_t> out = host.Pull(BufferSize);
        all.insert(all.end(), out.begin(), out.end());
    }
    EXPECT_EQ(all[0], 8192);
    EXPECT_EQ(all[11025 * 2 - 1], 8192);
    EXPECT_EQ(all[11025 * 2], 8192 + 4096);
}

// The stations' own LADSPA limiters from Debian's swh-plugins, set 6 dB
// under a 0.9 full-scale sine: what comes out stays at the limit.
TEST(TMMDSPPlugin, ALadspaLimiterHoldsTheSignalAtTheLimit) {
    struct Case {
        const char* library;
        const char* firstControl;
        size_t limitControl;
    };
    for (const Case& c : {Case{"/usr/lib/ladspa/hard_limiter_1413.so", "dB limit", 0},
                          Case{"/usr/lib/ladspa/fast_lookahead_limiter_1913.so", "Input gain (dB)", 1}}) {
        Host host(44100 * 4, 0.9, 440);
        TMMDSPPlugin& plugin = host.plugin;
        ASSERT_TRUE(host.Start(c.library, 0)) << c.library;
        const std::vector<LadspaControl> controls = plugin.Controls();
        ASSERT_FALSE(controls.empty());
        EXPECT_EQ(controls[0].name, c.firstControl);
        plugin.SetControl(c.limitControl, -6.0f);
        EXPECT_FLOAT_EQ(plugin.Controls()[c.limitControl].value, -6.0f);

        int peakAfterSettling = 0;
        for (int i = 0; i < 4 * 44100 * 4 / BufferSize - 1; ++i) {
            const std::vector<int16_t> out = host.Pull(BufferSize);
            ASSERT_EQ(out.size(), static_cast<size_t>(BufferSize / 2));
            if (i < 44100 * 4 / BufferSize)
                continue; // the first second: look-ahead and attack
            for (const int16_t sample : out)
                peakAfterSettling = std::max(peakAfterSettling, std::abs(static_cast<int>(sample)));
        }
        const double limit = 32768 * std::pow(10.0, -6.0 / 20);
        EXPECT_LE(peakAfterSettling, limit * 1.01) << c.library;
        EXPECT_GE(peakAfterSettling, limit * 0.9) << c.library;
        EXPECT_EQ(plugin.Failures(), 0);
    }
}

} // namespace
} // namespace corvane
