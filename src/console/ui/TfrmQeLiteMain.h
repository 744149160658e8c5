#pragma once

#include "broadcast/ui/SilenceIndicator.h"
#include "broadcast/ui/StreamIndicator.h"
#include "console/ui/ConsoleLibrary.h"
#include "console/ui/ScheduleEditing.h"
#include "console/ui/TfrmQelDisplaySetup.h"
#include "platform/Seams.h"
#include "playout/displays/ConsoleDisplays.h"
#include "station/Station.h"
#include "station/StationView.h"
#include "tools/ConsoleTools.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <filesystem>
#include <memory>
#include <vector>

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

class AudioRackPage;
class CommercialsPage;
class ConsoleCommercials;
class ConsoleCommands;
class ConsoleDialogCommands;
class ConsoleDisplayPages;
class ConsoleMeterPanel;
class ConsolePlayLists;
class ConsolePlayout;
class EventsPage;
class TfrmQelCommercials;
class LedDigit;
class ScheduleEditing;
class ScheduleRowDelegate;
class ScheduleGridModel;
class SpeedSearchPage;
class TfrmQelFileImport;
struct FileArgumentRoutes;

// Whether the console may hide to a tray icon; without a tray area on the
// desktop "Minimize Corvane" minimises the window to the task bar instead.
enum class TrayUse { WhenAvailable, Never };

// The console window: menus, tool bars, the schedule grid, the lower page
// control and the status bar, over a station built before it and outliving
// it. The window builds widgets and binds them to the station's parts; it is
// the station's view while it exists. Creating the window starts the station,
// showing it shows the station, closing it closes the station.
class TfrmQeLiteMain final : public QMainWindow, private StationView {
    Q_OBJECT
public:
    explicit TfrmQeLiteMain(Station& station, TrayUse tray = TrayUse::WhenAvailable,
                            QWidget* parent = nullptr);
    ~TfrmQeLiteMain() override;

    Station& OnAirStation() { return station_; }
    ConsoleCore& Core() { return station_.Core(); }
    PlayoutEngine& Playout() { return station_.Playout(); }
    ConsoleCommands& Commands() { return *commands_; }
    QTableView& ScheduleGrid() { return *dxgSchedule; }
    QTabWidget& ControlCenter() { return *ControlCenter_; }
    QMenu& SchedulePopup() { return *pmSchedule; }
    QMenu& TrayPopup() { return *pmTray; }
    // Nullptr on a desktop without a tray area.
    QSystemTrayIcon* Tray() { return rxTray; }
    QString StatusText(int panel) const;
    // The stream's light on the status bar.
    StreamIndicator& StreamLight() { return *streamIndicator_; }
    SilenceIndicator& SilenceLight() { return *silenceIndicator_; }
    const GridAppearance& GridLook() const { return gridAppearance_; }
    void SetGridLook(const GridAppearance& appearance);
    QWidget& ClockPanel();
    // The schedule's editing commands, filter box, drops and Speed Search page.
    ScheduleEditing& Editing() { return *scheduleEditing_; }
    QLineEdit& ScheduleFilter() { return *edtScheduleFilter; }
    SpeedSearchPage& SpeedSearch() { return *speedSearch_; }

    // The displays playout feeds: item information, remaining time, clock
    // and countdown (tmrClock ticks it), the meters and the spectrum.
    ConsoleDisplays& Displays() { return *displays_; }
    ConsoleMeterPanel& MeterPanel();
    // The item on air: the title of the schedule row under the cursor, the
    // deck's file and its length (ms).
    void ShowItemInfo(const std::string& file, int lengthMs);
    // The played percentage of the item on air, 0..100.
    void SetGauge(int percent);
    // The rows of the item on air and the next item (ItemPlayOrder, 0: none).
    void SetPlayingItems(int currentItem, int nextItem, uint64_t currentRow = 0);
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
    // Commercials: the breaks on air and the "Commercials" page.
    CommercialBreaks& Commercials() { return station_.Commercials(); }
    CommercialsPage& CommercialsPageWidget() { return *commercialsPage_; }
    // The commercials editor: opened (once) with a list file or none.
    void OpenCommercialsEditor(const std::string& listFile);
    TfrmQelCommercials* CommercialsEditor();
    // Play lists and the smaller dialogs.
    ConsolePlayLists& PlayLists() { return *playLists_; }
    ConsoleDialogCommands& Dialogs() { return *dialogs_; }
    // The Events and Audio Rack pages.
    EventsPage& Events() { return *eventsPage_; }
    AudioRackPage& AudioRack() { return *rackPage_; }

