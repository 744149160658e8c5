#include "platform/qt/ConsoleCommands.h"

#include <QSet>
#include <stdexcept>

namespace corvane {
namespace {

struct CommandDef {
    const char* name;
    const char* caption;
    const char* shortcut;
    const char* hint;
};

// Every command of the console window, its menus, tool bars, schedule popup
// and tray menu. Shortcuts that two commands share are given to one of them:
// Ctrl+F7 starts the broadcast ("&Preview Notes" shows it only in its hint),
// F9 is the function key of "&Start" (Folder List carries none).
const CommandDef Commands[] = {
    // File menu and tool bar
    {"StartBroadcast", "&Start", "Ctrl+F7", "Start Broadcast"},
    {"StopBroadcast", "St&op", "Ctrl+F8", "Stop Broadcast"},
    {"PauseBroadcast", "Pa&use", "Ctrl+F9", "Pause Broadcast"},
    {"DelayPauseBroadcast", "F5: Delayed Pause ", "", "Pause after the item on air"},
    {"actWizard", "&Wizard", "Ctrl+W", "Corvane Wizard"},
    {"actProperties", "&Properties", "", "Properties"},
    {"actClose", "&Close", "", "Close Corvane"},
    // Edit menu
    {"actSearchLibrary", "Search &Audio Library...", "Ctrl+F", "Search the audio library"},
    {"actSelectAll", "&Select All", "Ctrl+A", "Select every row of the schedule"},
    // View menu
    {"actPreviewNotes", "&Preview Notes", "", "Preview Notes (Ctrl+F7)"},
    {"actFullScreen", "&Full Screen", "Ctrl+F11", "Full Screen"},
    {"actLockConsole", "Loc&k Console", "Ctrl+L", "Lock the console"},
    {"actVolumeControls", "&Volume / Mixer Controls", "Ctrl+Shift+V", "Volume / Mixer Controls"},
    {"actVolume", "&Volume", "", "Volume"},
    // Schedule tool bar
    {"actLoadSchedule", "&Load Sc&hedule File", "", "Load a schedule file"},
    {"actSaveSchedule", "&Save Schedule &File", "", "Save the schedule to a file"},
    {"actClearSchedule", "Cle&ar Current Schedule", "", "Clear the schedule"},
    {"actMoveUp", "Move &Up", "", "Move the row up"},
    {"actMoveDown", "Move Dow&n", "", "Move the row down"},
    {"actCutToolbar", "Cut", "", "Cut rows"},
    {"actPasteToolbar", "Paste", "", "Paste rows"},
    {"actCommitDatabase", "Commit Database", "", "Write every table to disk"},
    {"actCommitChanges", "Commit Changes", "", "Write every table to disk"},
    {"actLoadPlayList", "&Load Playlist", "Ctrl+O", "Load a play list into the schedule"},
    {"actPlayLists", "Playlis&ts", "", "Playlist Manager"},
    {"actAudioLibrary", "&Audio Library", "", "Audio Library"},
    {"actCommercials", "&Commercials", "", "Commercials"},
    {"actFolderList", "Folder &List", "", "Folder List"},
    {"actFadeToNextToolbar", "Fade to &Next", "", "Fade to Next"},
    // Schedule popup menu
    {"actPlaySelected", "&Play Selected", "Return", "Play the selected row"},
    {"actFadeToSelected", "&Fade to Selected", "Space", "Fade to the selected row"},
    {"actFadeToNext", "Fade to Next", "F6", "Fade to Next"},
    {"actFadeToStop", "Fade to Stop", "Ctrl+F6", "Fade to Stop"},
    {"actCut", "&Cut", "Ctrl+X", "Cut rows"},
    {"actPaste", "&Paste", "Ctrl+V", "Paste rows"},
    {"actDeleteItem", "&Delete Selected Item", "Ctrl+D", "Delete the current row"},
    {"actExportSchedule", "Export Schedule", "", "Export the schedule"},
    {"actExportHtml", "HTML", "", "Export the schedule as HTML"},
    {"actExportSpreadsheet", "Excel Spreadsheet", "", "Export the schedule as a spreadsheet"},
    {"actCustomiseColumns", "&Customise Columns", "Ctrl+Alt+C", "Choose the grid's columns"},
    {"actDisplaySetup", "&Display Setup", "Shift+D", "Display Setup"},
    {"actMinimize", "Minimize Corvane", "Ctrl+Alt+F11", "Hide the console to the tray"},
    // Speed Search page: the library grid's and the file list's menus
    {"actAddSelectedTitles", "Add Selected File(s)", "Ctrl+Return",
     "Add the selected titles to the schedule"},
    {"actAddSelectedFiles", "&Add Selected File(s)", "Ctrl+Return", "Add the selected files to the schedule"},
    {"actSelectAllFiles", "&Select All", "", "Select every file of the list"},
    // Tray menu
    {"actOpenCorvane", "&Open Corvane", "Ctrl+Alt+F11", "Show the console"},
    {"actTrayClose", "&Close", "", "Close Corvane"},
    // System menu
    {"actDisplaySettings", "&Display Settings", "", "Display Setup"},
    {"actAdBreakConfiguration", "&Ad-Break Configuration", "", "Ad-break times"},
    {"actRackConfiguration", "Audio Rack &Configuration", "", "Audio rack"},
    {"actRackManager", "Rack &Manager", "", "Audio Rack Manager"},
    // Its keys are the console's key preview's (Ctrl+Alt+F12 and, where the
    // desktop takes that one, Ctrl+Shift+F12); the menu shows them only.
    {"actSoundConfiguration", "S&ound Configuration...\tCtrl+Shift+F12", "",
     "Output device and buffers, off air only (Ctrl+Alt+F12 or Ctrl+Shift+F12)"},
    // Commercials: the System menu's ad schedule, the "Commercials" page's
    // popups ("&Play Selected Item" leaves Ctrl+F6 to "Fade to Stop").
    {"actImportAdSchedule", "&Import Vantor Ad Schedule", "", "Fetch today's ad schedule"},
    {"actRefreshAdSchedule", "&Refresh Ad Schedule", "", "Load today's ad schedule"},
    {"actRefreshCommercialLists", "&Refresh", "", "List the commercial lists again"},
    {"actNewCommercialList", "&New Commercial List", "", "Set up a new commercial list"},
    {"actEditCommercialList", "&Edit Commercial List", "", "Edit the selected commercial list"},
    {"actRapidFadeToNextCommercial", "&Rapid Fade to Next Commercial", "Ctrl+F5", "Start the next break"},
    {"actStopCommercialResume", "&Stop Commercial Break and Resume", "", "End the break and resume"},
    {"actViewNextCommercialOnly", "View Next Commercial Only", "", "Show only the next break"},
    {"actPlaySelectedCommercial", "&Play Selected Item", "", "Play the selected commercial (Ctrl+F6)"},
    {"actRefreshCommercials", "&Refresh Commercials", "Ctrl+R", "Load the commercial list again"},
    // Help menu
    {"actHelpContents", "&Contents", "", "Help contents"},
    {"actHelpSearch", "&Search for help on...", "", "Search the help"},
    {"actAbout", "&About Corvane", "", "About Vantor Corvane"},
    // Transport buttons
    {"actSkipRight", ">>", "", "Shuffle Forward"},
    {"actSkipLeft", "<<", "", "Shuffle Back"},
    {"actRestart", "I<", "", "Restart Current Track"},
};

} // namespace

ConsoleCommands::ConsoleCommands(QObject* parent) : QObject(parent) {
    setObjectName("cvActions");
    for (const auto& def : Commands) {
        auto* action = new QAction(QString::fromUtf8(def.caption), this);
        action->setObjectName(def.name);
        if (*def.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(def.shortcut)));
        action->setToolTip(QString::fromUtf8(def.hint));
        action->setStatusTip(QString::fromUtf8(def.hint));
        action->setEnabled(false);
        commands_.insert(def.name, action);
    }
}

QAction* ConsoleCommands::Command(const QString& name) const {
    QAction* action = commands_.value(name);
    if (!action)
        throw std::out_of_range("No console command \"" + name.toStdString() + "\"");
    return action;
}

void ConsoleCommands::SetEnabled(const QString& name, bool enabled) {
    Command(name)->setEnabled(enabled && implemented_.contains(name));
}

void ConsoleCommands::Implement(const QString& name) {
    implemented_.insert(name);
    Command(name)->setEnabled(true);
}

} // namespace corvane
