#include "tools/AudioPreview.h"

#include "audio/device/WaveDevice.h"
#include "platform/DateTime.h"
#include "tools/PreviewPlayer.h"

#include <filesystem>

namespace corvane {

double PreviewAudio(const PreviewSetup& setup, const std::string& path, PreviewMode mode) {
    if (mode == PreviewMode::Play && setup.External && setup.External()) {
        setup.seams.shell.Open(path);
        return 0;
    }
    PreviewPlayer player(setup.device, setup.seams, setup.DeviceId ? setup.DeviceId() : WaveMapperId);
    int32_t ms = 0;
    if (mode == PreviewMode::DurationOnly)
        return player.Load(path) / MsPerDay;
    try {
        ms = player.Load(path);
    } catch (...) {
        // The operator asked to hear it: say why nothing plays rather than
        // failing silently into the log.
        setup.seams.prompter.Show(PreviewProblemMessage, MessageType::Warning, MessageButtons::Ok);
        return 0;
    }
    if (!player.Loaded()) {
        setup.seams.prompter.Show(PreviewProblemMessage, MessageType::Warning, MessageButtons::Ok);
        return 0;
    }
    if (setup.ShowModal)
        setup.ShowModal(player);
    return ms / MsPerDay;
}

int PreviewDeviceId(const WaveDevice& device, const std::string& deviceName) {
    if (deviceName.empty())
        return WaveMapperId;
    for (int id = 0; id < device.DeviceCount(); ++id)
        if (device.ProductName(id) == deviceName)
            return id;
    return WaveMapperId;
}

} // namespace corvane
