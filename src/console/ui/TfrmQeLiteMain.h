#pragma once

#include "audio/device/WaveInDevice.h"
#include "audio/plugins/PluginCommands.h"
#include "audio/plugins/TMMDSPPlugin.h"
#include "console/ConsoleCore.h"
#include "console/ConsoleView.h"
#include "console/displays/ConsoleDisplays.h"
#include "console/displays/DisplayView.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/TfrmQelDisplaySetup.h"
#include "platform/Seams.h"
#include "tools/ConsoleTools.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <filesystem>
#include <memory>
#include <vector>

class QKeyEvent;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTreeView;
class QWidget;

namespace corvane {

class AdSchedule;
class AudioRackPage;
class CommercialBreaks;
class CommercialsPage;
class ConsoleCommands;
class ConsoleDialogCommands;
class ConsoleMeterPanel;
class ConsolePlayLists;
class EventsPage;
class TfrmQelCommercials;
class LedDigit;
class ScheduleEditing;
class ScheduleRowDelegate;
class ScheduleGridModel;
class SpeedSearchPage;
class TdmQelData;
class TfrmQelFileImport;
class TPlayoutConsole;
class WaveDevice;
struct FileArgumentRoutes;
struct PlayoutCommands;
struct PlayoutHost;

// Whether the console may hide to a tray icon; without a tray area on the
// desktop "Minimize Corvane" minimises the window to the task bar instead.
enum class TrayUse { WhenAvailable, Never };

// The console window: menus, tool bars, the schedule grid, the lower page
// control and the status bar. Its rules live in ConsoleCore, which it owns;
// the window binds widgets to it and implements ConsoleView for it. Creating
// the window runs FormCreate, showing it FormShow, closing it FormCloseQuery.
// It owns the playout engine on `device` and binds its commands and displays.
class TfrmQeLiteMain final : public QMainWindow, private ConsoleView, private DisplayView {
    Q_OBJECT
public:
    TfrmQeLiteMain(Seams seams, TdmQelData& data, std::filesystem::path programFolder, WaveDevice& device,
                   ConsoleParts parts = {}, TrayUse tray = TrayUse::WhenAvailable, QWidget* parent = nullptr);
    ~TfrmQeLiteMain() override;

    ConsoleCore& Core() { return *core_; }
    TPlayoutConsole& Playout() { return *playout_; }
    ConsoleCommands& Commands() { return *commands_; }
    QTableView& ScheduleGrid() { return *dxgSchedule; }
    QTabWidget& ControlCenter() { return *ControlCenter_; }
    QMenu& SchedulePopup() { return *pmSchedule; }
    QMenu& TrayPopup() { return *pmTray; }
    // Nullptr on a desktop without a tray area.
    QSystemTrayIcon* Tray() { return rxTray; }
    QString StatusText(int panel) const;
    const GridAppearance& GridLook() const { return gridAppearance_; }
    void SetGridLook(const GridAppearance& appearance);
    QWidget& ClockPanel() { return *mmLiveTimers; }
    // The schedule's editing commands, filter box, drops and Speed Search page.
    ScheduleEditing& Editing() { return *scheduleEditing_; }
    QLineEdit& ScheduleFilter() { return *edtScheduleFilter; }
    SpeedSearchPage& SpeedSearch() { return *speedSearch_; }

    // The displays playout feeds: item information, remaining time, clock
    // and countdown (tmrClock ticks it), the meters and the spectrum.
    ConsoleDisplays& Displays() { return *displays_; }
    ConsoleMeterPanel& MeterPanel() { return *meterPanel_; }
    // The item on air: the title of the schedule row under the cursor, the
    // deck's file and its length (ms).
    void ShowItemInfo(const std::string& file, int lengthMs);
    // The played percentage of the item on air, 0..100.
    void SetGauge(int percent);
    // The rows of the item on air and the next item (ItemPlayOrder, 0: none).
    void SetPlayingItems(int currentItem, int nextItem);
    bool NotesPreviewShown() const;

