#pragma once

#include "platform/Seams.h"
#include "tools/ConsoleTools.h"

#include <functional>
#include <string>

namespace corvane {

class PreviewPlayer;
class WaveDevice;

// Where previews go and how they are shown.
struct PreviewSetup {
    WaveDevice& device;
    Seams seams;
    // The preview output: a device of its own, or WaveMapperId.
    std::function<int()> DeviceId;
    // ExternalAudioPreviewer: hand previews to the desktop's player.
    std::function<bool()> External;
    // Shows the previewer window on the loaded player, modally, starting the
    // output; returns when the window closes.
    std::function<void(PreviewPlayer& player)> ShowModal;
};

// Previews one file: with the external previewer on, a preview (not a
// measurement) is handed to the desktop's "open" and gives 0; otherwise the
// file is loaded into a new previewer, its length is the result (as a
// date-time, days), and a preview shows the previewer until it is closed.
// A preview of a file that cannot be loaded, or of a missing file, shows the
// previewer's problem message and gives 0; measuring such a file raises the
// deck's error (a missing file measures 0). Main thread.
double PreviewAudio(const PreviewSetup& setup, const std::string& path, PreviewMode mode);

// The preview output for the device chosen by name ("" for the system's
// default): its id, or WaveMapperId when no device of that name is present
// (the system's default then plays the preview).
int PreviewDeviceId(const WaveDevice& device, const std::string& deviceName);

} // namespace corvane
