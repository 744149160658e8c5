#include "station/Station.h"

#include "audio/device/WaveInDevice.h"
#include "platform/ExceptionGuard.h"
#include "station/AudioRackPlayout.h"

#include <filesystem>
#include <stdexcept>

namespace corvane {

Station::Station(Seams seams, StationDevices devices, StationSetup setup)
    : seams_(seams), devices_(std::move(devices)),
      data_(setup.dataFolder.string(), setup.programName, seams.clock, seams.prompter, seams.fileDialogs),
      core_(seams, data_, *this, setup.dataFolder, Parts(std::move(setup.registerFileTypes))),
      dspPlugin_("DspPlugin"), pluginCommands_(dspPlugin_, seams.fileDialogs, seams.prompter),
      playout_(seams, data_, core_.Settings(), devices_.output, core_.ProgramFolder(), PlayoutDisplays()),
      commercials_(playout_, data_, core_.Settings(), seams.clock, CommercialDisplays()),
      adSchedule_(data_, seams.clock, seams.shell, core_.ProgramFolder()),
      events_(seams.clock, data_.EventLog, core_.EventTimer(), EventActions()),
      rack_(data_, AudioRackPlayout(playout_), RackDisplays()) {
    // Taking the ring buffer's output first, then handing the plug-in to the
    // output: each link is exclusive, so the two steps move the plug-in in.
    dspPlugin_.SetEnabled(false);
    dspPlugin_.SetInput(&playout_.MMRingBuffer1());
    playout_.mmAudioOut().SetInput(&dspPlugin_);
}

Station::~Station() = default;

WaveInDevice& Station::RecordingInput() {
    if (recordingInput_ == nullptr) {
        if (!devices_.openRecordingInput)
            throw std::runtime_error("No input to record from");
        ownRecordingInput_ = devices_.openRecordingInput();
        recordingInput_ = ownRecordingInput_.get();
    }
    return *recordingInput_;
}

void Station::ShowCommercialFolder(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw std::runtime_error("Directory not found: " + folder);
    commercials_.SetListFolder(folder);
    view_->ShowCommercialFolder(folder);
}

// The core's start-up and shutdown steps: the station's own parts, and the
// window's through the view. The core calls them only after the station is
// built (FormCreate) and before it goes.
ConsoleParts Station::Parts(std::function<void()> registerFileTypes) {
    ConsoleParts parts;
    parts.SetOnAir = [this](bool on) { playout_.SetOnAir(on); };
    parts.RefreshCommands = [this] { playout_.RefreshCommands(); };
    parts.StartItem = [this] { playout_.StartItem(); };
    parts.OnAirPlace = [this] { return playout_.OnAirPlace(); };
    parts.ResumeItem = [this](int item, int positionMs) { playout_.ResumeItem(item, positionMs); };
    parts.UseOutputBuffers = [this](int buffers) { playout_.UseOutputBuffers(buffers); };
    parts.StopOutput = [this] { playout_.Shutdown(); };
    parts.LoadScheduleFile = [this](const std::string& path) { view_->LoadScheduleFile(path); };
    parts.RefreshRecentPlayLists = [this] { view_->RefreshRecentPlayLists(); };
    parts.RegisterFileTypes = std::move(registerFileTypes);
    parts.SetBreakActive = [this](bool active) { commercials_.SetBreakActive(active); };
    // A list the store cannot read is logged, not a failed start-up stage.
    parts.SelectTodaysCommercialList = [this] {
        Guarded("SelectTodaysCommercialList", [&] { commercials_.SelectAndLoadTodaysList(); });
    };
    parts.StartEventProcessing = [this] { events_.StartEventProcessing(); };
    parts.LoadRack = [this](const std::string& path) { rack_.LoadRack(path); };
    parts.ShowFirstRunWizard = [this] { view_->ShowFirstRunWizard(); };
    return parts;
}

// Playout's displays go to the view; a break's port closes and its reset of
// the break go to the commercial breaks.
PlayoutHost Station::PlayoutDisplays() {
    PlayoutHost host;
    host.ApplyCommands = [this](const PlayoutCommands& commands) { view_->ApplyPlayoutCommands(commands); };
    host.SetStatusText = [this](int panel, const std::string& text) { view_->SetStatusText(panel, text); };
    host.ShowItemInfo = [this](const std::string& title, const std::string& file, int lengthMs) {
        view_->ShowItemHeard(title, file, lengthMs);
    };
    host.ClearItemInfo = [this] { view_->ClearItemHeard(); };
    host.ShowRemaining = [this](int remainingMs) { view_->ShowRemaining(remainingMs); };
    host.SetGauge = [this](int percent) { view_->ShowGauge(percent); };
    host.ShowDelayedPause = [this](bool visible) { view_->ShowDelayedPause(visible); };
    host.HoldGridRepaint = [this](bool hold) { view_->HoldGridRepaint(hold); };
    // The rows lit are those heard, not those whose decks are read.
    host.RepaintGrid = [this] { view_->RepaintGrid(playout_.HeardItem(), playout_.HeardNextItem()); };
    host.SetBusy = [this](bool busy) { view_->SetBusy(busy); };
    host.SetBreakActive = [this](bool active) { commercials_.SetBreakActive(active); };
    host.CommercialPortClosed = [this](int port) { commercials_.CommercialPortClosed(port); };
    host.BufferPlayed = [this](const uint8_t* bytes, uint32_t length) { view_->BufferPlayed(bytes, length); };
    return host;
}

CommercialsView Station::CommercialDisplays() {
    CommercialsView view;
    view.ShowBreakActive = [this](bool active) { view_->ShowBreakActive(active); };
    view.ShowCurrentList = [this](const std::string& entry) { view_->ShowCurrentCommercialList(entry); };
    view.HoldGrid = [this](bool hold) { view_->HoldCommercialGrid(hold); };
    view.ShowNextBreakTime = [this](const std::string& time) { view_->ShowNextBreakTime(time); };
    view.LongDayName = [this](TDateTime when) { return view_->LongDayName(when); };
    return view;
}

EventConsole Station::EventActions() {
    EventConsole console;
    console.StartBroadcast = [this] { playout_.StartBroadcast(); };
    console.StopBroadcast = [this] { playout_.StopBroadcast(); };
    console.PauseBroadcast = [this] { playout_.PauseBroadcast(); };
    console.DelayPauseBroadcast = [this] { playout_.DelayPauseBroadcast(); };
    console.AddMessage = [this](const std::string& line) { playout_.Memo1.Add(line); };
    console.ShowRunScheduledEvents = [this](bool checked) { view_->ShowRunScheduledEvents(checked); };
    return console;
}

RackConsole Station::RackDisplays() {
    RackConsole console;
    console.EnableRackButtons = [this](bool up, bool down) { view_->EnableRackButtons(up, down); };
    console.SetRackCaption = [this](const std::string& caption) { view_->SetRackCaption(caption); };
    console.LoadRack = [this](const std::string& path) { core_.LoadRack(path); };
    console.CurrentRackFile = [this] { return core_.CurrentRackFile(); };
    return console;
}

} // namespace corvane