    // The commands the window carries out itself.
    void CloseConsole();
    // Closing when the program is told to end (SIGTERM, SIGINT): as the
    // console's own close, but nothing waits for an answer.
    void CloseForTermination();
    void MinimizeCorvane();
    void OpenCorvane();
    void ShowProperties();
    void ShowDisplaySetup();
    // "&Full Screen": borderless over the screen's work area, or back to a
    // sizeable border; the tool bars and the menu are shown either way.
    void ToggleFullScreen();
    // "&Preview Notes": each row's notes under it, or not.
    void ToggleNotesPreview();
    TfrmQelDisplaySetup* DisplaySetup() { return displaySetup_; }
    // The tool windows the parts of the console share (parameter browser, previewer).
    ConsoleTools& Tools() { return tools_; }
    // Commercials: the breaks on air, the ad schedule and the "Commercials" page.
    CommercialBreaks& Commercials() { return *commercials_; }
    AdSchedule& AdScheduleImport() { return *adSchedule_; }
    CommercialsPage& CommercialsPageWidget() { return *commercialsPage_; }
    // The commercials editor: opened (once) with a list file or none.
    void OpenCommercialsEditor(const std::string& listFile);
    TfrmQelCommercials* CommercialsEditor();
    // Play lists and the smaller dialogs (TfrmQeLiteMainPlayLists.cpp).
    ConsolePlayLists& PlayLists() { return *playLists_; }
    ConsoleDialogCommands& Dialogs() { return *dialogs_; }
    // The Events and Audio Rack pages (TfrmQeLiteMainEvents.cpp, TfrmQeLiteMainRack.cpp).
    EventsPage& Events() { return *eventsPage_; }
    AudioRackPage& AudioRack() { return *rackPage_; }

    // Tools and plug-ins (TfrmQeLiteMainTools.cpp, TfrmQeLiteMainPlugins.cpp):
    // audio logging (F7) records from this input (the default input through
    // PortAudio unless set before first use); "Loc&k Console" (Ctrl+L); the
    // DspPlugin between MMRingBuffer1 and mmAudioOut with its "Plugins" menu.
    void SetRecordingDevice(WaveInDevice& device) { recordingDevice_ = &device; }
    void OpenAudioLogging();
    QWidget* AudioLogging() { return snoop_; }
    void LockConsole();
    TMMDSPPlugin& DspPlugin() { return *DspPlugin_; }
    QMenu& PluginsMenu() { return *mnuPlugins; }
    // Audio library: "&Audio Library" opens the library manager, the wizard
    // opens it with an automatic scan; one window, brought up when open.
    enum class LibraryOpening { Plain, WithAutoScan };
    TfrmQelFileImport& OpenAudioLibrary(LibraryOpening opening);
    // A file named on the command line, opened as its type suggests; the
    // rack's and the commercial list's routes are filled by those parts.
    void OpenFileArgument(const std::string& path);
    FileArgumentRoutes& FileRoutes();

protected:
    // The console's key preview: function keys and Ctrl+arrows act before the
    // focused control sees them.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Files dropped from the desktop anywhere on the window; library rows
    // dropped on the schedule grid.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ConsoleView
    GridAppearance CurrentGridAppearance() const override { return gridAppearance_; }
    void ApplyGridAppearance(const GridAppearance& appearance) override { SetGridLook(appearance); }
    void SetClockPanelVisible(bool visible) override;
    std::string FolderBrowserFolder() const override;
    void SetFolderBrowserFolder(const std::string& folder) override;
    void SetRackCaption(const std::string& caption) override;
    void ShowCommercialFolder(const std::string& folder) override;
    void SetStatusText(int panel, const std::string& text) override;
    void ClearItemDisplay() override;
    void SetTotalDuration(const std::string& text) override;
    void SetAcceptDroppedFiles(bool accept) override;
    void ProcessPendingMessages() override;
    void Repaint() override;

    // DisplayView
    void SetItemTexts(const ItemTexts& texts) override;
    void ClearItemStatus() override;
    void SetDigitGroup(DigitGroup group, int value) override;
    void SetRemainingLight(DigitLight light) override;
    void SetRemainingColour(Rgb colour) override;

    void BuildMenus();
    void BuildToolBars();
    void BuildPages();
    QWidget* BuildVisualsPage();
    QWidget* BuildAudioRackPage();
    QWidget* BuildCommercialsPage();
    QWidget* BuildEventsPage();
    QWidget* BuildLiveAssistPage();
    QWidget* BuildSpeedSearchPage();
    void BuildTray(TrayUse tray);
    void ReadColumnLayout();
    void WriteColumnLayout();
    void Implement(const char* command, void (TfrmQeLiteMain::*handler)());
    DropTarget DropTargetAt(const QPointF& position) const;
    // Accepts or refuses a drag entering, moving or dropped, for `target`.
    bool AcceptDrag(QDropEvent& event, DropTarget target);

    // Playout (TfrmQeLiteMainPlayout.cpp): the parts the core calls, the
    // host's displays, the commands and the key preview.
    void FillPlayoutParts(ConsoleParts& parts);
    void BuildPlayout(WaveDevice& device, const std::filesystem::path& programFolder);
    PlayoutHost PlayoutDisplays();
    void ApplyPlayoutCommands(const PlayoutCommands& commands);
    void BindPlayoutCommands();
    void BindPlayout(const char* command, void (TPlayoutConsole::*operation)());
    // True when the key was taken by the console.
    bool PreviewPlayoutKey(const QKeyEvent& key);

