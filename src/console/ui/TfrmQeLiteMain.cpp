#include "console/ui/TfrmQeLiteMain.h"

#include "commercials/ui/CommercialsPage.h"
#include "commercials/ui/ConsoleCommercials.h"
#include "console/ui/ConsoleDialogCommands.h"
#include "console/ui/ConsoleDisplayPages.h"
#include "console/ui/ConsoleKeyScope.h"
#include "console/ui/ConsoleMenus.h"
#include "console/ui/ConsoleMeterPanel.h"
#include "console/ui/ConsolePlayout.h"
#include "console/ui/QtGridAppearance.h"
#include "console/ui/ScheduleColumnLayout.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/ScheduleGrid.h"
#include "console/ui/ScheduleGridModel.h"
#include "console/ui/ScheduleRowDelegate.h"
#include "console/ui/SpeedSearchPage.h"
#include "console/ui/TfrmQelDisplaySetup.h"
#include "console/ui/TfrmQelProperties.h"
#include "data/TdmQelData.h"
#include "events/ui/EventsPage.h"
#include "platform/ExceptionGuard.h"
#include "platform/qt/ConsoleCommands.h"
#include "rack/ui/AudioRackPage.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace corvane {

TfrmQeLiteMain::TfrmQeLiteMain(Station& station, TrayUse tray, QWidget* parent)
    : QMainWindow(parent), station_(station), seams_(station.seams()), data_(station.Data()) {
    setObjectName("frmQeLiteMain");
    setWindowTitle("Vantor Corvane");
    commands_ = new ConsoleCommands(this);

    const ScheduleGridWidgets grid = BuildScheduleGrid(*this, data_.cdsSchedule);
    dxgSchedule = &grid.view;
    scheduleModel_ = &grid.model;
    rowDelegate_ = &grid.rows;
    SetGridLook(GridAppearance());

    ControlCenter_ = new QTabWidget(this);
    ControlCenter_->setObjectName("ControlCenter");
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName("Splitter1");
    splitter_->addWidget(dxgSchedule);
    splitter_->addWidget(ControlCenter_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({600 - 170, 170});
    setCentralWidget(splitter_);

    for (int panel = 0; panel < 2; ++panel) {
        statusPanels_[panel] = new QLabel(this);
        statusPanels_[panel]->setObjectName(QString("StatusPanel%1").arg(panel));
        statusPanels_[panel]->setFixedWidth(panel == 0 ? 350 : 75);
        statusBar()->addWidget(statusPanels_[panel]);
    }
    libraryStatus_ = new QLabel("Library: local", this);
    libraryStatus_->setObjectName("LibraryStatus");
    statusBar()->addPermanentWidget(libraryStatus_);
    streamIndicator_ = new StreamIndicator(this);
    statusBar()->addPermanentWidget(streamIndicator_);
    silenceIndicator_ = new SilenceIndicator(this);
    statusBar()->addPermanentWidget(silenceIndicator_);

    BuildPages();
    BuildMenus();
    edtScheduleFilter = &BuildConsoleToolBars(*this, *commands_);
    BuildTray(tray);

    resize(693, 600);
    setMinimumSize(620, 120);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    displays_ = std::make_unique<ConsoleDisplays>(*displayPages_, seams_.clock);
    StationView& view = *this;
    station_.Attach(view);
    Core().ClockTimer().SetOnTimer([this] { displays_->ClockTick(); });
    playoutBinding_ = std::make_unique<ConsolePlayout>(
        ConsolePlayout::Widgets{*this, *commands_, *dxgSchedule, *ControlCenter_, *displayPages_,
                                *statusPanels_[1]},
        Playout(),
        ConsolePlayout::KeyActions{[this] { dialogs_->ShowSoundConfiguration(); },
                                   [this] { OpenAudioLogging(); }},
        nullptr);
    BindCommercialCommands();
    BindEventsPage();
    BindAudioRackPage();
    BuildTools();
    BuildPlugins();
    BuildLibrary();
    // The schedule's edits change what may start and be saved.
    scheduleEditing_ = new ScheduleEditing(
        {*this, *commands_, *dxgSchedule, *scheduleModel_, *edtScheduleFilter, *speedSearch_}, data_,
        station_.Schedule(), Playout(), this);
    BuildPlayListsAndDialogs();
    new ConsoleKeyScope(*this, *commands_);
    Guarded("dxgSchedule", [&] {
        ReadColumnLayout(*dxgSchedule->horizontalHeader(), *scheduleModel_, Core().SettingsPath());
    });
    station_.Start(StationMode::Console);
    scheduleEditing_->RefreshCommands();
}

TfrmQeLiteMain::~TfrmQeLiteMain() {
    Guarded("frmQeLiteMain", [&] {
        WriteColumnLayout(*dxgSchedule->horizontalHeader(), *scheduleModel_, Core().SettingsPath());
    });
    // The station outlives the window: from here on it shows nothing.
    station_.Detach();
    Core().ClockTimer().SetOnTimer(nullptr);
    station_.DspPlugin().OnConfigureControls = nullptr;
    // The meters leave the station's connector before their panel goes.
    playoutBinding_.reset();
    eventsPage_.reset();
    rackPage_.reset();
    // It listens to the schedule table, which outlives the window.
    delete scheduleEditing_;
    if (displaySetup_)
        delete displaySetup_.data();
    // Audio logging records from a device the window owns: gone before it.
    if (snoop_)
        delete snoop_.data();
    // The grid's model listens to the schedule table, which outlives the window.
    dxgSchedule->setModel(nullptr);
    delete scheduleModel_;
}

void TfrmQeLiteMain::Implement(const char* command, void (TfrmQeLiteMain::*handler)()) {
    QAction* action = commands_->Command(command);
    connect(action, &QAction::triggered, this,
            [this, handler, command] { Guarded(command, [&] { (this->*handler)(); }); });
    commands_->Implement(command);
}

void TfrmQeLiteMain::BuildMenus() {
    const ConsolePopups popups = BuildConsoleMenus(*this, *commands_);
    pmSchedule = &popups.schedule;
    pmTray = &popups.tray;
    connect(dxgSchedule, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmSchedule->popup(dxgSchedule->viewport()->mapToGlobal(at)); });
    Implement("actClose", &TfrmQeLiteMain::CloseConsole);
    Implement("actTrayClose", &TfrmQeLiteMain::CloseConsole);
    Implement("actProperties", &TfrmQeLiteMain::ShowProperties);
    Implement("actDisplaySetup", &TfrmQeLiteMain::ShowDisplaySetup);
    Implement("actDisplaySettings", &TfrmQeLiteMain::ShowDisplaySetup);
    Implement("actMinimize", &TfrmQeLiteMain::MinimizeCorvane);
    Implement("actOpenCorvane", &TfrmQeLiteMain::OpenCorvane);
    Implement("actFullScreen", &TfrmQeLiteMain::ToggleFullScreen);
    commands_->Command("actPreviewNotes")->setCheckable(true);
    Implement("actPreviewNotes", &TfrmQeLiteMain::ToggleNotesPreview);
}

