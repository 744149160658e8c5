#include "console/ui/TfrmQeLiteMain.h"

#include "commercials/AdSchedule.h"
#include "commercials/CommercialBreaks.h"
#include "console/playout/TPlayoutConsole.h"
#include "console/ui/ConsoleKeyScope.h"
#include "console/ui/ConsoleMeterPanel.h"
#include "console/ui/LedDigit.h"
#include "console/ui/QtGridAppearance.h"
#include "console/ui/ScheduleEditing.h"
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
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace corvane {
namespace {

constexpr const char* ColumnLayoutSection = "Corvane_Main";

// The columns a new grid shows; the operator's own layout replaces this.
const QStringList DefaultColumns = {"TitleName",  "TitleArtistName", "TitleAlbum", "TitleDuration",
                                    "ObjectType", "TimesPlayed",     "LastPlayed", "LocalPathToFile"};

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// An LED digit of the console's displays, 0 to start with.
LedDigit* Led(const char* name, const QColor& colour, QSize size, QWidget* parent,
              LedDigit::Face face = LedDigit::Face::Digit) {
    auto* digit = new LedDigit(name, colour, face, parent);
    digit->setFixedSize(face == LedDigit::Face::Colon ? QSize(size.width() / 2, size.height()) : size);
    return digit;
}

// "hh:mm:ss" as six LED digits with colons; `names` in the order shown.
QWidget* SixDigits(const char* const names[6], const QColor& colour, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(2);
    const QSize size(18, 30);
    for (int i = 0; i < 6; ++i) {
        if (i == 2 || i == 4)
            row->addWidget(Led("", colour, size, box, LedDigit::Face::Colon));
        row->addWidget(Led(names[i], colour, size, box));
    }
    return box;
}

// A panel drawn black behind its LED digits and meters.
void MakeBlack(QWidget& panel) {
    panel.setAutoFillBackground(true);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(160, 160, 160));
    panel.setPalette(palette);
}

QIcon TrayIconImage() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 96, 160));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 30, 30);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, "C");
    return QIcon(pixmap);
}

} // namespace

TfrmQeLiteMain::TfrmQeLiteMain(Seams seams, TdmQelData& data, std::filesystem::path programFolder,
                               WaveDevice& device, ConsoleParts parts, TrayUse tray, QWidget* parent)
    : QMainWindow(parent), seams_(seams), data_(data) {
    setObjectName("frmQeLiteMain");
    setWindowTitle("Vantor Corvane");
    commands_ = new ConsoleCommands(this);

    dxgSchedule = new QTableView(this);
    dxgSchedule->setObjectName("dxgSchedule");
    dxgSchedule->setSelectionBehavior(QAbstractItemView::SelectRows);
    dxgSchedule->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dxgSchedule->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dxgSchedule->setWordWrap(false);
    dxgSchedule->verticalHeader()->hide();
    dxgSchedule->horizontalHeader()->setSectionsMovable(true);
    dxgSchedule->setContextMenuPolicy(Qt::CustomContextMenu);
    scheduleModel_ = new ScheduleGridModel(data_.cdsSchedule, this);
    dxgSchedule->setModel(scheduleModel_);
    rowDelegate_ = new ScheduleRowDelegate(*dxgSchedule);
    dxgSchedule->setItemDelegate(rowDelegate_);
    connect(dxgSchedule->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { scheduleModel_->MakeCurrent(current.row()); });
    connect(scheduleModel_, &ScheduleGridModel::CurrentRowMoved, this, [this](int row) {
        // The grid follows the table's cursor without touching the operator's selection.
        if (row >= 0 && dxgSchedule->currentIndex().row() != row)
            dxgSchedule->selectionModel()->setCurrentIndex(scheduleModel_->index(row, 0),
                                                           QItemSelectionModel::NoUpdate);
    });
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

    BuildPages();
    BuildMenus();
    BuildToolBars();
    BuildTray(tray);

    resize(693, 600);
    setMinimumSize(620, 120);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    FillPlayoutParts(parts);
    FillCommercialParts(parts);
    FillPlayListParts(parts);
    FillEventParts(parts);
    FillRackParts(parts);
    // Schedule files are the schedule editing's, bound below once the core exists.
    const ConsoleParts playout = parts;
    if (!parts.LoadScheduleFile)
        parts.LoadScheduleFile = [this](const std::string& path) {
            scheduleEditing_->LoadScheduleFile(path);
        };
    DisplayView& displayView = *this;
    displays_ = std::make_unique<ConsoleDisplays>(displayView, seams_.clock);
    ConsoleView& view = *this;
    core_ = std::make_unique<ConsoleCore>(seams_, data_, view, std::move(programFolder), std::move(parts));
    core_->ClockTimer().SetOnTimer([this] { displays_->ClockTick(); });
    BuildPlayout(device, core_->ProgramFolder());
    BuildCommercials();
    BindEventsPage();
    BindAudioRackPage();
    // Tools and plug-ins.
    BuildTools();
    BuildPlugins();
    BuildLibrary(device, playout);
    scheduleEditing_ =
        new ScheduleEditing({*commands_, *dxgSchedule, *scheduleModel_, *edtScheduleFilter, *speedSearch_},
                            data_, seams_, *core_, playout, this);
    BuildPlayListsAndDialogs(device);
    new ConsoleKeyScope(*this, *commands_);
    Guarded("dxgSchedule", [&] { ReadColumnLayout(); });
    core_->FormCreate();
    scheduleEditing_->RefreshCommands();
}