    // Commercials (TfrmQeLiteMainCommercials.cpp): the parts the core calls,
    // playout's break hand-over, the page and the commands.
    void FillCommercialParts(ConsoleParts& parts);
    void FillCommercialsHost(PlayoutHost& host);
    void BuildCommercials();
    void ShowCommercialListFolder(const std::string& folder);
    void BindCommercialCommands();
    // Closes the commercials editor before the console closes: asking about
    // an unsaved list as the editor's own close does, or keeping it without a
    // question. False when the operator cancelled.
    enum class CloseQuestions { Ask, None };
    bool CloseCommercialsEditor(CloseQuestions questions);
    CloseQuestions closeQuestions_ = CloseQuestions::Ask;
    // Play lists and the smaller dialogs (TfrmQeLiteMainPlayLists.cpp): the
    // parts start-up calls, the "&Recent" menu and the commands.
    void FillPlayListParts(ConsoleParts& parts);
    void BuildPlayListsAndDialogs(WaveDevice& device);
    ConsolePlayLists* playLists_ = nullptr;
    ConsoleDialogCommands* dialogs_ = nullptr;
    // Events (TfrmQeLiteMainEvents.cpp) and the audio rack (TfrmQeLiteMainRack.cpp).
    void FillEventParts(ConsoleParts& parts);
    void BindEventsPage();
    void FillRackParts(ConsoleParts& parts);
    void BindAudioRackPage();
    // Tools and plug-ins.
    void BuildTools();
    void BuildPlugins();
    std::unique_ptr<WaveInDevice> ownRecordingDevice_;
    WaveInDevice* recordingDevice_ = nullptr;
    QPointer<QWidget> snoop_;
    std::unique_ptr<TMMDSPPlugin> DspPlugin_;
    std::unique_ptr<PluginCommands> pluginCommands_;
    QMenu* mnuPlugins = nullptr;
    // Audio library and previewer (TfrmQeLiteMainLibrary.cpp): the shared
    // tool windows, the library manager and the database commands.
    void BuildLibrary(WaveDevice& device, const ConsoleParts& parts);
    // The outputs the previewer may use, for the Properties dialog.
    std::vector<std::string> PreviewOutputs() const;
    struct LibraryBinding;
    struct LibraryBindingDeleter {
        void operator()(LibraryBinding* binding) const;
    };

    Seams seams_;
    TdmQelData& data_;
    ConsoleCommands* commands_ = nullptr;
    ScheduleGridModel* scheduleModel_ = nullptr;
    GridAppearance gridAppearance_;

    QTableView* dxgSchedule = nullptr;
    QSplitter* splitter_ = nullptr;
    QTabWidget* ControlCenter_ = nullptr;
    QMenu* pmSchedule = nullptr;
    QMenu* pmTray = nullptr;
    QSystemTrayIcon* rxTray = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    QLabel* lblTitle = nullptr;
    QLabel* lblFile = nullptr;
    QLabel* lblDuration = nullptr;
    QLabel* lblCurrentItem = nullptr;
    QLabel* lblTotalDuration = nullptr;
    QLabel* pnlCartRackLabel = nullptr;
    QWidget* mmLiveTimers = nullptr;
    QProgressBar* Gauge = nullptr;
    ConsoleMeterPanel* meterPanel_ = nullptr;
    ScheduleRowDelegate* rowDelegate_ = nullptr;
    // Per digit group the tens and units digits it feeds.
    std::array<std::vector<std::pair<LedDigit*, LedDigit*>>, 8> ledGroups_;
    std::vector<LedDigit*> bigDigits_;
    std::unique_ptr<ConsoleDisplays> displays_;
    QLineEdit* edtScheduleFilter = nullptr;
    SpeedSearchPage* speedSearch_ = nullptr;
    ScheduleEditing* scheduleEditing_ = nullptr;
    CommercialsPage* commercialsPage_ = nullptr;
    QPointer<TfrmQelCommercials> commercialsEditor_;
    QPointer<TfrmQelDisplaySetup> displaySetup_;
    ConsoleTools tools_;

    std::unique_ptr<ConsoleCore> core_;
    // Holds the core's settings by reference: created after it, gone before it.
    std::unique_ptr<TPlayoutConsole> playout_;
    // Drive playout: created after it, gone before it.
    std::unique_ptr<CommercialBreaks> commercials_;
    std::unique_ptr<AdSchedule> adSchedule_;
    // They drive playout and the core's EventTimer: created after them, gone before them.
    std::unique_ptr<EventsPage> eventsPage_;
    std::unique_ptr<AudioRackPage> rackPage_;
    // Audio library: the library manager, its facts reader and the file routes.
    std::unique_ptr<LibraryBinding, LibraryBindingDeleter> library_;
};

} // namespace corvane
