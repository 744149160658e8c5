// The console window's side of playout: the engine it owns, the displays and
// commands bound to it, and the key preview. Main thread throughout; every
// entry from a widget goes through the exception guard.
#include "console/playout/PlayoutKeys.h"
#include "console/playout/TPlayoutConsole.h"
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsoleDisplayPages.h"
#include "console/ui/ConsoleMeterPanel.h"
#include "console/ui/ScheduleGridModel.h"
#include "console/ui/TfrmQeLiteMain.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

namespace corvane {
namespace {

std::optional<PlayoutKey> KeyOf(int key) {
    switch (key) {
    case Qt::Key_F3:
        return PlayoutKey::F3;
    case Qt::Key_F4:
        return PlayoutKey::F4;
    case Qt::Key_F5:
        return PlayoutKey::F5;
    case Qt::Key_F6:
        return PlayoutKey::F6;
    case Qt::Key_F7:
        return PlayoutKey::F7;
    case Qt::Key_F8:
        return PlayoutKey::F8;
    case Qt::Key_F9:
        return PlayoutKey::F9;
    case Qt::Key_F12:
        return PlayoutKey::F12;
    case Qt::Key_Left:
        return PlayoutKey::Left;
    case Qt::Key_Right:
        return PlayoutKey::Right;
    default:
        return std::nullopt;
    }
}

KeyModifiers ModifiersOf(Qt::KeyboardModifiers held) {
    KeyModifiers modifiers = KeyModifiers::None;
    if (held.testFlag(Qt::ShiftModifier))
        modifiers = modifiers | KeyModifiers::Shift;
    if (held.testFlag(Qt::AltModifier))
        modifiers = modifiers | KeyModifiers::Alt;
    if (held.testFlag(Qt::ControlModifier))
        modifiers = modifiers | KeyModifiers::Ctrl;
    return modifiers;
}

} // namespace

void TfrmQeLiteMain::BindPlayout() {
    // The meters and the spectrum show what the output plays; the window
    // takes them off the station's connector before its panel goes.
    TMMConnector& connector = Playout().MMConnector();
    connector.SetDisplay(ConnectorDisplayKind::Level, 0, &MeterPanel().MMLevel1());
    connector.SetDisplay(ConnectorDisplayKind::Level, 1, &MeterPanel().MMLevel2());
    connector.SetDisplay(ConnectorDisplayKind::Spectrum, 0, &MeterPanel().MMSpectrum1());
    BindPlayoutCommands();
    qApp->installEventFilter(this);
}

void TfrmQeLiteMain::ShowItemHeard(const std::string& title, const std::string& file, int lengthMs) {
    displays_->ShowItemInfo(title, file, lengthMs);
}

void TfrmQeLiteMain::ClearItemHeard() {
    displays_->ClearItemInfo();
    SetGauge(0);
}

void TfrmQeLiteMain::ShowRemaining(int remainingMs) {
    displays_->UpdateRemainingDisplay(remainingMs);
}

void TfrmQeLiteMain::ShowDelayedPause(bool visible) {
    displayPages_->ShowDelayedPause(visible);
}

void TfrmQeLiteMain::HoldGridRepaint(bool hold) {
    dxgSchedule->setUpdatesEnabled(!hold);
}

void TfrmQeLiteMain::RepaintGrid(int currentItem, int nextItem) {
    SetPlayingItems(currentItem, nextItem);
    dxgSchedule->viewport()->update();
}

void TfrmQeLiteMain::SetBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmQeLiteMain::ApplyPlayoutCommands(const PlayoutCommands& c) {
    const bool onAir = c.Stop;
    const std::pair<const char*, bool> table[] = {
        {"actFadeToNext", c.FadeToNext},
        {"actFadeToNextToolbar", c.FadeToNext},
        {"actFadeToSelected", c.FadeToSelected},
        {"StartBroadcast", c.Start},
        {"StopBroadcast", c.Stop},
        {"PauseBroadcast", c.Pause},
        {"DelayPauseBroadcast", onAir},
        {"actFadeToStop", onAir},
        {"actSkipRight", onAir},
        {"actSkipLeft", onAir},
        {"actRestart", onAir},
        {"actPlaySelected", c.Start || c.Stop},
        {"actSoundConfiguration", !onAir},
        {"actWizard", c.Wizard},
        {"actPlayLists", c.PlayLists},
        {"actLoadSchedule", c.LoadScheduleFile},
        {"actLoadPlayList", c.LoadPlaylist},
        {"actClearSchedule", c.ClearSchedule},
        {"actSaveSchedule", c.SaveScheduleFile},
        {"actExportSchedule", c.ExportSchedule},
        {"actMoveUp", c.MoveUp},
        {"actMoveDown", c.MoveDown},
    };
    for (const auto& [name, enabled] : table)
        commands_->SetEnabled(name, enabled);
    if (c.Properties)
        commands_->SetEnabled("actProperties", *c.Properties);
    findChild<QToolButton*>("btnFadeNext")->setEnabled(c.FadeToSelected);
    if (QMenu* system = menuBar()->findChild<QMenu*>("mnuSystem"))
        system->setEnabled(c.SystemMenu);
    SetStatusText(1, c.Mode == OperatingMode::Automatic ? "Automatic" : "Design");
}

void TfrmQeLiteMain::BindPlayout(const char* command, void (TPlayoutConsole::*operation)()) {
    connect(commands_->Command(command), &QAction::triggered, this,
            [this, command, operation] { Guarded(command, [&] { (Playout().*operation)(); }); });
    commands_->Implement(command);
}

void TfrmQeLiteMain::BindPlayoutCommands() {
    BindPlayout("StartBroadcast", &TPlayoutConsole::StartBroadcast);
    BindPlayout("StopBroadcast", &TPlayoutConsole::StopBroadcast);
    BindPlayout("PauseBroadcast", &TPlayoutConsole::PauseBroadcast);
    BindPlayout("DelayPauseBroadcast", &TPlayoutConsole::DelayPauseBroadcast);
    BindPlayout("actPlaySelected", &TPlayoutConsole::PlaySelected);
    BindPlayout("actFadeToSelected", &TPlayoutConsole::FadeToSelected);
    BindPlayout("actFadeToNext", &TPlayoutConsole::actFadeToNext);
    BindPlayout("actFadeToNextToolbar", &TPlayoutConsole::actFadeToNext);
    BindPlayout("actFadeToStop", &TPlayoutConsole::actFadeToStop);
    BindPlayout("actSkipRight", &TPlayoutConsole::actSkipRight);
    BindPlayout("actSkipLeft", &TPlayoutConsole::actSkipLeft);
    BindPlayout("actRestart", &TPlayoutConsole::actRestart);
    connect(findChild<QToolButton*>("btnFadeNext"), &QToolButton::clicked, this,
            [this] { Guarded("btnFadeNext", [&] { Playout().FadeToSelected(); }); });
    connect(dxgSchedule, &QTableView::doubleClicked, this,
            [this] { Guarded("dxgSchedule", [&] { Playout().PlaySelected(); }); });
    // Connected after the grid's own handler, so the table's cursor has moved.
    connect(dxgSchedule->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { Guarded("dxgSchedule", [&] { Playout().ScheduleCursorMoved(); }); });
}

bool TfrmQeLiteMain::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress && widget == &displayPages_->Gauge()) {
        const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x();
        Guarded("Gauge", [&] { Playout().GaugeClick(x, displayPages_->Gauge().width()); });
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        bool taken = false;
        Guarded("FormKeyDown", [&] { taken = PreviewPlayoutKey(*static_cast<QKeyEvent*>(event)); });
        if (taken)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmQeLiteMain::PreviewPlayoutKey(const QKeyEvent& key) {
    const std::optional<PlayoutKey> playoutKey = KeyOf(key.key());
    if (!playoutKey)
        return false;
    const PlayoutCommands& enabled = Playout().Commands();
    const auto page = [this](int step) {
        ControlCenter_->setCurrentIndex(
            PageAfterStep(ControlCenter_->currentIndex(), step, ControlCenter_->count()));
    };
    // The key is the console's even when its command is not available now.
    const auto Run = [this](void (TPlayoutConsole::*operation)(), bool available) {
        if (available)
            (Playout().*operation)();
        return true;
    };
    switch (PreviewKey(*playoutKey, ModifiersOf(key.modifiers()))) {
    case KeyCommand::NextPage:
        page(1);
        return true;
    case KeyCommand::PreviousPage:
        page(-1);
        return true;
    case KeyCommand::FadeToStop:
        return Run(&TPlayoutConsole::actFadeToStop, true);
    case KeyCommand::PauseBroadcast:
        return Run(&TPlayoutConsole::PauseBroadcast, enabled.Pause);
    case KeyCommand::StopBroadcast:
        return Run(&TPlayoutConsole::StopBroadcast, enabled.Stop);
    case KeyCommand::StartBroadcast:
        return Run(&TPlayoutConsole::StartBroadcast, enabled.Start);
    case KeyCommand::DelayPauseBroadcast:
        return Run(&TPlayoutConsole::DelayPauseBroadcast, true);
    case KeyCommand::FadeToNext:
        return Run(&TPlayoutConsole::actFadeToNext, true);
    case KeyCommand::NextCommercial:
        findChild<QToolButton*>("btnTripCommercial")->click();
        return true;
    case KeyCommand::SoundConfig:
        if (!Playout().OnAir())
            dialogs_->ShowSoundConfiguration();
        return true;
    case KeyCommand::AudioLogging:
        OpenAudioLogging();
        return true;
    case KeyCommand::None:
        return false;
    }
    return false;
}

} // namespace corvane