    // Tools and plug-ins: audio logging (F7) records from the station's input; "Loc&k Console"
    // (Ctrl+L); the station's DspPlugin with its "Plugins" menu.
    void OpenAudioLogging();
    QWidget* AudioLogging() { return snoop_; }
    void LockConsole();
    TMMDSPPlugin& DspPlugin() { return station_.DspPlugin(); }
    QMenu& PluginsMenu() { return *mnuPlugins; }
    // Audio library: "&Audio Library" opens the library manager, the wizard
    // opens it with an automatic scan; one window, brought up when open.
    using LibraryOpening = ConsoleLibrary::Opening;
    TfrmQelFileImport& OpenAudioLibrary(LibraryOpening opening);
    // A file named on the command line, opened as its type suggests; the
    // rack's and the commercial list's routes are filled by those parts.
    void OpenFileArgument(const std::string& path);
    FileArgumentRoutes& FileRoutes();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // StationView: the ConsoleView part
    GridAppearance CurrentGridAppearance() const override { return gridAppearance_; }
    void ApplyGridAppearance(const GridAppearance& appearance) override { SetGridLook(appearance); }
    void SetClockPanelVisible(bool visible) override;
    std::string FolderBrowserFolder() const override;
    void SetFolderBrowserFolder(const std::string& folder) override;
    void SetRackCaption(const std::string& caption) override;
    void ShowCommercialFolder(const std::string& folder) override;
    void SetStatusText(int panel, const std::string& text) override {
        statusPanels_[panel]->setText(QString::fromStdString(text));
    }
    void ClearItemDisplay() override { displays_->ClearItemInfo(); }
    void SetTotalDuration(const std::string& text) override;
    void SetAcceptDroppedFiles(bool accept) override { setAcceptDrops(accept); }
    void ProcessPendingMessages() override;
    void Repaint() override { update(); }
    // StationView: the running schedule's editing (ScheduleEditing shows it)
    bool MoveCommandsEnabled() override;
    void EnableMoveCommands() override;
    void ClearScheduleSelection() override;
    void KeepResponsive() override;
    void CutPasteChanged() override;
    // StationView: what the station's parts show
    void ApplyPlayoutCommands(const PlayoutCommands& commands) override;
    void ShowItemHeard(const std::string& title, const std::string& file, int lengthMs) override {
        displays_->ShowItemInfo(title, file, lengthMs);
    }
    void ClearItemHeard() override;
    void ShowRemaining(int remainingMs) override { displays_->UpdateRemainingDisplay(remainingMs); }
    void ShowGauge(int percent) override { SetGauge(percent); }
    void ShowDelayedPause(bool visible) override;
    void HoldGridRepaint(bool hold) override;
    void RepaintGrid(int currentItem, int nextItem, uint64_t currentRow) override;
    void SetBusy(bool busy) override;
    void BufferPlayed(const uint8_t*, uint32_t) override {}
    void ShowBreakActive(bool active) override;
    void ShowCurrentCommercialList(const std::string& entry) override;
    void HoldCommercialGrid(bool hold) override;
    void ShowNextBreakTime(const std::string& time) override { displays_->SetNextBreakTime(time); }
    std::string LongDayName(TDateTime when) const override;
    void EnableRackButtons(bool up, bool down) override;
    void ShowRunScheduledEvents(bool checked) override;
    void ShowStreamState(StreamState state) override;
    void ShowSilenceAlarm(bool on) override;
    void RefreshRecentPlayLists() override;
    void ShowFirstRunWizard() override;
    void ShowLibraryStatus(const std::string& text) override {
        libraryStatus_->setText(QString::fromStdString(text));
        // Why it is not shared, beside the hidden message list.
        const LibraryReplica* shared = station_.SharedLibrary();
        libraryStatus_->setToolTip(
            QString::fromStdString(shared != nullptr ? shared->LastReason() : std::string()));
    }

    void BuildMenus();
    void BuildPages();
    QWidget* BuildAudioRackPage();
    QWidget* BuildCommercialsPage();
    QWidget* BuildEventsPage();
    QWidget* BuildSpeedSearchPage();
    void BuildTray(TrayUse tray);
    void Implement(const char* command, void (TfrmQeLiteMain::*handler)());

    // The station's parts (TfrmQeLiteMainParts.cpp).
    // Commercials: the page and the commands.
    void BindCommercialCommands();
    // Closes the commercials editor before the console closes: asking about
    // an unsaved list as the editor's own close does, or keeping it without a
    // question. False when the operator cancelled.
    enum class CloseQuestions { Ask, None };
    bool CloseCommercialsEditor(CloseQuestions questions);
    CloseQuestions closeQuestions_ = CloseQuestions::Ask;
    // Play lists and the smaller dialogs: the "&Recent" menu and the commands.
    void BuildPlayListsAndDialogs();
    ConsolePlayLists* playLists_ = nullptr;
    ConsoleDialogCommands* dialogs_ = nullptr;
    // Events and the audio rack.
    void BindEventsPage();
    void BindAudioRackPage();
    // Tools and plug-ins.
    void BuildTools();
    void BuildPlugins();
    QPointer<QWidget> snoop_;
    QMenu* mnuPlugins = nullptr;
    // Audio library and previewer: the shared tool windows, the library
    // manager and the database commands.
    void BuildLibrary();

    Station& station_;
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
    // Where the audio library stands: local, shared, or offline with changes waiting.
    QLabel* libraryStatus_ = nullptr;
    StreamIndicator* streamIndicator_ = nullptr;
    SilenceIndicator* silenceIndicator_ = nullptr;
    QLabel* pnlCartRackLabel = nullptr;
    ScheduleRowDelegate* rowDelegate_ = nullptr;
    // Playout's commands, key preview and meters; gone before the meter panel.
    std::unique_ptr<ConsolePlayout> playoutBinding_;
    // "Visuals" and "Live Assist", and the rules of what they show.
    std::unique_ptr<ConsoleDisplayPages> displayPages_;
    std::unique_ptr<ConsoleDisplays> displays_;
    QLineEdit* edtScheduleFilter = nullptr;
    SpeedSearchPage* speedSearch_ = nullptr;
    ScheduleEditing* scheduleEditing_ = nullptr;
    CommercialsPage* commercialsPage_ = nullptr;
    std::unique_ptr<ConsoleCommercials> commercials_;
    QPointer<TfrmQelDisplaySetup> displaySetup_;
    ConsoleTools tools_;

    // The station's event dispatch and rack, shown and commanded.
    std::unique_ptr<EventsPage> eventsPage_;
    std::unique_ptr<AudioRackPage> rackPage_;
    // Audio library: the library manager, its facts reader and the file routes.
    std::unique_ptr<ConsoleLibrary> library_;
};

} // namespace corvane
