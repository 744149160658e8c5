#pragma once

#include "console/ui/ManualWindow.h"
#include "platform/Seams.h"
#include "station/ConfigWizard.h"
#include "tools/MixerProgram.h"

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <string>

class QWidget;

namespace corvane {

class ConsoleCommands;
class ConsolePlayLists;
struct ConsoleTools;
class TMMWaveOut;
class WaveDevice;
struct WizardActions;

// The console's smaller windows and commands: the sound configuration
// (Ctrl+Alt+F12, Ctrl+Shift+F12 or the System menu; off air), the configuration wizard ("&Wizard", Ctrl+W,
// and the first run), the About box, "&Volume / Mixer Controls" and the help commands, which open the
// operator's manual in the browser (or, without one, in a window of the console's own). Main thread.
class ConsoleDialogCommands final : public QObject {
    Q_OBJECT
public:
    struct Context {
        QWidget& window;
        ConsoleCommands& commands;
        Seams seams;
        ConsolePlayLists& playLists;
        TMMWaveOut& output;
        WaveDevice& device;
        // Playout's on-air state.
        std::function<bool()> onAir;
        // The folder of the program, where the manual is installed.
        std::filesystem::path programFolder;
        // Finds the mixer programs; the desktop the console runs on.
        ProgramLocator locateProgram;
        std::string desktop;
        // The tools the library offers (its automatic scan for the wizard).
        const ConsoleTools& tools;
    };

    ConsoleDialogCommands(Context context, QObject* parent);

    // The manual's page, and the manual opened at a topic ("Overview",
    // "AudioLibraryManager", "PlayListManager") in the browser, or in the
    // console's own help window when the desktop has no browser.
    std::filesystem::path ManualPage() const;
    void ShowHelpTopic(const std::string& topic);
    // The console's own help window, while it is open.
    ManualWindow* Manual() const { return manual_; }
    // The sound configuration: nothing while on air.
    void ShowSoundConfiguration();
    // "&Wizard": modal, on its "Welcome" page.
    void ShowWizard();
    // The first run: the wizard on its greeting, modal over the console but
    // without holding up the console's first showing.
    void ShowFirstRunWizard();
    void ShowAbout();
    void OpenMixer();

private:
    void Bind(const char* command, std::function<void()> work);
    WizardActions Actions();
    void ShowManualWindow(const std::filesystem::path& page, const std::string& topic);

    Context c_;
    QPointer<ManualWindow> manual_;
};

} // namespace corvane
