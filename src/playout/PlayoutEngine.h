#pragma once

#include "audio/decks/TMMAudioFile.h"
#include "audio/output/TMMConnector.h"
#include "audio/output/TMMRingBuffer.h"
#include "audio/output/TMMVolume.h"
#include "audio/output/TMMWaveMixer.h"
#include "audio/output/TMMWaveOut.h"
#include "data/Table.h"
#include "loudness/LoudnessLookup.h"
#include "platform/Seams.h"
#include "playout/ArchiveLog.h"
#include "playout/HeardItemDisplay.h"
#include "playout/MessageList.h"
#include "playout/PlayoutCommands.h"
#include "playout/PlayoutHost.h"
#include "playout/PlayoutPorts.h"
#include "settings/CorvaneSettings.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

class TdmQelData;
class Table;
class WaveDevice;

// Where the output goes after a device refresh.
enum class RefreshResume { NextRow, ChosenRow };

// The console's playout engine, Qt-free: the audio chain (four decks, their
// volume stages, the four-port mixer, the master volume and the wave output
// on the given device), the playout state and the operations that sequence
// the schedule, cross-fade, log and move the item on air. The station owns it
// and is its host; a window binds its commands to the operations and shows
// what the station passes on, and the offline renderer's station drives it
// with no window at all.
//
// Everything runs on the main thread: the output's buffer completions, the
// mixer's port events raised inside them, and the timers' ticks all arrive
// there, so no lock is needed. Re-entrancy is the one hazard, and the flags
// FPlayRequest, FMergingTracks, FTransportBusy, FFadingToStop, FDeviceRefresh
// and FStopping keep a port-close event raised inside an operation from
// advancing the schedule. Positions, lengths and fades are in ms.
//
// The commercial breaks and the audio rack play through its PlayoutPorts, so
// they never reach the decks, the mixer or the output themselves.
class PlayoutEngine final : public PlayoutPorts {
public:
    static constexpr int SkipStepMs = 5000;
    static constexpr int HiTimerIntervalMs = 30;
    static constexpr int HardwareDelayMs = 1000;
    // A device refresh falls due this long after the last on-air change (days).
    static constexpr double RefreshAfterDays = 1.0 / 12;

    PlayoutEngine(Seams seams, TdmQelData& data, const CorvaneSettings& settings, WaveDevice& device,
                  std::filesystem::path programFolder, PlayoutHost& host);
    ~PlayoutEngine() override;
    PlayoutEngine(const PlayoutEngine&) = delete;
    PlayoutEngine& operator=(const PlayoutEngine&) = delete;

    // --- Sequencing ---
    // Starts the schedule row under the cursor on the current music port.
    void StartItem();
    // From the item on air to the next playable row, or wrap, or stop.
    void AdvanceSchedule() override;
    // Stops and closes the output, unloads every deck and resets the state.
    void ResetPlayout() override;
    void SetOnAir(bool on);
    // Applies the on-air command table again for the current state (the
    // schedule's rows changed) without counting as an on-air change: the
    // two-hourly device refresh keeps its time.
    void RefreshCommands() { ApplyCommands(); }
    void SetCurrentItem(int item);
    void SetNextItem(int item);
    void SetDelayedPause(bool on);
    // Stops the output and resumes after tmrHardwareDelay: with the row after
    // the item on air, or with the row under the cursor when it was chosen.
    void RefreshAudioDevice(RefreshResume resume = RefreshResume::NextRow);
    // The row under the schedule cursor changed: "&Start" follows it.
    void ScheduleCursorMoved();
    // "&Play Selected", Enter and a double-click: StartItem when "&Start" is enabled.
    void PlaySelected();
    // The output's queue holds `buffers` buffers of 4096 bytes from its next
    // start (2 to 500; a smaller count leaves it as it was). Ignored while the
    // output is open: a change then would cut what is on air.
    void UseOutputBuffers(int buffers);
    // The program is closing: nothing starts from now on; the output stops.
    void Shutdown();
    // Where the titles' measurements are found: from now on every file a
    // deck loads plays with its gain and cue points as the settings say.
    void UseLoudness(LoudnessLookup& lookup) { loudness_ = &lookup; }
    // The gain the file on `port` plays with (dB; 0 when not normalised).
    double PortGainDb(int port) const { return gainDb_[static_cast<size_t>(port)]; }
    // The item on air and the ms heard of it ({0, 0} when nothing is on air),
    // kept for a start after an unclean exit.
    std::pair<int, int> OnAirPlace();
    // Starts the row of `item` at `positionMs` (the row under the cursor
    // when that item is gone).
    void ResumeItem(int item, int positionMs);

