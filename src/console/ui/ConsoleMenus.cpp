#include "console/ui/ConsoleMenus.h"

#include "platform/qt/ConsoleCommands.h"

#include <QIcon>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <initializer_list>

namespace corvane {
namespace {

// Adds the named commands in order; an empty name is a separator.
template <typename Container>
void AddCommands(Container& to, ConsoleCommands& commands, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (*name)
            to.addAction(commands.Command(name));
        else
            to.addSeparator();
    }
}

QToolBar& AddToolBar(QMainWindow& window, ConsoleCommands& commands, const char* name, const QString& title,
                     std::initializer_list<const char*> names) {
    QToolBar* toolBar = window.addToolBar(title);
    toolBar->setObjectName(name);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    AddCommands(*toolBar, commands, names);
    return *toolBar;
}

} // namespace

ConsolePopups BuildConsoleMenus(QMainWindow& window, ConsoleCommands& commands) {
    const auto menu = [&](const char* title, const char* name, std::initializer_list<const char*> names) {
        QMenu* added = window.menuBar()->addMenu(title);
        added->setObjectName(name);
        AddCommands(*added, commands, names);
    };
    menu("&File", "mnuFile",
         {"StartBroadcast", "StopBroadcast", "PauseBroadcast", "", "actWizard", "actProperties", "",
          "actClose"});
    menu("&Edit", "mnuEdit", {"actSearchLibrary", "actSelectAll"});
    menu("&View", "mnuView",
         {"actPreviewNotes", "actFullScreen", "", "actLockConsole", "", "actVolumeControls", "actVolume"});
    menu("&System", "mnuSystem",
         {"actDisplaySettings", "actAdBreakConfiguration", "actRackConfiguration", "actRackManager", "",
          "actSoundConfiguration"});
    menu("&Help", "mnuHelp", {"actHelpContents", "actHelpSearch", "", "actAbout"});

    auto* schedule = new QMenu(&window);
    schedule->setObjectName("pmSchedule");
    AddCommands(*schedule, commands,
                {"actPlaySelected", "actFadeToSelected", "actFadeToNext", "actFadeToStop", "", "actCut",
                 "actPaste", "actDeleteItem", ""});
    auto* exportMenu = new QMenu("Export Schedule", schedule);
    exportMenu->setObjectName("mnuExportSchedule");
    AddCommands(*exportMenu, commands, {"actExportHtml", "actExportSpreadsheet"});
    commands.Command("actExportSchedule")->setMenu(exportMenu);
    schedule->addAction(commands.Command("actExportSchedule"));
    AddCommands(*schedule, commands, {"actCustomiseColumns", "actDisplaySetup", "", "actMinimize"});
    window.addActions(schedule->actions());

    auto* tray = new QMenu(&window);
    tray->setObjectName("pmTray");
    AddCommands(*tray, commands, {"actOpenCorvane", "", "actTrayClose"});
    return {*schedule, *tray};
}

QLineEdit& BuildConsoleToolBars(QMainWindow& window, ConsoleCommands& commands) {
    AddToolBar(
        window, commands, "tbBroadcast", "Broadcast",
        {"StartBroadcast", "StopBroadcast", "PauseBroadcast", "actFadeToNextToolbar", "", "actProperties"});
    QToolBar& schedule =
        AddToolBar(window, commands, "tbSchedule", "Schedule",
                   {"actLoadSchedule", "actSaveSchedule", "actClearSchedule", "", "actMoveUp", "actMoveDown",
                    "actCutToolbar", "actPasteToolbar", "actSelectAll"});
    auto* filter = new QLineEdit(&schedule);
    filter->setObjectName("edtScheduleFilter");
    filter->setPlaceholderText("Schedule Filter");
    filter->setToolTip("&Schedule Filter (F11 applies)");
    filter->setMaximumWidth(140);
    schedule.addWidget(filter);
    auto* database = new QToolButton(&schedule);
    database->setObjectName("btnDatabaseManagement");
    database->setText("&Database Management");
    database->setPopupMode(QToolButton::InstantPopup);
    auto* databaseMenu = new QMenu(database);
    databaseMenu->addAction(commands.Command("actCommitDatabase"));
    database->setMenu(databaseMenu);
    schedule.addWidget(database);
    window.addToolBarBreak();
    AddToolBar(window, commands, "tbTools", "Tools",
               {"actPlayLists", "actLoadPlayList", "actAudioLibrary", "actCommercials", "actFolderList"});
    return *filter;
}

QIcon ConsoleTrayIcon() {
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

} // namespace corvane