TfrmQeLiteMain::~TfrmQeLiteMain() {
    Guarded("frmQeLiteMain", [&] { WriteColumnLayout(); });
    core_->FormDestroy();
    commercials_.reset();
    eventsPage_.reset();
    rackPage_.reset();
    playout_.reset();
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
    const auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (*name)
                menu->addAction(commands_->Command(name));
            else
                menu->addSeparator();
        }
    };
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("mnuFile");
    add(file, {"StartBroadcast", "StopBroadcast", "PauseBroadcast", "", "actWizard", "actProperties", "",
               "actClose"});
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    add(edit, {"actSearchLibrary", "actSelectAll"});
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("mnuView");
    add(view,
        {"actPreviewNotes", "actFullScreen", "", "actLockConsole", "", "actVolumeControls", "actVolume"});
    QMenu* system = menuBar()->addMenu("&System");
    system->setObjectName("mnuSystem");
    add(system, {"actDisplaySettings", "actAdBreakConfiguration", "actRackConfiguration", "actRackManager",
                 "", "actSoundConfiguration"});
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("mnuHelp");
    add(help, {"actHelpContents", "actHelpSearch", "", "actAbout"});

    pmSchedule = new QMenu(this);
    pmSchedule->setObjectName("pmSchedule");
    add(pmSchedule, {"actPlaySelected", "actFadeToSelected", "actFadeToNext", "actFadeToStop", "", "actCut",
                     "actPaste", "actDeleteItem", ""});
    auto* exportMenu = new QMenu("Export Schedule", pmSchedule);
    exportMenu->setObjectName("mnuExportSchedule");
    add(exportMenu, {"actExportHtml", "actExportSpreadsheet"});
    commands_->Command("actExportSchedule")->setMenu(exportMenu);
    pmSchedule->addAction(commands_->Command("actExportSchedule"));
    add(pmSchedule, {"actCustomiseColumns", "actDisplaySetup", "", "actMinimize"});
    // The popup's shortcuts work wherever the console has the focus.
    addActions(pmSchedule->actions());
    connect(dxgSchedule, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmSchedule->popup(dxgSchedule->viewport()->mapToGlobal(at)); });

    pmTray = new QMenu(this);
    pmTray->setObjectName("pmTray");
    add(pmTray, {"actOpenCorvane", "", "actTrayClose"});

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