    // --- Actions ---
    void StartBroadcast();
    void StopBroadcast();
    void PauseBroadcast();
    void DelayPauseBroadcast();

    // --- Fades ---
    void FadeToSelected();
    void actFadeToNext();
    void actFadeToStop();

    // --- Transport ---
    void actSkipRight();
    void actSkipLeft();
    void actRestart();
    // A click on the progress gauge at pixel x of a gauge `width` pixels wide.
    void GaugeClick(int x, int width);

    // --- The chain's event handlers (wired at creation; public for the window) ---
    void WaveMixerClosePort(int port);
    void mmAudioOutStart();
    void mmAudioOutPause();
    void mmAudioOutRestart();
    void mmAudioOutStop();
    void mmAudioOutError();
    void HiTimerTimer();

    // --- The chain ---
    TMMAudioFile& Deck(int port) { return *decks_[static_cast<size_t>(port)]; }
    TMMVolume& DeckVolume(int port) { return *volumes_[static_cast<size_t>(port)]; }
    TMMWaveMixer& WaveMixer() { return *WaveMixer_; }
    TMMVolume& MasterVolume() { return *MasterVolume_; }
    TMMRingBuffer& MMRingBuffer1() { return *MMRingBuffer1_; }
    TMMWaveOut& mmAudioOut() { return *mmAudioOut_; }
    // The meters' feed: the window attaches its level meters and spectrum.
    TMMConnector& MMConnector() { return *MMConnector_; }

    // --- State ---
    bool OnAir() const override { return FOnAir; }
    int CurrentPort() const { return FCurrentPort; }
    int NextPort() const { return FNextPort; }
    int CurrentItem() const override { return FCurrentItem; }
    int NextItem() const { return FNextItem; }
    // The item the listener hears and the one after it (0: none): the output
    // plays the item on air about a queue's length later.
    int HeardItem() const;
    // The item the item display names now, if any.
    const std::optional<HeardItemDisplay::Item>& HeardItemShown() const { return heard_.Shown(); }
    int HeardNextItem() const;
    // Where on the output's time line the item the display names began to
    // be heard (ms; the as-run log's actual start).
    int64_t HeardItemSinceMs() const { return heard_.ShownSinceMs(); }
    // The bookmark of the row the item heard was started from (0: none).
    Bookmark HeardRow() const { return heard_.Shown() ? heard_.Shown()->row : 0; }
    int ItemLength() const { return FItemLength; }
    int Remaining() const { return FRemaining; }
    TDateTime LastStateChange() const { return FLastStateChange; }
    bool DelayedPause() const { return FDelayedPause; }
    bool DeviceRefresh() const { return FDeviceRefresh; }
    // The sound device failed and playout waits for it to come back.
    bool WaitingForDevice() const { return waitingForDevice_; }
    bool FadingToStop() const { return FFadingToStop; }
    bool Closing() const { return FClosing; }
    bool CommercialBreak() const override { return FCommercialBreak; }
    // Owned by the commercial break and the audio rack.
    void SetCommercialBreak(bool on) override { FCommercialBreak = on; }
    void SetDirectJinglePlayout(bool on) override { FDirectJinglePlayout = on; }
    void SetDirectCommercialPlayout(bool on) override { FDirectCommercialPlayout = on; }
    bool DirectJinglePlayout() const override { return FDirectJinglePlayout; }
    bool DirectCommercialPlayout() const { return FDirectCommercialPlayout; }
    // Advancing found nothing more to start: the output runs on, silent.
    bool ScheduleEnded() const { return scheduleEnded_; }
    const PlayoutCommands& Commands() const { return commands_; }
    bool OutputPlaying() const override { return mmAudioOut_->State().started; }
    int64_t WrittenMs() const override { return mmAudioOut_->WrittenMs(); }
    // How far the output's time line since its start has been heard (ms).
    int64_t HeardMs() const override;
    bool OutputPaused() const { return mmAudioOut_->State().paused; }

