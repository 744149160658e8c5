#include "playout/PlayoutEngine.h"

#include "audio/chain/EMMError.h"
#include "audio/device/WaveDevice.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/FlagScope.h"

#include <filesystem>
#include <utility>

namespace corvane {

namespace {

constexpr const char* AudioErrorText = "MM Audio Error - Possibly Corrupt File Header";

// Every load of a deck, the schedule's and the ports': the same file again
// starts over from its beginning instead of being opened anew.
void LoadFile(TMMAudioFile& deck, const std::string& path) {
    if (!path.empty() && deck.FileName() == path)
        deck.Seek(0);
    else
        deck.SetFileName(path);
}

} // namespace

PlayoutEngine::PlayoutEngine(Seams seams, TdmQelData& data, const CorvaneSettings& settings,
                             WaveDevice& device, std::filesystem::path programFolder, PlayoutHost& host)
    : seams_(seams), data_(data), settings_(settings), device_(device), host_(host),
      heard_({[this](const HeardItemDisplay::Item& item) { ItemHeard(item); },
              [this](int remainingMs) { host_.ShowRemaining(remainingMs); },
              [this](int percent) { host_.SetGauge(percent); }}),
      archive_(std::move(programFolder), seams.clock) {
    WireChain();
    HiTimer_ = seams_.timers.CreateTimer("HiTimer", HiTimerIntervalMs);
    HiTimer_->SetOnTimer([this] { HiTimerTimer(); });
    tmrFadeStop_ = seams_.timers.CreateTimer("tmrFadeStop", 0);
    tmrFadeStop_->SetOnTimer([this] { FadeStopTimer(); });
    tmrHardwareDelay_ = seams_.timers.CreateTimer("tmrHardwareDelay", HardwareDelayMs);
    tmrHardwareDelay_->SetOnTimer([this] { HardwareDelayTimer(); });
}

PlayoutEngine::~PlayoutEngine() {
    HiTimer_->SetEnabled(false);
    tmrFadeStop_->SetEnabled(false);
    tmrHardwareDelay_->SetEnabled(false);
    // No console state is left to react: the output's last events are dropped.
    mmAudioOut_->OnStop = nullptr;
    mmAudioOut_->OnError = nullptr;
    mmAudioOut_->OnDeviceNotice = nullptr;
    WaveMixer_->OnClosePort = nullptr;
    Guarded("PlayoutEngine", [this] {
        mmAudioOut_->Stop();
        mmAudioOut_->Close();
    });
}

// deck → volume stage → mixer port (mmAudio1..4 on ports 0..3) → MasterVolume
// → MMRingBuffer1 (a pass-through: no queue thread) → mmAudioOut →
// MMConnector. The output drives the chain; the connector takes each played
// buffer for the meters and hands it over on the 30 ms tick. The plug-in
// host's slot between the ring buffer and the output is left out until the
// engine has one.
void PlayoutEngine::WireChain() {
    static const char* const deckNames[] = {"mmAudio1", "mmAudio2", "mmAudio3", "mmAudio4"};
    static const char* const volumeNames[] = {"mmVolume1", "mmVolume2", "mmVolume3", "MMVolume4"};
    WaveMixer_ = std::make_unique<TMMWaveMixer>("WaveMixer");
    for (size_t i = 0; i < decks_.size(); ++i) {
        decks_[i] = std::make_unique<TMMAudioFile>(deckNames[i]);
        volumes_[i] = std::make_unique<TMMVolume>(volumeNames[i]);
        volumes_[i]->SetInput(decks_[i].get());
        WaveMixer_->SetPortInput(static_cast<int>(i), volumes_[i].get());
    }
    MasterVolume_ = std::make_unique<TMMVolume>("MasterVolume");
    MasterVolume_->SetInput(WaveMixer_.get());
    MMRingBuffer1_ = std::make_unique<TMMRingBuffer>(seams_.dispatcher, "MMRingBuffer1");
    MMRingBuffer1_->SetQueueMode(TMMQueueMode::qmNone);
    MMRingBuffer1_->SetInput(MasterVolume_.get());
    mmAudioOut_ = std::make_unique<TMMWaveOut>(device_, seams_.dispatcher, "mmAudioOut");
    mmAudioOut_->SetBufferSize(4096);
    mmAudioOut_->SetNumBuffers(64);
    mmAudioOut_->SetDeviceID(WaveMapperId);
    mmAudioOut_->SetTimeFormat(TMMTimeFormats::tfMillisecond);
    mmAudioOut_->SetInput(MMRingBuffer1_.get());
    MMConnector_ = std::make_unique<TMMConnector>(seams_.clock, seams_.timers, "MMConnector");
    MMConnector_->SetAutoTrigger(false);
    MMConnector_->SetInput(mmAudioOut_.get());

    WaveMixer_->OnClosePort = [this](TMMDSPComponent*, int port) { WaveMixerClosePort(port); };
    mmAudioOut_->OnStart = [this](TMMComponent*) { mmAudioOutStart(); };
    mmAudioOut_->OnPause = [this](TMMComponent*) { mmAudioOutPause(); };
    mmAudioOut_->OnRestart = [this](TMMComponent*) { mmAudioOutRestart(); };
    mmAudioOut_->OnStop = [this](TMMComponent*) { mmAudioOutStop(); };
    mmAudioOut_->OnError = [this](TMMComponent*) { mmAudioOutError(); };
    // A slow sound server is waited for, not restarted: one line says so.
    mmAudioOut_->OnDeviceNotice = [this](const std::string& text) { Memo1.Add(text); };
    mmAudioOut_->OnBufferReady = [this](TMMDSPComponent*, BufferHeader* header) {
        host_.BufferPlayed(header->data, header->bufferLength);
    };
}

// --- Schedule helpers -------------------------------------------------------

Table& PlayoutEngine::Schedule() {
    return data_.cdsSchedule;
}

bool PlayoutEngine::ScheduleHasRows() {
    return Schedule().Active() && !Schedule().IsEmpty();
}

int PlayoutEngine::RowItem() {
    return Schedule().FieldByName("ItemPlayOrder").AsInteger();
}

std::string PlayoutEngine::RowPath() {
    return Schedule().FieldByName("LocalPathToFile").AsString();
}

bool PlayoutEngine::LocateItem(int item) {
    return Schedule().Active() && Schedule().Locate("ItemPlayOrder", int64_t{item});
}

// The row on air itself: stored schedules can hold two rows of one
// ItemPlayOrder (hand edits, other tools), and going on from the first of them
// would play the second again and again.
bool PlayoutEngine::LocateOnAirRow(int item) {
    Table& s = Schedule();
    if (onAirRow_ != 0 && s.Active() && s.GotoBookmark(onAirRow_) && RowItem() == item)
        return true;
    return LocateItem(item);
}

bool PlayoutEngine::RefreshDue() const {
    return seams_.clock.Now() > FLastStateChange + RefreshAfterDays;
}

int PlayoutEngine::OtherMusicPort(int port, int fallback) {
    if (port == 0)
        return 2;
    if (port == 2)
        return 0;
    return fallback;
}

void PlayoutEngine::WriteArchiveLine(const std::string& file, const std::string& text) {
    try {
        archive_.WriteArchiveLine(file, text);
    } catch (...) {
        HandleException("WriteArchiveLine", std::current_exception());
    }
}

bool PlayoutEngine::LoadPort(int port, const std::string& path) {
    TMMAudioFile& deck = Deck(port);
    LoadFile(deck, path);
    ApplyLoudness(deck);
    return !deck.IsEmpty();
}

PlayoutEngine::LoadResult PlayoutEngine::LoadDeck(TMMAudioFile& deck, const std::string& path) {
    try {
        LoadFile(deck, path);
    } catch (const EMMError&) {
        if (!settings_.AttemptResumeOnAudioError)
            throw;
        return LoadResult::Unplayable;
    }
    ApplyLoudness(deck);
    // A missing file leaves the deck empty without an error.
    return deck.IsEmpty() && settings_.AttemptResumeOnAudioError ? LoadResult::Unplayable
                                                                 : LoadResult::Loaded;
}

void PlayoutEngine::MarkRowUnplayable(const std::string& path) {
    WriteArchiveLine(path, AudioErrorText);
    host_.ItemFailed(path, AudioErrorText);
    data_.MarkScheduleItemBad();
}

bool PlayoutEngine::MoveToNextPlayableRow() {
    Table& s = Schedule();
    s.Next();
    while (!s.Eof() && s.FieldByName("ObjectType").AsString() == "BAD")
        s.Next();
    if (!s.Eof())
        return true;
    if (!settings_.LoopScheduleContinuously)
        return false;
    s.First();
    while (!s.Eof() && s.FieldByName("ObjectType").AsString() == "BAD")
        s.Next();
    return !s.Eof();
}

void PlayoutEngine::ShowItemInfo(TMMAudioFile& deck) {
    FItemLength = FRemaining = deck.Duration();
    Table& s = Schedule();
    // A stopped output starts its time line afresh with this item.
    heard_.ItemStarted({s.FieldByName("TitleName").AsString(), s.FieldByName("LocalPathToFile").AsString(),
                        FItemLength, RowItem(), FNextItem, s.GetBookmark()},
                       deck.Position(), OutputPlaying() ? mmAudioOut_->WrittenMs() : 0);
}

void PlayoutEngine::ItemHeard(const HeardItemDisplay::Item& item) {
    host_.ShowItemInfo(item.title, item.file, item.lengthMs);
    ShowPlaying(item.file);
    host_.RepaintGrid();
}

int PlayoutEngine::HeardItem() const {
    return heard_.Shown() ? heard_.Shown()->item : 0;
}

int PlayoutEngine::HeardNextItem() const {
    return heard_.Shown() ? heard_.Shown()->nextItem : 0;
}

int64_t PlayoutEngine::HeardMs() const {
    return mmAudioOut_->WrittenMs() - mmAudioOut_->HeldMs();
}

void PlayoutEngine::ShowPlaying(const std::string& path) {
    Guarded("SetStatusText",
            [&] { host_.SetStatusText(0, "Playing: " + std::filesystem::path(path).filename().string()); });
}

void PlayoutEngine::UpdateStatistics(const std::string& path, bool alsoScheduleRow) {
    if (!settings_.StatisticsTracking)
        return;
    Field& titleId = Schedule().FieldByName("TitleID");
    if (!data_.MarkTitlePlayed(titleId.AsInteger())) {
        WriteArchiveLine(path, "Statistics Update Failed on TitleID - " + titleId.AsString());
        return;
    }
    if (!alsoScheduleRow)
        return;
    Table& s = Schedule();
    s.Edit();
    s.FieldByName("LastPlayed").SetAsDateTime(seams_.clock.Now());
    Field& times = s.FieldByName("TimesPlayed");
    times.SetAsInteger(times.AsInteger() + 1);
    s.Post();
}

void PlayoutEngine::RecordStart(Bookmark row, const std::string& path, bool alsoScheduleRow) {
    if (std::exchange(startedUnheard_, std::nullopt) == row)
        return;
    WriteArchiveLine(path, "Start Playout Event");
    UpdateStatistics(path, alsoScheduleRow);
}

// --- Sequencing -------------------------------------------------------------

void PlayoutEngine::StartItem() {
    FlagScope request(FPlayRequest);
    const std::optional<int> startAt = std::exchange(startAtMs_, std::nullopt);
    HiTimer_->SetEnabled(false);
    HiTimer_->SetEnabled(true);
    FDirectJinglePlayout = false;
    FDirectCommercialPlayout = false;
    if (!FOnAir && !OutputPaused())
        ResetPlayout();
    if (FClosing || !ScheduleHasRows())
        return;
    Table& s = Schedule();
    const std::string path = RowPath();
    TMMAudioFile& deck = Deck(FCurrentPort);
    if (OutputPaused() && deck.FileName() == path) {
        mmAudioOut_->Restart();
        WriteArchiveLine(path, "Restart Playout Event");
        return;
    }
    if (RefreshDue()) {
        // The operator's (or the schedule's) chosen row plays after the refresh.
        refreshRow_ = RowItem();
        RefreshAudioDevice(RefreshResume::ChosenRow);
        return;
    }
    WaveMixer_->HoldPort(FCurrentPort, true);
    const LoadResult loaded = [&] {
        try {
            return LoadDeck(deck, path);
        } catch (...) {
            WaveMixer_->HoldPort(FCurrentPort, false);
            throw;
        }
    }();
    WaveMixer_->HoldPort(FCurrentPort, false);
    if (loaded == LoadResult::Unplayable) {
        // No dead air: log and mark the row, then go straight on to the next
        // playable one; one pass over the schedule at most.
        MarkRowUnplayable(path);
        if (++unplayableRun_ > s.RecordCount())
            return;
        FCurrentItem = RowItem();
        onAirRow_ = s.GetBookmark();
        AdvanceSchedule();
        return;
    }
    unplayableRun_ = 0;
    if (startAt)
        deck.Seek(*startAt);
    const int item = RowItem();
    const Bookmark row = s.GetBookmark();
    s.Next();
    SetNextItem(s.Eof() || RowItem() == item ? 0 : RowItem());
    s.GotoBookmark(row);
    ShowItemInfo(deck);
    if (!OutputPlaying()) {
        itemStarting_ = item;
        mmAudioOut_->Stop();
        mmAudioOut_->Start();
        itemStarting_.reset();
    }
    if (startAt)
        WriteArchiveLine(path, "Restart Playout Event");
    SetCurrentItem(item);
    onAirRow_ = row;
    // A resumed item was logged and counted when it first started.
    if (!startAt)
        RecordStart(row, path, true);
    host_.RepaintGrid();
    // An item shorter than the output's queue runs dry while the output fills
    // the queue inside this start, and its port-close event is ignored then
    // (FPlayRequest): the schedule would stall in silence. Look again once the
    // start is over, as if the event came then.
    if (WaveMixer_->PortDone(FCurrentPort) && !deck.IsEmpty()) {
        const int started = FCurrentItem;
        seams_.dispatcher.Post([this, started, alive = std::weak_ptr<bool>(alive_)] {
            if (alive.expired())
                return;
            Guarded("WaveMixerClosePort", [&] {
                if (FCurrentItem == started)
                    WaveMixerClosePort(FCurrentPort);
            });
        });
    }
}

void PlayoutEngine::AdvanceSchedule() {
    Table& s = Schedule();
    if (!s.Active())
        return;
    host_.HoldGridRepaint(true);
    s.DisableControls();
    const Bookmark operatorRow = s.GetBookmark();
    if (!FClosing && !s.IsEmpty()) {
        // A row on air that was deleted meanwhile: go on from the operator's row.
        if (!LocateOnAirRow(FCurrentItem))
            s.GotoBookmark(operatorRow);
        s.Next();
        while (!s.Eof() && s.FieldByName("ObjectType").AsString() == "BAD")
            s.Next();
        if (FDelayedPause) {
            // The cursor stays on the row that would have played, ready for "&Start".
            SetDelayedPause(false);
            scheduleEnded_ = true;
        } else {
            scheduleEnded_ = false;
            if (!s.Eof() && !FStopping) {
                StartItem();
            } else if (settings_.LoopScheduleContinuously) {
                s.First();
                StartItem();
            } else {
                scheduleEnded_ = true;
            }
            s.GotoBookmark(operatorRow);
        }
    }
    s.EnableControls();
    host_.HoldGridRepaint(false);
}

void PlayoutEngine::ResetPlayout() {
    tmrFadeStop_->SetEnabled(false);
    SetOnAir(false);
    FCommercialBreak = false;
    host_.SetBreakActive(false);
    {
        FlagScope stopping(FStopping);
        mmAudioOut_->Stop();
        mmAudioOut_->Close();
        FFadingToStop = false;
        tmrFadeStop_->SetEnabled(false);
    }
    SetCurrentItem(0);
    SetNextItem(0);
    heard_.Clear();
    for (auto& deck : decks_) {
        deck->SetFileName("");
        deck->SetVolume(16384);
    }
    host_.RepaintGrid();
    FCurrentPort = 0;
    FNextPort = 2;
}

void PlayoutEngine::SetOnAir(bool on) {
    FOnAir = on;
    if (ScheduleHasRows())
        FLastStateChange = seams_.clock.Now();
    ApplyCommands();
}

void PlayoutEngine::ApplyCommands() {
    commands_ = CommandsForOnAir(FOnAir, ScheduleHasRows(), {FDirectJinglePlayout, FDirectCommercialPlayout});
    host_.ApplyCommands(commands_);
}

void PlayoutEngine::ScheduleCursorMoved() {
    Table& s = Schedule();
    if (!s.Active() || s.Eof() || s.IsEmpty())
        return;
    commands_.Start = RowItem() != FCurrentItem;
    host_.ApplyCommands(commands_);
}

void PlayoutEngine::PlaySelected() {
    if (!commands_.Start)
        return;
    if (FOnAir)
        host_.ItemLeaving(ItemExit::Skipped);
    StartItem();
}

void PlayoutEngine::SetCurrentItem(int item) {
    FCurrentItem = item;
    Memo1.Add("Current Playing: " + std::to_string(item));
}

void PlayoutEngine::SetNextItem(int item) {
    FNextItem = item;
}

void PlayoutEngine::SetDelayedPause(bool on) {
    FDelayedPause = on;
    host_.ShowDelayedPause(on);
}

void PlayoutEngine::RefreshAudioDevice(RefreshResume resume) {
    if (resume == RefreshResume::NextRow)
        refreshRow_.reset();
    FDeviceRefresh = true;
    const int item = FCurrentItem;
    FLastStateChange = seams_.clock.Now();
    ResetPlayout();
    SetCurrentItem(item);
    tmrHardwareDelay_->SetEnabled(true);
}

void PlayoutEngine::HardwareDelayTimer() {
    tmrHardwareDelay_->SetEnabled(false);
    if (waitingForDevice_) {
        RetryDevice();
        return;
    }
    host_.SetStatusText(0, "Refreshing Audio Device Driver");
    SetOnAir(true);
    const std::optional<int> chosen = std::exchange(refreshRow_, std::nullopt);
    if (chosen && LocateItem(*chosen))
        StartItem();
    else
        AdvanceSchedule();
    FDeviceRefresh = false;
    host_.SetStatusText(0, "");
}

void PlayoutEngine::UseOutputBuffers(int buffers) {
    if (!mmAudioOut_->State().open)
        mmAudioOut_->SetNumBuffers(buffers);
}

void PlayoutEngine::Shutdown() {
    EndDeviceWait();
    FClosing = true;
    FStopping = true;
    mmAudioOut_->Stop();
}

// --- Actions ----------------------------------------------------------------

void PlayoutEngine::StartBroadcast() {
    if (OutputPaused())
        mmAudioOut_->Restart();
    else
        StartItem();
}

void PlayoutEngine::StopBroadcast() {
    EndDeviceWait();
    startedUnheard_.reset();
    ResetPlayout();
}

void PlayoutEngine::PauseBroadcast() {
    mmAudioOut_->Pause();
}

void PlayoutEngine::DelayPauseBroadcast() {
    if (FOnAir)
        SetDelayedPause(!FDelayedPause);
}

// --- The chain's events -------------------------------------------------------

void PlayoutEngine::WaveMixerClosePort(int port) {
    if (FTransportBusy || FFadingToStop)
        return;
    Memo1.Add(std::string("Close Port : DirectJinglePlayout=") + (FDirectJinglePlayout ? "True" : "False"));
    Memo1.Add(std::string("Close Port : Merging Tracks=") + (FMergingTracks ? "True" : "False"));
    if (FCommercialBreak) {
        host_.CommercialPortClosed(port);
        return;
    }
    // Any port's closing re-checks the music port on air: the end of a jingle,
    // a commercial or an old fade-out never advances while the item plays.
    if (!FDeviceRefresh && !FDirectJinglePlayout && !FDirectCommercialPlayout &&
        WaveMixer_->PortDone(FCurrentPort) && !FMergingTracks && FOnAir && !FPlayRequest)
        AdvanceSchedule();
}

void PlayoutEngine::mmAudioOutStart() {
    HiTimer_->SetEnabled(true);
    if (!FDeviceRefresh && !FDirectJinglePlayout && !FDirectCommercialPlayout)
        SetOnAir(true);
}

void PlayoutEngine::mmAudioOutPause() {
    if (FTransportBusy)
        return;
    SetOnAir(false);
    HiTimer_->SetEnabled(false);
}

void PlayoutEngine::mmAudioOutRestart() {
    SetOnAir(true);
    HiTimer_->SetEnabled(true);
}

void PlayoutEngine::mmAudioOutStop() {
    HiTimer_->SetEnabled(false);
    heard_.Clear();
    host_.SetGauge(0);
    mmAudioOut_->Close();
    if (!FDeviceRefresh) {
        SetOnAir(false);
        host_.ClearItemInfo();
    }
}

// Raised inside the output's failing call, before it closes itself: the
// console is reset first, so the ports closing with the output do not advance.
void PlayoutEngine::mmAudioOutError() {
    // A fault of the device is not a fault of the file: nothing is marked,
    // and playout waits for the device.
    if (mmAudioOut_->ErrorSource() == TMMWaveOutErrorSource::Device && settings_.AttemptResumeOnAudioError) {
        DeviceLost();
        return;
    }
    Table& s = Schedule();
    host_.SetBusy(true);
    host_.HoldGridRepaint(true);
    const int item = FCurrentItem;
    ResetPlayout();
    if (settings_.AttemptResumeOnAudioError && s.Active()) {
        const Bookmark operatorRow = s.GetBookmark();
        if (LocateOnAirRow(item))
            MarkRowUnplayable(RowPath());
        else
            s.GotoBookmark(operatorRow);
        RefreshAudioDevice(RefreshResume::NextRow);
    }
    host_.HoldGridRepaint(false);
    host_.SetBusy(false);
}

void PlayoutEngine::HiTimerTimer() {
    MMConnector_->Trigger();
    if (!OutputPlaying() || FTransportBusy)
        return;
    // The cross-fade is timed by the deck; the displays follow the speakers.
    FRemaining = FItemLength - Deck(FCurrentPort).Position();
    AutoCrossFadeTest();
    heard_.Tick(HeardMs(), Deck(FCurrentPort).Position());
}

} // namespace corvane
