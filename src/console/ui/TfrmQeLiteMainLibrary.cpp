// The console window's side of the audio library and the previewer: the
// shared tool windows (parameter browser, previewer) it offers the other
// parts. Main thread.
#include "console/ui/TfrmQeLiteMain.h"
#include "library/ui/TfrmQelParameterBrowse.h"
#include "tools/AudioPreview.h"
#include "tools/PreviewPlayer.h"
#include "tools/ui/TfrmQelPlayAudio.h"

namespace corvane {

void TfrmQeLiteMain::BuildLibrary(WaveDevice& device) {
    tools_.BrowseParameters = [this](Table& table) { TfrmQelParameterBrowse::Browse(table, this); };
    tools_.PreviewAudio = [this, &device](const std::string& path, PreviewMode mode) {
        PreviewSetup setup{device, seams_, {}, {}, {}};
        setup.DeviceId = [] { return WaveMapperId; };
        setup.External = [this] { return core_->Settings().ExternalAudioPreviewer; };
        setup.ShowModal = [this](PreviewPlayer& player) {
            TfrmQelPlayAudio window(player, this);
            window.RunModal();
        };
        return PreviewAudio(setup, path, mode);
    };
}

} // namespace corvane