    // --- The ports beside the schedule (PlayoutPorts) ---
    void FadeOutOnAir(int fadeMs) override { Deck(FCurrentPort).FadeOut(fadeMs); }
    void HoldPort(int port, bool hold) override { WaveMixer_->HoldPort(port, hold); }
    bool LoadPort(int port, const std::string& path) override;
    bool PortDone(int port) const override { return WaveMixer_->PortDone(port); }
    std::string PortFile(int port) const override { return decks_[static_cast<size_t>(port)]->FileName(); }
    int PortLengthMs(int port) const override { return decks_[static_cast<size_t>(port)]->Duration(); }
    void FadeOutPort(int port, int fadeMs) override { Deck(port).FadeOut(fadeMs); }
    void StopOutput() override { mmAudioOut_->Stop(); }
    void StartOutput() override { mmAudioOut_->Start(); }
    // An archive line that never breaks playout: a failed write goes to the
    // exception log and the caller carries on.
    void WriteArchiveLine(const std::string& file, const std::string& text) override;
    void AddMessage(const std::string& line) override { Memo1.Add(line); }

    MessageList Memo1;
    ArchiveLog& Archive() { return archive_; }
    Timer& HiTimer() { return *HiTimer_; }
    Timer& tmrFadeStop() { return *tmrFadeStop_; }
    Timer& tmrHardwareDelay() { return *tmrHardwareDelay_; }

private:
    // What became of loading a row's file into a deck.
    enum class LoadResult { Loaded, Unplayable };

    void WireChain();
    Table& Schedule();
    bool ScheduleHasRows();
    int RowItem();
    std::string RowPath();
    bool LocateItem(int item);
    // The row `item` was started from (or the first row of that ItemPlayOrder).
    bool LocateOnAirRow(int item);
    bool RefreshDue() const;
    // Writes the row's file into the deck (the same name again rewinds it).
    // An unplayable file leaves the deck empty; its error propagates unless
    // the console resumes on audio errors.
    LoadResult LoadDeck(TMMAudioFile& deck, const std::string& path);
    // The row under the cursor cannot play: log it and mark it "BAD".
    void MarkRowUnplayable(const std::string& path);
    // Moves past "BAD" rows to the next row that may play (wrapping when the
    // schedule loops); false when there is none.
    bool MoveToNextPlayableRow();
    void ShowItemInfo(TMMAudioFile& deck);
    // --- Loudness and cue points (PlayoutEngineLoudness.cpp) ---
    // The deck just loaded plays with its title's gain in its volume stage
    // and from cue-in to cue-out; a title not analysed plays as it is.
    void ApplyLoudness(TMMAudioFile& deck);
    // The loudness a port's items are brought to (LUFS).
    double TargetLoudness(int port) const;
    // The item on air has reached its segue point: the automatic
    // cross-fade begins there instead of before its end.
    std::optional<bool> SegueReached();
    // "Playing: …" for the file now heard.
    void ShowPlaying(const std::string& path);
    // An item is heard now: the item display, the status text and the grid's rows.
    void ItemHeard(const HeardItemDisplay::Item& item);
    void UpdateStatistics(const std::string& path, bool alsoScheduleRow);
    // The row `row` goes on air from its start: its "Start Playout Event" and
    // its play count, unless it was started once already (startedUnheard_).
    void RecordStart(Bookmark row, const std::string& path, bool alsoScheduleRow);
    void ApplyCommands();
    void AutoCrossFadeTest();
    void HardwareDelayTimer();
    // --- Waiting for a lost device (PlayoutEngineDeviceLoss.cpp) ---
    // The output's error came from the device: keep where the listener was,
    // reset, and try the device again every tmrHardwareDelay interval.
    void DeviceLost();
    // One attempt: start the interrupted item where it was heard (or the
    // next row); a device still missing sets up the next attempt.
    void RetryDevice();
    // "St&op" or the close: no more attempts.
    void EndDeviceWait();
    void ShowWaitingForDevice();
    // The item the listener hears and how far into it: from the output's
    // time line, else the deck on air's position less what the output still
    // holds unheard; none when nothing plays.
    std::optional<HeardItemDisplay::Place> HeardPlace();
    void FadeStopTimer();
    // Pauses, moves the deck on air to what `target` gives, and resumes.
    template <typename Target> void MoveOnAirPosition(Target target);
    static int OtherMusicPort(int port, int fallback);

