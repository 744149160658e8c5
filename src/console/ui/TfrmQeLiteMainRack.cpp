// The console window's side of the audio rack: the Audio Rack page, the digit
// keys, the rack commands and the start-up step that loads the rack. Main thread.
#include "console/ui/TfrmQeLiteMain.h"
#include "rack/ui/AudioRackPage.h"

#include <QTabWidget>

namespace corvane {

void TfrmQeLiteMain::FillRackParts(ConsoleParts& parts) {
    if (!parts.LoadRack)
        parts.LoadRack = [this](const std::string& path) {
            if (rackPage_)
                rackPage_->Rack().LoadRack(path);
        };
}

void TfrmQeLiteMain::BindAudioRackPage() {
    QWidget* page = ControlCenter_->findChild<QWidget*>("tsAudioRack");
    rackPage_ =
        std::make_unique<AudioRackPage>(AudioRackPage::Widgets{*this, *page, *pnlCartRackLabel, *commands_},
                                        seams_, data_, *core_, *playout_, tools_);
}

} // namespace corvane