void TfrmQeLiteMain::BuildToolBars() {
    const auto bar = [this](const char* name, const QString& title,
                            std::initializer_list<const char*> names) {
        QToolBar* toolBar = addToolBar(title);
        toolBar->setObjectName(name);
        toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        for (const char* command : names) {
            if (*command)
                toolBar->addAction(commands_->Command(command));
            else
                toolBar->addSeparator();
        }
        return toolBar;
    };
    bar("tbBroadcast", "Broadcast",
        {"StartBroadcast", "StopBroadcast", "PauseBroadcast", "actFadeToNextToolbar", "", "actProperties"});
    QToolBar* schedule = bar("tbSchedule", "Schedule",
                             {"actLoadSchedule", "actSaveSchedule", "actClearSchedule", "", "actMoveUp",
                              "actMoveDown", "actCutToolbar", "actPasteToolbar", "actSelectAll"});
    edtScheduleFilter = new QLineEdit(schedule);
    edtScheduleFilter->setObjectName("edtScheduleFilter");
    edtScheduleFilter->setPlaceholderText("Schedule Filter");
    edtScheduleFilter->setToolTip("&Schedule Filter (F11 applies)");
    edtScheduleFilter->setMaximumWidth(140);
    schedule->addWidget(edtScheduleFilter);
    auto* database = new QToolButton(schedule);
    database->setObjectName("btnDatabaseManagement");
    database->setText("&Database Management");
    database->setPopupMode(QToolButton::InstantPopup);
    auto* databaseMenu = new QMenu(database);
    databaseMenu->addAction(commands_->Command("actCommitDatabase"));
    database->setMenu(databaseMenu);
    schedule->addWidget(database);
    addToolBarBreak();
    bar("tbTools", "Tools",
        {"actPlayLists", "actLoadPlayList", "actAudioLibrary", "actCommercials", "actFolderList"});
}

void TfrmQeLiteMain::BuildPages() {
    ControlCenter_->addTab(BuildVisualsPage(), "Visuals");
    ControlCenter_->addTab(BuildAudioRackPage(), "Audio Rack");
    ControlCenter_->addTab(BuildCommercialsPage(), "Commercials");
    ControlCenter_->addTab(BuildEventsPage(), "Events");
    ControlCenter_->addTab(BuildLiveAssistPage(), "Live Assist");
    ControlCenter_->addTab(BuildSpeedSearchPage(), "Speed Search");
    ControlCenter_->setMinimumHeight(170);
}

QWidget* TfrmQeLiteMain::BuildVisualsPage() {
    auto* page = new QWidget;
    page->setObjectName("tsVisuals");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    auto* top = new QHBoxLayout;
    auto* info = new QFormLayout;
    info->setVerticalSpacing(1);
    lblTitle = NamedLabel("lblTitle", "", page);
    lblFile = NamedLabel("lblFile", "", page);
    lblDuration = NamedLabel("lblDuration", "", page);
    QFont title = lblTitle->font();
    title.setBold(true);
    lblTitle->setFont(title);
    info->addRow("Title:", lblTitle);
    info->addRow("File:", lblFile);
    info->addRow("Duration:", lblDuration);
    top->addLayout(info, 1);
    auto* remaining = new QWidget(page);
    remaining->setObjectName("pnlRemaining");
    MakeBlack(*remaining);
    auto* digits = new QHBoxLayout(remaining);
    digits->setContentsMargins(6, 3, 6, 3);
    digits->setSpacing(3);
    const QColor green(0, 255, 0);
    for (const char* name : {"BigMM2", "BigMM1", "", "BigSS2", "BigSS1"}) {
        LedDigit* digit =
            Led(name, green, QSize(22, 40), remaining, *name ? LedDigit::Face::Digit : LedDigit::Face::Colon);
        // Dim until the first item is shown.
        digit->setEnabled(false);
        bigDigits_.push_back(digit);
        digits->addWidget(digit);
    }
    top->addWidget(remaining);
    layout->addLayout(top);
    meterPanel_ = new ConsoleMeterPanel(seams_.timers, page);
    layout->addWidget(meterPanel_);
    const ConsoleMeterPanel::SmallDigits& small = meterPanel_->Digits();
    ledGroups_[static_cast<size_t>(DigitGroup::RemainingMinutes)] = {{bigDigits_[0], bigDigits_[1]},
                                                                     {small.mm2, small.mm1}};
    ledGroups_[static_cast<size_t>(DigitGroup::RemainingSeconds)] = {{bigDigits_[3], bigDigits_[4]},
                                                                     {small.ss2, small.ss1}};
    auto* transport = new QHBoxLayout;
    for (const char* name : {"actRestart", "actSkipLeft", "actSkipRight"}) {
        auto* button = new QToolButton(page);
        button->setDefaultAction(commands_->Command(name));
        transport->addWidget(button);
    }
    Gauge = new QProgressBar(page);
    Gauge->setObjectName("Gauge");
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    Gauge->setTextVisible(false);
    Gauge->setMaximumHeight(12);
    Gauge->setStyleSheet("QProgressBar { background: black; border: 1px solid #404040; } "
                         "QProgressBar::chunk { background: #00C040; }");
    transport->addWidget(Gauge, 1);
    layout->addLayout(transport);
    return page;
}