void TfrmQeLiteMain::BuildPages() {
    displayPages_ = std::make_unique<ConsoleDisplayPages>(*commands_, seams_.timers, *statusPanels_[0]);
    ControlCenter_->addTab(displayPages_->Visuals(), "Visuals");
    ControlCenter_->addTab(BuildAudioRackPage(), "Audio Rack");
    ControlCenter_->addTab(BuildCommercialsPage(), "Commercials");
    ControlCenter_->addTab(BuildEventsPage(), "Events");
    ControlCenter_->addTab(displayPages_->LiveAssist(), "Live Assist");
    ControlCenter_->addTab(BuildSpeedSearchPage(), "Speed Search");
    ControlCenter_->setMinimumHeight(170);
}

QWidget* TfrmQeLiteMain::BuildAudioRackPage() {
    auto* page = new QWidget;
    page->setObjectName("tsAudioRack");
    auto* layout = new QVBoxLayout(page);
    pnlCartRackLabel = new QLabel("Cart - Rack - Description", page);
    pnlCartRackLabel->setObjectName("pnlCartRackLabel");
    pnlCartRackLabel->setFrameShape(QFrame::Panel);
    pnlCartRackLabel->setFrameShadow(QFrame::Sunken);
    layout->addWidget(pnlCartRackLabel);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmQeLiteMain::BuildEventsPage() {
    auto* page = new QWidget;
    page->setObjectName("tsEvents");
    auto* layout = new QVBoxLayout(page);
    // The message list collects diagnostic lines; it is never shown.
    auto* memo = new QPlainTextEdit("Memo1", page);
    memo->setObjectName("Memo1");
    memo->setReadOnly(true);
    memo->hide();
    layout->addWidget(memo);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmQeLiteMain::BuildSpeedSearchPage() {
    speedSearch_ = new SpeedSearchPage(data_.cdsAudioLibrary, *commands_);
    return speedSearch_;
}

void TfrmQeLiteMain::BuildTray(TrayUse tray) {
    if (tray == TrayUse::Never || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    rxTray = new QSystemTrayIcon(ConsoleTrayIcon(), this);
    rxTray->setObjectName("rxTray");
    rxTray->setToolTip("Vantor Corvane");
    rxTray->setContextMenu(pmTray);
    connect(rxTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            Guarded("rxTray", [&] { OpenCorvane(); });
    });
    rxTray->show();
}

void TfrmQeLiteMain::MinimizeCorvane() {
    if (!rxTray) {
        showMinimized();
        return;
    }
    Core().MinimizeToTray();
    rxTray->setContextMenu(pmTray);
    hide();
}

void TfrmQeLiteMain::OpenCorvane() {
    Core().OpenFromTray();
    if (rxTray)
        rxTray->setContextMenu(pmSchedule);
    showNormal();
    raise();
    activateWindow();
}

void TfrmQeLiteMain::CloseConsole() {
    close();
}

void TfrmQeLiteMain::CloseForTermination() {
    closeQuestions_ = CloseQuestions::None;
    close();
}

void TfrmQeLiteMain::ShowProperties() {
    TfrmQelProperties dialog(Core(), seams_.fileDialogs, this, library_->PreviewOutputs());
    dialog.exec();
}

void TfrmQeLiteMain::ShowDisplaySetup() {
    if (!displaySetup_) {
        ConsoleView& grid = *this;
        displaySetup_ = new TfrmQelDisplaySetup(grid, this);
    }
    displaySetup_->show();
    displaySetup_->raise();
    displaySetup_->activateWindow();
}

void TfrmQeLiteMain::ToggleFullScreen() {
    if (windowFlags().testFlag(Qt::FramelessWindowHint)) {
        setWindowFlag(Qt::FramelessWindowHint, false);
        showNormal();
    } else {
        setWindowFlag(Qt::FramelessWindowHint, true);
        if (const QScreen* screen = this->screen())
            setGeometry(screen->availableGeometry());
        show();
    }
    for (QToolBar* toolBar : findChildren<QToolBar*>())
        toolBar->show();
    menuBar()->show();
}

void TfrmQeLiteMain::ToggleNotesPreview() {
    const bool shown = !NotesPreviewShown();
    rowDelegate_->SetNotesPreview(shown ? ScheduleRowDelegate::NotesPreview::Shown
                                        : ScheduleRowDelegate::NotesPreview::Hidden);
    commands_->Command("actPreviewNotes")->setChecked(shown);
}

bool TfrmQeLiteMain::NotesPreviewShown() const {
    return rowDelegate_->Preview() == ScheduleRowDelegate::NotesPreview::Shown;
}

void TfrmQeLiteMain::ShowItemInfo(const std::string& file, int lengthMs) {
    Table& schedule = data_.cdsSchedule;
    const std::string title = schedule.Active() && !schedule.IsEmpty()
                                  ? schedule.FieldByName("TitleName").AsString()
                                  : std::string();
    displays_->ShowItemInfo(title, file, lengthMs);
}

void TfrmQeLiteMain::SetGauge(int percent) {
    displayPages_->SetGauge(percent);
}

QWidget& TfrmQeLiteMain::ClockPanel() {
    return displayPages_->ClockPanel();
}

ConsoleMeterPanel& TfrmQeLiteMain::MeterPanel() {
    return displayPages_->MeterPanel();
}

void TfrmQeLiteMain::SetPlayingItems(int currentItem, int nextItem, uint64_t currentRow) {
    scheduleModel_->SetPlayingItems(currentItem, nextItem, currentRow);
}

void TfrmQeLiteMain::SetGridLook(const GridAppearance& appearance) {
    gridAppearance_ = appearance;
    ApplyAppearance(*dxgSchedule, appearance);
}

QString TfrmQeLiteMain::StatusText(int panel) const {
    return statusPanels_[panel]->text();
}

void TfrmQeLiteMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        Guarded("FormShow", [&] { station_.Show(); });
}

void TfrmQeLiteMain::closeEvent(QCloseEvent* event) {
    // The commercials editor's unsaved list first: Cancel there leaves the
    // console on air and untouched.
    if (!CloseCommercialsEditor(closeQuestions_)) {
        event->ignore();
        return;
    }
    Guarded("FormCloseQuery", [&] { station_.Close(); });
    if (displaySetup_)
        displaySetup_->close();
    if (rxTray)
        rxTray->hide();
    event->accept();
    // The console is the program's main window: closing it ends the program,
    // also when it was closed from the tray while hidden.
    QCoreApplication::quit();
}

// --- ConsoleView ---

void TfrmQeLiteMain::SetClockPanelVisible(bool visible) {
    ClockPanel().setVisible(visible);
}

std::string TfrmQeLiteMain::FolderBrowserFolder() const {
    const std::string folder = speedSearch_->Folder();
    if (folder.empty())
        return station_.Core().Settings().FileBrowseDefaultDirectory;
    return folder;
}

void TfrmQeLiteMain::SetFolderBrowserFolder(const std::string& folder) {
    speedSearch_->SetFolder(folder);
}

void TfrmQeLiteMain::SetRackCaption(const std::string& caption) {
    pnlCartRackLabel->setText(QString::fromStdString(caption));
}

void TfrmQeLiteMain::ShowCommercialFolder(const std::string& folder) {
    commercialsPage_->ShowLists(folder, station_.Commercials().ListEntries());
}

void TfrmQeLiteMain::SetTotalDuration(const std::string& text) {
    displayPages_->SetTotalDuration(QString::fromStdString(text));
}

// --- ScheduleView ---

bool TfrmQeLiteMain::MoveCommandsEnabled() {
    return scheduleEditing_ && scheduleEditing_->MoveCommandsEnabled();
}

void TfrmQeLiteMain::EnableMoveCommands() {
    if (scheduleEditing_)
        scheduleEditing_->EnableMoveCommands();
}

void TfrmQeLiteMain::ClearScheduleSelection() {
    if (scheduleEditing_)
        scheduleEditing_->ClearScheduleSelection();
}

void TfrmQeLiteMain::KeepResponsive() {
    if (scheduleEditing_)
        scheduleEditing_->KeepResponsive();
}

void TfrmQeLiteMain::CutPasteChanged() {
    if (scheduleEditing_)
        scheduleEditing_->CutPasteChanged();
}

void TfrmQeLiteMain::ProcessPendingMessages() {
    QCoreApplication::processEvents();
}

} // namespace corvane