    Seams seams_;
    TdmQelData& data_;
    const CorvaneSettings& settings_;
    WaveDevice& device_;
    PlayoutHost& host_;
    HeardItemDisplay heard_;
    ArchiveLog archive_;
    PlayoutCommands commands_;

    std::array<std::unique_ptr<TMMAudioFile>, 4> decks_;
    std::array<std::unique_ptr<TMMVolume>, 4> volumes_;
    std::unique_ptr<TMMWaveMixer> WaveMixer_;
    std::unique_ptr<TMMVolume> MasterVolume_;
    std::unique_ptr<TMMRingBuffer> MMRingBuffer1_;
    std::unique_ptr<TMMWaveOut> mmAudioOut_;
    std::unique_ptr<TMMConnector> MMConnector_;
    std::unique_ptr<Timer> HiTimer_;
    std::unique_ptr<Timer> tmrFadeStop_;
    std::unique_ptr<Timer> tmrHardwareDelay_;

    bool FOnAir = false;
    int FCurrentPort = 0;
    int FNextPort = 0;
    int FCurrentItem = 0;
    // The bookmark of the row FCurrentItem was taken from.
    Bookmark onAirRow_ = 0;
    int FNextItem = 0;
    int FItemLength = 0;
    int FRemaining = 0;
    TDateTime FLastStateChange = 0;
    bool FPlayRequest = false;
    bool FMergingTracks = false;
    bool FFadingToStop = false;
    bool FTransportBusy = false;
    bool FDeviceRefresh = false;
    bool FDelayedPause = false;
    bool FStopping = false;
    bool FClosing = false;
    bool FCommercialBreak = false;
    bool FDirectJinglePlayout = false;
    bool FDirectCommercialPlayout = false;
    // The automatic cross-fade is under way (the as-run log's end reason).
    bool autoCrossFading_ = false;

    bool scheduleEnded_ = false;
    // The row a refresh resumes with when the operator chose it (ItemPlayOrder).
    std::optional<int> refreshRow_;
    // Unplayable rows met one after another; bounds the skipping to one pass.
    int unplayableRun_ = 0;
    // The item on air whose cross-fade found no playable row: not retried.
    int fadeGivenUpFor_ = -1;
    // Where a lost device's playout goes on: the item and the ms heard of it
    // (none: the row after the item on air).
    struct ResumePoint {
        int item = 0;
        std::optional<int> positionMs;
    };
    std::optional<ResumePoint> resumePoint_;
    // The row that was started (logged and counted) while the end of the item
    // before was still queued, when the device was lost before it was heard:
    // it goes on air again after the resumed item, but is logged and counted
    // once.
    std::optional<Bookmark> startedUnheard_;
    bool waitingForDevice_ = false;
    // The row StartItem is starting, until the output runs.
    std::optional<int> itemStarting_;
    // StartItem seeks the loaded deck here (a resumed item).
    std::optional<int> startAtMs_;
    LoudnessLookup* loudness_ = nullptr;
    std::array<double, 4> gainDb_{};
    // The segue point of the item on each port (ms), while cue points apply.
    std::array<std::optional<int>, 4> segueMs_;
    // Lets work posted to the main thread find out the console is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace corvane
