#include "audio/chain/EMMError.h"
#include "audio/output/TMMWaveOut.h"
#include "playout/SoundConfiguration.h"
#include "station/ConfigWizard.h"
#include "studio/RecordingShell.h"
#include "studio/VirtualStudio.h"
#include "studio/VirtualWaveDevice.h"
#include "tools/MixerProgram.h"

#include <gtest/gtest.h>
#include <map>

namespace corvane {
namespace {

using Page = ConfigWizard::Page;

TEST(ConfigWizardTest, NextAndBackWalkThePagesAndBackReturnsToTheGreetingItOpenedOn) {
    for (const WizardStart start : {WizardStart::FirstRun, WizardStart::Welcome}) {
        ConfigWizard wizard(start);
        const Page greeting = start == WizardStart::FirstRun ? Page::FirstRun : Page::Welcome;
        EXPECT_EQ(wizard.CurrentPage(), greeting);
        EXPECT_FALSE(wizard.BackEnabled());
        wizard.Back();
        EXPECT_EQ(wizard.CurrentPage(), greeting);
        std::vector<std::string> titles{ConfigWizard::Title(wizard.CurrentPage())};
        for (int i = 0; i < 4; ++i) {
            wizard.Next();
            titles.push_back(ConfigWizard::Title(wizard.CurrentPage()));
        }
        EXPECT_EQ(titles, (std::vector<std::string>{
                              "Welcome", "Step One: Audio Library", "Step Two: Play List Generation",
                              "Step Three: Schedule Management", "Step Three: Schedule Management"}));
        EXPECT_FALSE(wizard.NextEnabled());
        EXPECT_TRUE(wizard.BackEnabled());
        wizard.Back();
        wizard.Back();
        EXPECT_EQ(wizard.CurrentPage(), Page::AudioLibrary);
        wizard.Back();
        EXPECT_EQ(wizard.CurrentPage(), greeting);
    }
}

TEST(MixerProgramTest, PavucontrolFirstThenTheDesktopsSoundSettingsElseNothing) {
    struct Case {
        std::map<std::string, std::string> installed;
        std::string desktop;
        std::optional<ProgramToStart> expected;
    };
    const std::vector<Case> cases = {
        {{{"pavucontrol", "/usr/bin/pavucontrol"}, {"gnome-control-center", "/usr/bin/gcc"}},
         "GNOME",
         ProgramToStart{"/usr/bin/pavucontrol", ""}},
        {{{"gnome-control-center", "/usr/bin/gnome-control-center"}},
         "ubuntu:GNOME",
         ProgramToStart{"/usr/bin/gnome-control-center", "sound"}},
        {{{"systemsettings", "/usr/bin/systemsettings"}},
         "KDE",
         ProgramToStart{"/usr/bin/systemsettings", "kcm_pulseaudio"}},
        {{{"gnome-control-center", "/usr/bin/gnome-control-center"}}, "KDE", std::nullopt},
        {{{"gnome-control-center", "/usr/bin/gnome-control-center"}}, "", std::nullopt},
        {{}, "GNOME", std::nullopt},
    };
    for (const Case& c : cases) {
        const ProgramLocator locate = [&c](const std::string& name) -> std::optional<std::string> {
            const auto found = c.installed.find(name);
            return found == c.installed.end() ? std::nullopt : std::optional(found->second);
        };
        EXPECT_EQ(MixerProgram(locate, c.desktop), c.expected) << c.desktop;
        RecordingShell shell;
        EXPECT_EQ(OpenMixerControls(shell, locate, c.desktop), c.expected.has_value());
        EXPECT_EQ(shell.OpenedTargets().size(), c.expected ? 1u : 0u);
    }
}

class SoundConfigurationTest : public ::testing::Test {
protected:
    SoundConfigurationTest() {
        device.SetDeviceCount(3);
        output.SetBufferSize(4096);
        output.SetNumBuffers(64);
        output.SetDeviceID(WaveMapperId);
    }
    VirtualStudio studio;
    VirtualWaveDevice device{studio};
    TMMWaveOut output{device, studio};
    SoundConfiguration configuration{output, device};
};

TEST_F(SoundConfigurationTest, ShowsTheDefaultDeviceFirstThenEachDevice) {
    const auto shown = configuration.Show();
    EXPECT_EQ(shown.devices, (std::vector<std::string>{"Virtual Wave Device 1", "Virtual Wave Device 1",
                                                       "Virtual Wave Device 2", "Virtual Wave Device 3"}));
    EXPECT_EQ(shown.selectedDevice, 0);
    EXPECT_EQ(shown.buffers, 64);
    EXPECT_EQ(shown.mode, PlaybackMode::Window);

    device.SetDeviceCount(0);
    EXPECT_TRUE(configuration.Show().devices.empty());
    EXPECT_EQ(configuration.Show().selectedDevice, -1);
}

TEST_F(SoundConfigurationTest, TheSizeLabelGivesKilobytesAndWithAFormatSeconds) {
    EXPECT_EQ(configuration.SizeLabel(200), "800 Kb");
    const WaveFormat cd = PcmWaveFormat(16, 2, 44100);
    output.SetWaveFormat(&cd);
    EXPECT_EQ(configuration.SizeLabel(64), "256 Kb - 1.49 seconds");
    EXPECT_EQ(configuration.SizeLabel(1), "4 Kb - 0.02 seconds");
}

TEST_F(SoundConfigurationTest, OkSetsTheDeviceAndTheBuffers) {
    configuration.Apply(2, 200, PlaybackMode::Window);
    EXPECT_EQ(output.DeviceID(), 1);
    EXPECT_EQ(output.NumBuffers(), 200);
    // No entry chosen gives -2, which the output refuses when it opens; one
    // buffer is below what the output takes.
    configuration.Apply(-1, 1, PlaybackMode::Thread);
    EXPECT_EQ(output.DeviceID(), -2);
    EXPECT_EQ(output.NumBuffers(), 200);
    EXPECT_EQ(output.CallBackMode(), TMMCBMode::cmWindow);
}

} // namespace
} // namespace corvane
