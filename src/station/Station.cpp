#include "station/Station.h"

#include "audio/device/WaveInDevice.h"
#include "platform/ExceptionGuard.h"

#include <filesystem>
#include <stdexcept>

namespace corvane {

Station::Station(Seams seams, StationDevices devices, StationSetup setup)
    : seams_(seams), devices_(std::move(devices)), registerFileTypes_(std::move(setup.registerFileTypes)),
      data_(setup.dataFolder.string(), setup.programName, seams.clock, seams.prompter, seams.fileDialogs),
      core_(seams, data_, *this, setup.dataFolder, *this), facts_(data_),
      schedule_(data_, facts_, seams, *this), loudness_(core_.ProgramFolder() / LoudnessStoreFileName),
      analysisQueue_(loudness_, seams.dispatcher), libraryAnalysis_(data_, analysisQueue_, core_.Settings()),
      nowPlaying_(core_.Settings().NowPlaying, {[this](const std::string& line) { AddMessage(line); },
                                                [this](const std::string& title) {
                                                    streamTitle_ = title;
                                                    if (stream_)
                                                        stream_->SetTitle(title);
                                                }}),
      dspPlugin_("DspPlugin"), pluginCommands_(dspPlugin_, seams.fileDialogs, seams.prompter),
      playout_(seams, data_, core_.Settings(), devices_.output, core_.ProgramFolder(), *this),
      asRunPorts_(playout_, {[this] { return asRun_.get(); },
                             [this](const std::string& path, int lengthMs, AsRunSource source) {
                                 return PortRecord(path, lengthMs, source);
                             }}),
      commercials_(asRunPorts_, data_, core_.Settings(), seams.clock, CommercialDisplays()),
      adSchedule_(data_, seams.clock, seams.shell, core_.ProgramFolder()),
      events_(seams, data_, core_.EventTimer(), *this), rack_(data_, asRunPorts_, *this) {
    // Taking the ring buffer's output first, then handing the plug-in to the
    // output: each link is exclusive, so the two steps move the plug-in in.
    dspPlugin_.SetEnabled(false);
    dspPlugin_.SetInput(&playout_.MMRingBuffer1());
    playout_.mmAudioOut().SetInput(&dspPlugin_);
    playout_.UseLoudness(static_cast<LoudnessLookup&>(*this));
    // A store moved aside as damaged, or in use by another program, is told.
    if (!loudness_.Notice().empty())
        AddMessage(loudness_.Notice());
}

Station::~Station() = default;

void Station::Start(StationMode mode) {
    mode_ = mode;
    StartAsRunLog();
    core_.FormCreate(mode);
    StartSilenceWatch();
}

void Station::Show() {
    core_.FormShow();
}

void Station::Close() {
    core_.FormCloseQuery();
}

void Station::Detach() {
    core_.FormDestroy();
    view_ = &headless_;
}

void Station::MeasureAgain(const std::string& path) {
    if (mode_ == StationMode::Offline)
        return;
    loudness_.Forget(path);
    libraryAnalysis_.Imported(path);
}

// What starts from the settings is started once they are read; the sound
// configuration may change the output's buffers later in the run.
void Station::SettingsRead() {
    playout_.UseOutputBuffers(core_.Settings().OutputBuffers);
    SettingsChanged();
}

// Offline nothing leaves the station but the audio it renders.
void Station::SettingsChanged() {
    silence_.Configure(core_.Settings().Silence);
    if (mode_ == StationMode::Console)
        FollowStreamSettings();
}

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

void Station::OpenSharedLibrary(const std::string& server, const std::function<void()>& openLocalCopy) {
    try {
        sharedLibrary_ =
            std::make_unique<LibraryReplica>(data_, seams_.dispatcher, seams_.timers, server,
                                             [this](const std::string& line) { AddMessage(line); });
    } catch (const std::exception& e) {
        // A journal that cannot be read is the operator's to look at; the
        // console runs on its own copy, not shared, rather than lose it.
        AddMessage(std::string("Library: ") + e.what() + " - the library is not shared in this session");
        view_->ShowLibraryStatus(LibraryReplica::StatusText({LibraryLink::Local, 0}));
        openLocalCopy();
        return;
    }
    sharedLibrary_->OnStatusChanged = [this](const LibraryStatus& status) {
        view_->ShowLibraryStatus(LibraryReplica::StatusText(status));
    };
    if (!sharedLibrary_->OpenFromServer())
        openLocalCopy();
    sharedLibrary_->Start();
    view_->ShowLibraryStatus(LibraryReplica::StatusText(sharedLibrary_->Status()));
}

void Station::RegisterFileTypes() {
    if (registerFileTypes_)
        registerFileTypes_();
}

// A list the store cannot read is logged, not a failed start-up stage.
void Station::SelectTodaysCommercialList() {
    Guarded("SelectTodaysCommercialList", [&] { commercials_.SelectAndLoadTodaysList(); });
}

CommercialsView Station::CommercialDisplays() {
    CommercialsView view;
    view.ShowBreakActive = [this](bool active) {
        view_->ShowBreakActive(active);
        AnnounceBreak(active);
    };
    view.ShowCurrentList = [this](const std::string& entry) { view_->ShowCurrentCommercialList(entry); };
    view.HoldGrid = [this](bool hold) { view_->HoldCommercialGrid(hold); };
    view.ShowNextBreakTime = [this](const std::string& time) { view_->ShowNextBreakTime(time); };
    view.LongDayName = [this](TDateTime when) { return view_->LongDayName(when); };
    return view;
}

} // namespace corvane
