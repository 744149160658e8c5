// The console window's side of the play lists and of its smaller dialogs:
// the steps start-up calls (the recent play-list menu, the first-run wizard),
// the "&Recent" menu of the File menu, and the commands bound to them. Main
// thread throughout; every entry from a widget goes through the exception guard.
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsolePlayLists.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "platform/qt/ConsoleCommands.h"

#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>

namespace corvane {

// Start-up rebuilds the recent menu (before the window is shown) and shows the
// wizard at the first showing.
void TfrmQeLiteMain::RefreshRecentPlayLists() {
    playLists_->RefreshRecentPlayLists();
}

void TfrmQeLiteMain::ShowFirstRunWizard() {
    dialogs_->ShowFirstRunWizard();
}

void TfrmQeLiteMain::BuildPlayListsAndDialogs() {
    auto* recent = new QMenu("&Recent", this);
    recent->setObjectName("mnuRecentPlayLists");
    QMenu* file = menuBar()->findChild<QMenu*>("mnuFile");
    file->insertMenu(commands_->Command("actWizard"), recent);
    file->insertSeparator(commands_->Command("actWizard"));

    const auto onAir = [this] { return Playout().OnAir(); };
    playLists_ = new ConsolePlayLists({*this, *commands_, *recent, data_, seams_, Core(), tools_, onAir,
                                       [this](bool on) { Playout().SetOnAir(on); },
                                       [this](const std::string& topic) { dialogs_->ShowHelpTopic(topic); }},
                                      this);
    dialogs_ = new ConsoleDialogCommands({*this, *commands_, seams_, *playLists_, Playout().mmAudioOut(),
                                          station_.Output(), onAir, Core().ProgramFolder(),
                                          [](const std::string& name) -> std::optional<std::string> {
                                              const QString path = QStandardPaths::findExecutable(
                                                  QString::fromStdString(name));
                                              if (path.isEmpty())
                                                  return std::nullopt;
                                              return path.toStdString();
                                          },
                                          qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString(), tools_},
                                         this);
}

} // namespace corvane
