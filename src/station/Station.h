#pragma once

#include "asrun/AsRunJournal.h"
#include "asrun/AsRunRecorder.h"
#include "audio/input/TMMWaveRecorder.h"
#include "audio/plugins/PluginCommands.h"
#include "audio/plugins/TMMDSPPlugin.h"
#include "broadcast/IcecastStream.h"
#include "broadcast/NowPlayingAnnouncer.h"
#include "broadcast/SilenceDetector.h"
#include "commercials/AdSchedule.h"
#include "commercials/CommercialBreaks.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "events/EventHost.h"
#include "events/ScheduledEvents.h"
#include "library/LibraryAnalysis.h"
#include "libraryserver/LibraryReplica.h"
#include "loudness/AnalysisQueue.h"
#include "loudness/LoudnessLookup.h"
#include "loudness/LoudnessStore.h"
#include "platform/Seams.h"
#include "playlists/ScheduleEditor.h"
#include "playout/PlayoutEngine.h"
#include "rack/CartRack.h"
#include "station/AsRunPorts.h"
#include "station/ConsoleCore.h"
#include "station/HeadlessStationView.h"
#include "station/StationView.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

class WaveDevice;
class WaveInDevice;

// The sound devices a station plays to and records from.
struct StationDevices {
    WaveDevice& output;
    // Opens the input audio logging records from, at its first use; the
    // application opens the default input, tests a virtual one.
    std::function<std::unique_ptr<WaveInDevice>()> openRecordingInput;
};

// Where a station keeps its settings and tables, and what it is called.
struct StationSetup {
    // The data folder: "corvane.ini", the tables, the archive log.
    std::filesystem::path dataFolder;
    // The program's name, as the exception log names it.
    std::string programName;
    // Associates the program's file types for the user at start-up (empty:
    // an installed package has done it for every user).
    std::function<void()> registerFileTypes;
};

