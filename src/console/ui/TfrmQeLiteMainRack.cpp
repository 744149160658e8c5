// The console window's side of the audio rack: the Audio Rack page over the
// station's rack, its digit keys and commands. Main thread.
#include "console/ui/TfrmQeLiteMain.h"
#include "rack/ui/AudioRackPage.h"

#include <QTabWidget>

namespace corvane {

void TfrmQeLiteMain::BindAudioRackPage() {
    QWidget* page = ControlCenter_->findChild<QWidget*>("tsAudioRack");
    rackPage_ =
        std::make_unique<AudioRackPage>(AudioRackPage::Widgets{*this, *page, *pnlCartRackLabel, *commands_},
                                        seams_, data_, Core(), station_.Rack(), tools_);
}

void TfrmQeLiteMain::EnableRackButtons(bool up, bool down) {
    rackPage_->EnableRackButtons(up, down);
}

} // namespace corvane