QWidget* TfrmQeLiteMain::BuildAudioRackPage() {
    auto* page = new QWidget;
    page->setObjectName("tsAudioRack");
    auto* layout = new QVBoxLayout(page);
    pnlCartRackLabel = NamedLabel("pnlCartRackLabel", "Cart - Rack - Description", page);
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

QWidget* TfrmQeLiteMain::BuildLiveAssistPage() {
    auto* page = new QWidget;
    page->setObjectName("tsLiveAssist");
    auto* layout = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    auto* info = new QFormLayout;
    lblCurrentItem = NamedLabel("lblCurrentItem", "", page);
    lblTotalDuration = NamedLabel("lblTotalDuration", "00:00:00", page);
    info->addRow("Current Item:", lblCurrentItem);
    info->addRow("Total Duration:", lblTotalDuration);
    left->addLayout(info);
    QLabel* delayed = NamedLabel("lblDelayedPause", "Delayed Pause", page);
    delayed->setStyleSheet("QLabel { color: red; font-weight: bold; }");
    delayed->hide();
    left->addWidget(delayed);
    auto* buttons = new QHBoxLayout;
    auto* delayedPause = new QToolButton(page);
    delayedPause->setObjectName("btnDelayedPause");
    delayedPause->setDefaultAction(commands_->Command("DelayPauseBroadcast"));
    buttons->addWidget(delayedPause);
    auto* fadeNext = new QToolButton(page);
    fadeNext->setObjectName("btnFadeNext");
    fadeNext->setText("F6: Fade -> Next     ");
    fadeNext->setEnabled(false);
    buttons->addWidget(fadeNext);
    // Audio logging: bound in TfrmQeLiteMainTools.cpp.
    auto* snooping = new QToolButton(page);
    snooping->setObjectName("btnSnooping");
    snooping->setText("F7: Snooping         ");
    buttons->addWidget(snooping);
    auto* trip = new QToolButton(page);
    trip->setObjectName("btnTripCommercial");
    trip->setText("F8: Next Commercial");
    trip->setEnabled(false);
    buttons->addWidget(trip);
    left->addLayout(buttons);
    left->addStretch(1);
    layout->addLayout(left, 1);

    mmLiveTimers = new QWidget(page);
    mmLiveTimers->setObjectName("mmLiveTimers");
    MakeBlack(*mmLiveTimers);
    auto* clocks = new QGridLayout(mmLiveTimers);
    clocks->setContentsMargins(8, 4, 8, 4);
    static const char* const time[6] = {"TimeLed1", "TimeLed2", "TimeLed3",
                                        "TimeLed4", "TimeLed5", "TimeLed6"};
    static const char* const down[6] = {"DownLed5", "DownLed6", "DownLed1",
                                        "DownLed2", "DownLed3", "DownLed4"};
    clocks->addWidget(new QLabel("Current Time", mmLiveTimers), 0, 0);
    clocks->addWidget(SixDigits(time, QColor(0x80, 0xFF, 0xFF), mmLiveTimers), 1, 0);
    clocks->addWidget(new QLabel("Count Down to Next Commercial", mmLiveTimers), 0, 1);
    clocks->addWidget(SixDigits(down, QColor(0xFF, 0x00, 0x00), mmLiveTimers), 1, 1);
    const auto pair = [this](const char* tens, const char* units) {
        return std::pair{mmLiveTimers->findChild<LedDigit*>(tens), mmLiveTimers->findChild<LedDigit*>(units)};
    };
    ledGroups_[static_cast<size_t>(DigitGroup::ClockHours)] = {pair("TimeLed1", "TimeLed2")};
    ledGroups_[static_cast<size_t>(DigitGroup::ClockMinutes)] = {pair("TimeLed3", "TimeLed4")};
    ledGroups_[static_cast<size_t>(DigitGroup::ClockSeconds)] = {pair("TimeLed5", "TimeLed6")};
    ledGroups_[static_cast<size_t>(DigitGroup::CountdownHours)] = {pair("DownLed5", "DownLed6")};
    ledGroups_[static_cast<size_t>(DigitGroup::CountdownMinutes)] = {pair("DownLed1", "DownLed2")};
    ledGroups_[static_cast<size_t>(DigitGroup::CountdownSeconds)] = {pair("DownLed3", "DownLed4")};
    layout->addWidget(mmLiveTimers);
    return page;
}

QWidget* TfrmQeLiteMain::BuildSpeedSearchPage() {
    speedSearch_ = new SpeedSearchPage(data_.cdsAudioLibrary, *commands_);
    return speedSearch_;
}

void TfrmQeLiteMain::BuildTray(TrayUse tray) {
    if (tray == TrayUse::Never || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    rxTray = new QSystemTrayIcon(TrayIconImage(), this);
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
    core_->MinimizeToTray();
    rxTray->setContextMenu(pmTray);
    hide();
}

void TfrmQeLiteMain::OpenCorvane() {
    core_->OpenFromTray();
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
    TfrmQelProperties dialog(*core_, seams_.fileDialogs, this, PreviewOutputs());
    dialog.exec();
}

void TfrmQeLiteMain::ShowDisplaySetup() {
    if (!displaySetup_)
        displaySetup_ = new TfrmQelDisplaySetup(*this);
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
    Gauge->setValue(std::clamp(percent, 0, 100));
}

void TfrmQeLiteMain::SetPlayingItems(int currentItem, int nextItem) {
    scheduleModel_->SetPlayingItems(currentItem, nextItem);
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
        Guarded("FormShow", [&] { core_->FormShow(); });
}

void TfrmQeLiteMain::closeEvent(QCloseEvent* event) {
    // The commercials editor's unsaved list first: Cancel there leaves the
    // console on air and untouched.
    if (!CloseCommercialsEditor(closeQuestions_)) {
        event->ignore();
        return;
    }
    Guarded("FormCloseQuery", [&] { core_->FormCloseQuery(); });
    if (displaySetup_)
        displaySetup_->close();
    if (rxTray)
        rxTray->hide();
    event->accept();
    // The console is the program's main window: closing it ends the program,
    // also when it was closed from the tray while hidden.
    QCoreApplication::quit();
}

DropTarget TfrmQeLiteMain::DropTargetAt(const QPointF& position) const {
    const QWidget* under = childAt(position.toPoint());
    return under && (under == dxgSchedule || dxgSchedule->isAncestorOf(under)) ? DropTarget::ScheduleGrid
                                                                               : DropTarget::Window;
}

bool TfrmQeLiteMain::AcceptDrag(QDropEvent& event, DropTarget target) {
    const bool accepted = scheduleEditing_->CanDrop(*event.mimeData(), target);
    if (accepted)
        event.acceptProposedAction();
    else
        event.ignore();
    return accepted;
}

// A drag is taken in when it could be dropped somewhere on the window; where
// it may land is decided as it moves.
void TfrmQeLiteMain::dragEnterEvent(QDragEnterEvent* event) {
    AcceptDrag(*event, DropTarget::ScheduleGrid);
}

void TfrmQeLiteMain::dragMoveEvent(QDragMoveEvent* event) {
    AcceptDrag(*event, DropTargetAt(event->position()));
}

void TfrmQeLiteMain::dropEvent(QDropEvent* event) {
    const DropTarget target = DropTargetAt(event->position());
    if (AcceptDrag(*event, target))
        Guarded("FormDropFiles",
                [&] { scheduleEditing_->Drop(*event->mimeData(), target, event->source()); });
}

// --- ConsoleView ---

void TfrmQeLiteMain::SetClockPanelVisible(bool visible) {
    mmLiveTimers->setVisible(visible);
}

std::string TfrmQeLiteMain::FolderBrowserFolder() const {
    const std::string folder = speedSearch_->Folder();
    if (folder.empty())
        return core_ ? core_->Settings().FileBrowseDefaultDirectory : std::string();
    return folder;
}

void TfrmQeLiteMain::SetFolderBrowserFolder(const std::string& folder) {
    speedSearch_->SetFolder(folder);
}

void TfrmQeLiteMain::SetRackCaption(const std::string& caption) {
    pnlCartRackLabel->setText(QString::fromStdString(caption));
}

void TfrmQeLiteMain::ShowCommercialFolder(const std::string& folder) {
    ShowCommercialListFolder(folder);
}

void TfrmQeLiteMain::SetStatusText(int panel, const std::string& text) {
    statusPanels_[panel]->setText(QString::fromStdString(text));
}

void TfrmQeLiteMain::ClearItemDisplay() {
    displays_->ClearItemInfo();
}

void TfrmQeLiteMain::SetTotalDuration(const std::string& text) {
    lblTotalDuration->setText(QString::fromStdString(text));
}

void TfrmQeLiteMain::SetAcceptDroppedFiles(bool accept) {
    setAcceptDrops(accept);
}

void TfrmQeLiteMain::ProcessPendingMessages() {
    QCoreApplication::processEvents();
}

void TfrmQeLiteMain::Repaint() {
    update();
}

// --- DisplayView ---

void TfrmQeLiteMain::SetItemTexts(const ItemTexts& texts) {
    const QString title = QString::fromStdString(texts.title);
    lblTitle->setText(title);
    lblCurrentItem->setText(title);
    lblFile->setText(QString::fromStdString(texts.file));
    lblDuration->setText(QString::fromStdString(texts.duration));
}

void TfrmQeLiteMain::ClearItemStatus() {
    statusPanels_[0]->clear();
}

void TfrmQeLiteMain::SetDigitGroup(DigitGroup group, int value) {
    for (const auto& [tens, units] : ledGroups_[static_cast<size_t>(group)])
        SetLedPair(*tens, *units, value);
}

void TfrmQeLiteMain::SetRemainingLight(DigitLight light) {
    const bool lit = light == DigitLight::Lit;
    for (LedDigit* digit : bigDigits_)
        digit->setEnabled(lit);
    const ConsoleMeterPanel::SmallDigits& small = meterPanel_->Digits();
    for (LedDigit* digit : {small.mm2, small.mm1, small.colon, small.ss2, small.ss1})
        digit->setEnabled(lit);
}

void TfrmQeLiteMain::SetRemainingColour(Rgb colour) {
    // The four digits change colour; the colon between them stays green.
    for (LedDigit* digit : {bigDigits_[0], bigDigits_[1], bigDigits_[3], bigDigits_[4]})
        digit->SetColour(QColor(colour.red, colour.green, colour.blue));
}

// The grid's own column layout: per field its position, width and whether it
// is shown, in section "Corvane_Main" of the settings file.
void TfrmQeLiteMain::ReadColumnLayout() {
    const IniFile ini = IniFile::Load(core_->SettingsPath());
    QHeaderView* header = dxgSchedule->horizontalHeader();
    for (int column = 0; column < scheduleModel_->columnCount(); ++column)
        header->setSectionHidden(column, !DefaultColumns.contains(scheduleModel_->ColumnField(column)));
    // Positions are taken from the lowest up, so each move leaves the earlier ones in place.
    std::vector<std::pair<int, int>> positions;
    for (int column = 0; column < scheduleModel_->columnCount(); ++column) {
        const QStringList parts =
            QString::fromStdString(
                ini.ReadString(ColumnLayoutSection, scheduleModel_->ColumnField(column).toStdString(), ""))
                .split(',');
        if (parts.size() != 3)
            continue;
        bool positionOk = false, widthOk = false;
        const int position = parts[0].toInt(&positionOk);
        const int width = parts[1].toInt(&widthOk);
        if (positionOk && position >= 0 && position < header->count())
            positions.emplace_back(position, column);
        if (widthOk && width > 0 && width < 10000)
            header->resizeSection(column, width);
        header->setSectionHidden(column, parts[2].trimmed() == "0");
    }
    std::sort(positions.begin(), positions.end());
    for (const auto& [position, column] : positions)
        header->moveSection(header->visualIndex(column), position);
}

void TfrmQeLiteMain::WriteColumnLayout() {
    IniFile ini = IniFile::Load(core_->SettingsPath());
    const QHeaderView* header = dxgSchedule->horizontalHeader();
    for (int column = 0; column < scheduleModel_->columnCount(); ++column) {
        const QString value = QString("%1,%2,%3")
                                  .arg(header->visualIndex(column))
                                  .arg(header->sectionSize(column))
                                  .arg(header->isSectionHidden(column) ? 0 : 1);
        ini.WriteString(ColumnLayoutSection, scheduleModel_->ColumnField(column).toStdString(),
                        value.toStdString());
    }
    ini.Save(core_->SettingsPath());
}

} // namespace corvane
