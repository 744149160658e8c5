#include "console/ui/ConsolePlayout.h"

#include "console/ui/ConsoleDisplayPages.h"
#include "console/ui/ConsoleMeterPanel.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "playout/PlayoutEngine.h"
#include "playout/PlayoutKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <optional>

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

ConsolePlayout::ConsolePlayout(Widgets widgets, PlayoutEngine& playout, KeyActions keys, QObject* parent)
    : QObject(parent), w_(widgets), playout_(playout), keys_(std::move(keys)) {
    // The meters and the spectrum show what the output plays.
    TMMConnector& connector = playout_.MMConnector();
    ConsoleMeterPanel& meters = w_.displayPages.MeterPanel();
    connector.SetDisplay(ConnectorDisplayKind::Level, 0, &meters.MMLevel1());
    connector.SetDisplay(ConnectorDisplayKind::Level, 1, &meters.MMLevel2());
    connector.SetDisplay(ConnectorDisplayKind::Spectrum, 0, &meters.MMSpectrum1());
    BindCommands();
    qApp->installEventFilter(this);
}

ConsolePlayout::~ConsolePlayout() {
    qApp->removeEventFilter(this);
    TMMConnector& connector = playout_.MMConnector();
    connector.SetDisplay(ConnectorDisplayKind::Level, 0, nullptr);
    connector.SetDisplay(ConnectorDisplayKind::Level, 1, nullptr);
    connector.SetDisplay(ConnectorDisplayKind::Spectrum, 0, nullptr);
}

void ConsolePlayout::ApplyCommands(const PlayoutCommands& c) {
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
        w_.commands.SetEnabled(name, enabled);
    if (c.Properties)
        w_.commands.SetEnabled("actProperties", *c.Properties);
    w_.window.findChild<QToolButton*>("btnFadeNext")->setEnabled(c.FadeToSelected);
    if (QMenu* system = w_.window.menuBar()->findChild<QMenu*>("mnuSystem"))
        system->setEnabled(c.SystemMenu);
    w_.modePanel.setText(c.Mode == OperatingMode::Automatic ? "Automatic" : "Design");
}

void ConsolePlayout::Bind(const char* command, void (PlayoutEngine::*operation)()) {
    connect(w_.commands.Command(command), &QAction::triggered, this,
            [this, command, operation] { Guarded(command, [&] { (playout_.*operation)(); }); });
    w_.commands.Implement(command);
}

void ConsolePlayout::BindCommands() {
    Bind("StartBroadcast", &PlayoutEngine::StartBroadcast);
    Bind("StopBroadcast", &PlayoutEngine::StopBroadcast);
    Bind("PauseBroadcast", &PlayoutEngine::PauseBroadcast);
    Bind("DelayPauseBroadcast", &PlayoutEngine::DelayPauseBroadcast);
    Bind("actPlaySelected", &PlayoutEngine::PlaySelected);
    Bind("actFadeToSelected", &PlayoutEngine::FadeToSelected);
    Bind("actFadeToNext", &PlayoutEngine::actFadeToNext);
    Bind("actFadeToNextToolbar", &PlayoutEngine::actFadeToNext);
    Bind("actFadeToStop", &PlayoutEngine::actFadeToStop);
    Bind("actSkipRight", &PlayoutEngine::actSkipRight);
    Bind("actSkipLeft", &PlayoutEngine::actSkipLeft);
    Bind("actRestart", &PlayoutEngine::actRestart);
    connect(w_.window.findChild<QToolButton*>("btnFadeNext"), &QToolButton::clicked, this,
            [this] { Guarded("btnFadeNext", [&] { playout_.FadeToSelected(); }); });
    connect(&w_.grid, &QTableView::doubleClicked, this,
            [this] { Guarded("dxgSchedule", [&] { playout_.PlaySelected(); }); });
    // Connected after the grid's own handler, so the table's cursor has moved.
    connect(w_.grid.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { Guarded("dxgSchedule", [&] { playout_.ScheduleCursorMoved(); }); });
}

bool ConsolePlayout::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &w_.window)
        return QObject::eventFilter(watched, event);
    QProgressBar& gauge = w_.displayPages.Gauge();
    if (event->type() == QEvent::MouseButtonPress && widget == &gauge) {
        const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x();
        Guarded("Gauge", [&] { playout_.GaugeClick(x, gauge.width()); });
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        bool taken = false;
        Guarded("FormKeyDown", [&] { taken = PreviewPlayoutKey(*static_cast<QKeyEvent*>(event)); });
        if (taken)
            return true;
    }
    return QObject::eventFilter(watched, event);
}

bool ConsolePlayout::PreviewPlayoutKey(const QKeyEvent& key) {
    const std::optional<PlayoutKey> playoutKey = KeyOf(key.key());
    if (!playoutKey)
        return false;
    const PlayoutCommands& enabled = playout_.Commands();
    const auto page = [this](int step) {
        w_.pages.setCurrentIndex(PageAfterStep(w_.pages.currentIndex(), step, w_.pages.count()));
    };
    // The key is the console's even when its command is not available now.
    const auto Run = [this](void (PlayoutEngine::*operation)(), bool available) {
        if (available)
            (playout_.*operation)();
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
        return Run(&PlayoutEngine::actFadeToStop, true);
    case KeyCommand::PauseBroadcast:
        return Run(&PlayoutEngine::PauseBroadcast, enabled.Pause);
    case KeyCommand::StopBroadcast:
        return Run(&PlayoutEngine::StopBroadcast, enabled.Stop);
    case KeyCommand::StartBroadcast:
        return Run(&PlayoutEngine::StartBroadcast, enabled.Start);
    case KeyCommand::DelayPauseBroadcast:
        return Run(&PlayoutEngine::DelayPauseBroadcast, true);
    case KeyCommand::FadeToNext:
        return Run(&PlayoutEngine::actFadeToNext, true);
    case KeyCommand::NextCommercial:
        w_.window.findChild<QToolButton*>("btnTripCommercial")->click();
        return true;
    case KeyCommand::SoundConfig:
        if (!playout_.OnAir())
            keys_.soundConfiguration();
        return true;
    case KeyCommand::AudioLogging:
        keys_.audioLogging();
        return true;
    case KeyCommand::None:
        return false;
    }
    return false;
}

} // namespace corvane