// Everything a running console has, Qt-free, built in one order: the data
// module, the console's start-up and settings (ConsoleCore, which also runs
// the autosave and the recovery copy), the running schedule's editor, the
// DSP plug-in, the playout engine, the commercial breaks and the ad schedule,
// the scheduled events, the cart rack and the input audio logging records
// from. The members below are that order; the language destroys them in
// reverse, so each part goes before the parts it uses.
//
// The station runs its own life: Start opens the tables, reads the settings
// and starts what runs from them; Show does what the first showing does (the
// first-run wizard, the last schedule loaded and started); Close stops the
// output and saves. The console window calls them as it is built, shown and
// closed; the renderer, benchmarks and tests call them without a window.
//
// The station shows nothing itself: what its parts show goes to the
// StationView attached to it (the console window), or nowhere while none is
// (the offline renderer, benchmarks, tests). The seams and the devices come
// from outside, so the application builds it on Qt and PortAudio and the
// virtual studio builds the same station. Main thread.
class Station final : private ConsoleView,
                      private ConsoleParts,
                      private ScheduleEditorHost,
                      private PlayoutHost,
                      private RackConsole,
                      private EventHost,
                      private LoudnessLookup {
public:
    Station(Seams seams, StationDevices devices, StationSetup setup);
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // --- Life ---
    // Start-up, once: the tables, the settings and what starts from them (the
    // output's buffers, the stream, today's commercial list, the events, the
    // autosave); offline, only what decides what is heard.
    void Start(StationMode mode);
    // Each time the station is shown: the first time, the first-run wizard,
    // or the last schedule loaded (and started when the settings say so).
    void Show();
    // Shutdown: the output stops, then the tables and the settings are
    // saved (offline nothing is saved). Never refused.
    void Close();
    StationMode Mode() const { return mode_; }

    // The window that shows the station from now on; Detach before it goes:
    // the station then stops taking dropped files and shows nothing.
    void Attach(StationView& view) { view_ = &view; }
    void Detach();

    TdmQelData& Data() { return data_; }
    ConsoleCore& Core() { return core_; }
    // The running schedule (cdsSchedule) and its editing, the one every
    // window command, event and the renderer goes through.
    ScheduleEditor& Schedule() { return schedule_; }
    AudioFileFacts& Facts() { return facts_; }
    // The titles' measurements ("loudness.db" in the data folder), which
    // playout applies as the settings say.
    LoudnessStore& Loudness() { return loudness_; }
    // Measures the titles the library imports, and the whole library on
    // demand, on worker threads into that store.
    LibraryAnalysis& TitleAnalysis() { return libraryAnalysis_; }
    PlayoutEngine& Playout() { return playout_; }
    // Between MMRingBuffer1 and mmAudioOut; disabled until a plug-in starts.
    TMMDSPPlugin& DspPlugin() { return dspPlugin_; }
    PluginCommands& Plugins() { return pluginCommands_; }
    CommercialBreaks& Commercials() { return commercials_; }
    AdSchedule& Ads() { return adSchedule_; }
    ScheduledEvents& Events() { return events_; }
    CartRack& Rack() { return rack_; }
    // The silence alarm on the air after the plug-in.
    const SilenceDetector& Silence() const { return silence_; }
    WaveDevice& Output() { return devices_.output; }
    // The input audio logging records from: the one handed to
    // UseRecordingInput, else the one the devices open at first use.
    WaveInDevice& RecordingInput();
    void UseRecordingInput(WaveInDevice& input) { recordingInput_ = &input; }
    // The recorder of the scheduled events; nullptr until one started.
    TMMWaveRecorder* EventRecorder() { return eventRecorder_.get(); }
    const Seams& seams() const { return seams_; }
    // The replica of the audio library shared on a server; nullptr while the
    // library is the console's own (no [Corvane_Library] Server).
    LibraryReplica* SharedLibrary() { return sharedLibrary_.get(); }

    // The as-run log's records of what is heard ("AsRun/<day>.jsonl" in the
    // data folder); nullptr offline.
    AsRunRecorder* AsRun() { return asRun_.get(); }
    AsRunJournal* AsRunFiles() { return asRunJournal_.get(); }
    static constexpr const char* AsRunFolderName = "AsRun";

    // Now & next: what listeners were last told (StationBroadcast.cpp).
    NowPlayingAnnouncer& NowPlaying() { return nowPlaying_; }
    // The stream to the Icecast server; nullptr while it is not enabled.
    IcecastStream* Stream() { return stream_.get(); }
    // Starts, restarts or ends the stream as the "[Corvane_Stream]" settings
    // now say. The station does it itself when they are read and changed;
    // tests call it again with short timings.
    void FollowStreamSettings(IcecastStream::Timing timing = {});

private:
    // ConsoleView: the core's displays go to the attached view; the
    // commercial-list folder is the commercial breaks' before it is shown.
    GridAppearance CurrentGridAppearance() const override { return view_->CurrentGridAppearance(); }
    void ApplyGridAppearance(const GridAppearance& appearance) override {
        view_->ApplyGridAppearance(appearance);
    }
    void SetClockPanelVisible(bool visible) override { view_->SetClockPanelVisible(visible); }
    std::string FolderBrowserFolder() const override { return view_->FolderBrowserFolder(); }
    void SetFolderBrowserFolder(const std::string& folder) override { view_->SetFolderBrowserFolder(folder); }
    void SetRackCaption(const std::string& caption) override { view_->SetRackCaption(caption); }
    void ShowCommercialFolder(const std::string& folder) override;
    void SetStatusText(int panel, const std::string& text) override { view_->SetStatusText(panel, text); }
    void ClearItemDisplay() override { view_->ClearItemDisplay(); }
    void SetTotalDuration(const std::string& text) override { view_->SetTotalDuration(text); }
    void SetAcceptDroppedFiles(bool accept) override { view_->SetAcceptDroppedFiles(accept); }
    void ProcessPendingMessages() override { view_->ProcessPendingMessages(); }
    void Repaint() override { view_->Repaint(); }

    // ConsoleParts: the core's start-up and shutdown steps go to the
    // station's own parts, and the window's through the view. The core calls
    // them only after the station is built (from Start) and before it goes.
    void SetOnAir(bool on) override { playout_.SetOnAir(on); }
    void RefreshCommands() override { playout_.RefreshCommands(); }
    void StartItem() override { playout_.StartItem(); }
    std::pair<int, int> OnAirPlace() override { return playout_.OnAirPlace(); }
    void ResumeItem(int item, int positionMs) override { playout_.ResumeItem(item, positionMs); }
    void SettingsRead() override;
    void SettingsChanged() override;
    void StopOutput() override { playout_.Shutdown(); }
    void LoadScheduleFile(const std::string& path) override { schedule_.LoadScheduleFile(path); }
    void RefreshRecentPlayLists() override { view_->RefreshRecentPlayLists(); }
    void RegisterFileTypes() override;
    void SetBreakActive(bool active) override { commercials_.SetBreakActive(active); }
    void SelectTodaysCommercialList() override;
    void StartEventProcessing() override { events_.StartEventProcessing(); }
    void LoadRack(const std::string& path) override { rack_.LoadRack(path); }
    void ShowFirstRunWizard() override { view_->ShowFirstRunWizard(); }
    void OpenSharedLibrary(const std::string& server, const std::function<void()>& openLocalCopy) override;

    // ScheduleEditorHost: the settings and the on-air commands are the
    // station's (RefreshCommands above, SetBusy below serve it too); what a
    // window shows goes to the view.
    void ShowTotalDuration(int seconds) override { core_.ShowTotalDuration(seconds); }
    void SetOnAirFalse() override { playout_.SetOnAir(false); }
    void SetLastScheduleLocation(const std::string& path) override {
        core_.MutableSettings().LastScheduleLocation = path;
    }
    bool MoveCommandsEnabled() override { return view_->MoveCommandsEnabled(); }
    void EnableMoveCommands() override { view_->EnableMoveCommands(); }
    void ClearScheduleSelection() override { view_->ClearScheduleSelection(); }
    void KeepResponsive() override { view_->KeepResponsive(); }
    void CutPasteChanged() override { view_->CutPasteChanged(); }

    // PlayoutHost: playout's displays go to the view; a break's port closes
    // (and its reset of the break, SetBreakActive above) go to the
    // commercial breaks.
    void ApplyCommands(const PlayoutCommands& commands) override { view_->ApplyPlayoutCommands(commands); }
    // The item display names the item heard; listeners are told the same and
    // the as-run log records it (StationBroadcast.cpp).
    void ShowItemInfo(const std::string& title, const std::string& file, int lengthMs) override;
    void ClearItemInfo() override {
        view_->ClearItemHeard();
        if (asRun_)
            asRun_->OutputStopped();
    }
    // The display tick also tells listeners of a break once it is heard.
    void ShowRemaining(int remainingMs) override {
        view_->ShowRemaining(remainingMs);
        TellBreakWhenHeard();
    }
    void SetGauge(int percent) override { view_->ShowGauge(percent); }
    void ShowDelayedPause(bool visible) override { view_->ShowDelayedPause(visible); }
    void HoldGridRepaint(bool hold) override { view_->HoldGridRepaint(hold); }
    // The rows lit are those heard, not those whose decks are read.
    void RepaintGrid() override {
        view_->RepaintGrid(playout_.HeardItem(), playout_.HeardNextItem(), playout_.HeardRow());
    }
    void SetBusy(bool busy) override { view_->SetBusy(busy); }
    void CommercialPortClosed(int port) override { commercials_.CommercialPortClosed(port); }
    // The air after the plug-in goes to the stream, then to the meters.
    void BufferPlayed(const uint8_t* bytes, uint32_t length) override;
    // StationAsRun.cpp: the as-run log of what is heard.
    void ItemLeaving(ItemExit exit) override;
    void ItemFailed(const std::string& path, const std::string& reason) override;
    void StartAsRunLog();
    void RecordHeardItem(const std::string& file, int lengthMs);
    AsRunRecord PortRecord(const std::string& path, int lengthMs, AsRunSource source);
    // StationSilence.cpp: the silence alarm on the air after the plug-in.
    SilenceDetector::Events SilenceEvents();
    void StartSilenceWatch();
    void WatchForSilence(const uint8_t* bytes, uint32_t length);
    void SilenceRaised(int64_t quietSinceMs, int64_t nowMs);
    void SilenceCleared(int64_t quietSinceMs, int64_t backMs);

    // LoudnessLookup: playout finds the titles' measurements in the store; one
    // that does not fit the file as its deck opened it is measured again on
    // the workers (offline the store is left as it is).
    std::optional<LoudnessAnalysis> FindAnalysis(const std::string& path) override {
        return loudness_.FindAnalysis(path);
    }
    void MeasureAgain(const std::string& path) override;

    CommercialsView CommercialDisplays();
    // StationBroadcast.cpp: the item heard, with its tags from the schedule,
    // to now & next; a commercial break in its place while it runs.
    void AnnounceHeardItem(const std::string& title, const std::string& file, int lengthMs);
    void AnnounceBreak(bool active);
    void TellBreakWhenHeard();
    // RackConsole: the rack's buttons go to the view (its caption through
    // SetRackCaption above), a rack chosen from the rack list to the core.
    void EnableRackButtons(bool up, bool down) override { view_->EnableRackButtons(up, down); }
    void UseRack(const std::string& path) override { core_.LoadRack(path); }
    std::string CurrentRackFile() const override { return core_.CurrentRackFile(); }

    // EventHost (StationEvents.cpp): what a due event drives.
    void StartBroadcast() override;
    void StopBroadcast() override;
    void PauseBroadcast() override;
    void DelayPauseBroadcast() override;
    bool OnAir() const override { return playout_.OnAir(); }
    int OnAirItem() const override { return playout_.CurrentItem(); }
    void StartCommercialBreak() override;
    void StopCommercialBreak() override;
    bool StartAdScheduleImport() override { return adSchedule_.ImportAdSchedule(); }
    void ReloadTodaysCommercials() override;
    void StartRecording(const std::string& path, int64_t maxMs) override;
    void StopRecording() override;
    bool PauseRecording() override;
    void ReplaceSchedule(const std::string& path) override {
        schedule_.LoadScheduleFile(path, LoadOrigin::Event);
    }
    void ShowScheduleTotal(int seconds) override { core_.ShowTotalDuration(seconds); }
    std::string LastScheduleFile() const override { return core_.Settings().LastScheduleLocation; }
    std::filesystem::path ProgramFolder() const override { return core_.ProgramFolder(); }
    void AddMessage(const std::string& line) override;
    void ShowRunScheduledEvents(bool checked) override;

    Seams seams_;
    StationDevices devices_;
    std::function<void()> registerFileTypes_;
    HeadlessStationView headless_;
    StationView* view_ = &headless_;

    StationMode mode_ = StationMode::Console;

    TdmQelData data_;
    ConsoleCore core_;
    AudioFileFacts facts_;
    ScheduleEditor schedule_;
    LoudnessStore loudness_;
    // Its workers end before the store they write goes.
    AnalysisQueue analysisQueue_;
    LibraryAnalysis libraryAnalysis_;
    // Now & next and the stream outlive the parts whose events feed them
    // (playout's heard item and played buffers, the commercial breaks). The
    // stream's thread reaches the station only through posted work, which
    // runs while the stream lives.
    NowPlayingAnnouncer nowPlaying_;
    // The stream's title, kept for a stream started later.
    std::string streamTitle_;
    // Whether a commercial break is on, and from which point of the output's
    // time line its first spot is heard, until listeners are told of it.
    bool breakAnnounced_ = false;
    std::optional<int64_t> breakHeardFromMs_;
    // The item listeners were told of last (play order and file), and whether
    // the sound device was lost since: the item shown again when it is back
    // is told only when it is another.
    std::pair<int, std::string> told_;
    bool deviceLostSinceTold_ = false;
    std::unique_ptr<IcecastStream> stream_;
    // Outlives playout, whose output takes its buffers from it.
    TMMDSPPlugin dspPlugin_;
    PluginCommands pluginCommands_;
    PlayoutEngine playout_;
    // The as-run log (started with a console, not offline); its reports to
    // the message list are dropped once the station is gone. The breaks and
    // the rack play through the ports it listens in on.
    std::shared_ptr<bool> asRunAlive_ = std::make_shared<bool>(true);
    std::unique_ptr<AsRunJournal> asRunJournal_;
    std::unique_ptr<AsRunRecorder> asRun_;
    AsRunPorts asRunPorts_;
    // The silence alarm (a console's, not offline): its detector, the timer
    // that finds an output playing nothing, and the as-run record of the
    // silence raised now ("" while none).
    SilenceDetector silence_{SilenceEvents()};
    std::unique_ptr<Timer> silenceTimer_;
    std::string silenceRecord_;
    CommercialBreaks commercials_;
    AdSchedule adSchedule_;
    ScheduledEvents events_;
    CartRack rack_;
    std::unique_ptr<WaveInDevice> ownRecordingInput_;
    WaveInDevice* recordingInput_ = nullptr;
    // What scheduled events record with: made at the first "Start Recording"
    // and configured as the audio logging tool, on the same input. Goes
    // before the input it records from.
    std::unique_ptr<TMMWaveRecorder> eventRecorder_;
    // Last: it goes first, before the library table it keeps in step.
    std::unique_ptr<LibraryReplica> sharedLibrary_;
};

} // namespace corvane
