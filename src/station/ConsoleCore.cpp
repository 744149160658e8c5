#include "station/ConsoleCore.h"

#include "data/TableAutosave.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/RegularFile.h"
#include "settings/IniFile.h"
#include "settings/IntegerText.h"
#include "station/ConsoleView.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace corvane {
namespace {

constexpr const char* StageErrorText =
    "System error encountered opening Schedule, software may not be installed correctly:";

// Seconds as a time of day "hh:mm:ss": whole days are not shown.
std::string TimeOfDayText(double seconds) {
    const double days = seconds / SecondsPerDay;
    const CivilDateTime t = DecodeDateTime(days - std::floor(days));
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

// `name` inside `folder`, matched without regard to letter case as the
// program's folders always have been ("Ads" and "ads" are one folder); the
// name as given when there is no such entry.
std::filesystem::path EntryIgnoringCase(const std::filesystem::path& folder, const std::string& name) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string found = entry.path().filename().string();
        if (found.size() == name.size() &&
            std::equal(found.begin(), found.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return entry.path();
    }
    return folder / name;
}

} // namespace

ConsoleCore::ConsoleCore(Seams seams, TdmQelData& data, ConsoleView& view,
                         std::filesystem::path programFolder, ConsoleParts& parts)
    : seams_(seams), data_(data), view_(view), programFolder_(std::move(programFolder)), parts_(parts),
      settings_(CorvaneSettings::Defaults(programFolder_)),
      tmrClock(seams.timers.CreateTimer("tmrClock", 1000)),
      EventTimer_(seams.timers.CreateTimer("EventTimer", 1000)),
      tmrAutosave_(seams.timers.CreateTimer("tmrAutosave", AutosaveIntervalMs)), savedSettings_(settings_) {
    // The clock runs from the start; its display is fed by the clock panel.
    tmrClock->SetEnabled(true);
    tmrAutosave_->SetOnTimer([this] { Autosave(); });
}

ConsoleCore::~ConsoleCore() = default;

std::filesystem::path ConsoleCore::SettingsPath() const {
    return programFolder_ / SettingsFileName;
}

bool ConsoleCore::FileExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void ConsoleCore::Inform(const std::string& text, MessageType type) {
    seams_.prompter.Show(text, type, MessageButtons::Ok);
}

void ConsoleCore::OpenOrCreate(Table& table) {
    // Whatever stands at the path (a folder, a FIFO, a broken link) is read and
    // reported, never taken for a missing file and started empty.
    if (!table.FileName().empty() && CheckFile(table.FileName()).kind != FileKind::Missing)
        table.Open();
    else
        table.CreateDataSet();
}

// A table file that cannot be read is the operator's to see, named with its
// reason; the console goes on with that table closed, so that nothing writes
// over the file, and the settings and the other tables still load.
bool ConsoleCore::OpenAtStart(Table& table, MessageType type) {
    try {
        OpenOrCreate(table);
        return true;
    } catch (...) {
        Inform(ExceptionMessage(std::current_exception()) +
                   "\r\nThe console goes on without this table and leaves its file as it is.",
               type);
        return false;
    }
}

void ConsoleCore::FormCreate(StationMode mode) {
    mode_ = mode;
    if (mode == StationMode::Offline) {
        StartOffline();
        return;
    }
    // Meter backgrounds belong to the meters, which load their own pictures.
    helpFile_ = (programFolder_ / "corvane.hlp").string();
    FRackFiles.clear();
    view_.SetAcceptDroppedFiles(true);
    FFirstShow = true;
    scheduleDialogFolder_ = programFolder_.string();

    OpenScheduleTable();

    view_.ClearItemDisplay();
    parts_.SetOnAir(false);
    parts_.SetBreakActive(false);
    FDirectJinglePlayout = false;
    FDirectCommercialPlayout = false;

    int stage = 0;
    try {
        RunTableBlock(stage);
    } catch (...) {
        ShowStageError(stage);
    }

    SetOperatingMode(0);
    FCurrentPort = 0;
    RunEventBlock();
    ShowTotalDuration(static_cast<double>(data_.ScheduleTotalMs / 1000));
    FPlayRequest = false;
    FTransportBusy = false;
    StartSession();
}

// What an offline station needs of the console's start-up: its tables and
// its settings, and nothing that writes into the folder, which a console may
// be running on at the same time.
void ConsoleCore::StartOffline() {
    FRackFiles.clear();
    scheduleDialogFolder_ = programFolder_.string();
    data_.OpenTables();
    for (Table* table : {&data_.cdsAudioLibrary, &data_.cdsFileScan, &data_.PlayListHistory,
                         &data_.cdsAdTimes, &data_.CommercialHistory, &data_.EventLog, &data_.cdsRackList})
        table->SetWriteOnClose(WriteOnClose::No);
    LoadSettings();
    if (settingsUnreadable_)
        throw EIniFileError("\"" + SettingsPath().string() + "\" could not be read");
    parts_.SetOnAir(false);
}

void ConsoleCore::StartSession() {
    const std::filesystem::path session = programFolder_ / SessionFile;
    uncleanExit_ = FileExists(session.string());
    if (uncleanExit_) {
        try {
            const IniFile ini = IniFile::Load(session);
            recoveredPlace_ = {ini.ReadInteger("Session", "OnAirItem", 0),
                               ini.ReadInteger("Session", "PositionMs", 0)};
        } catch (...) {
            recoveredPlace_ = {0, 0};
        }
    }
    // From here on the files follow the tables.
    autosave_ = std::make_unique<TableAutosave>(data_, seams_.dispatcher);
    autosave_->AlsoKeep(data_.cdsSchedule, (programFolder_ / RecoveryScheduleFile).string());
    tmrAutosave_->SetEnabled(true);
    WriteSession();
}

void ConsoleCore::WriteSession() {
    const std::pair<int, int> place = parts_.OnAirPlace();
    IniFile ini;
    ini.WriteInteger("Session", "OnAirItem", place.first);
    ini.WriteInteger("Session", "PositionMs", place.second);
    std::string text = ini.Text();
    if (text == sessionText_)
        return;
    sessionText_ = text;
    autosave_->WriteText((programFolder_ / SessionFile).string(), std::move(text));
}

// A clean end: nothing to recover at the next start.
void ConsoleCore::EndSession() {
    std::error_code ec;
    std::filesystem::remove(programFolder_ / SessionFile, ec);
    std::filesystem::remove(programFolder_ / RecoveryScheduleFile, ec);
}

void ConsoleCore::OpenScheduleTable() {
    try {
        Table& schedule = data_.cdsSchedule;
        schedule.CreateDataSet();
        schedule.First();
        if (schedule.Indexes().empty())
            schedule.AddIndex({"ixItemOrder", "ItemPlayOrderAbsolute"});
        schedule.SetIndexName("ixItemOrder");
        data_.cdsCloneSchedule.CloneCursor(schedule);
    } catch (...) {
        Inform("Problem encountered loading schedule: " + ExceptionMessage(std::current_exception()));
    }
}

// The stage records how far the block got, so that the message of a failure
// tells the operator which table could not be opened.
void ConsoleCore::RunTableBlock(int& stage) {
    stage = 0;
    OpenAtStart(data_.cdsRackList);
    stage = 1;
    LoadSettings();
    try {
        view_.ShowCommercialFolder(EntryIgnoringCase(programFolder_, "ads").string());
    } catch (...) {
        Inform(ExceptionMessage(std::current_exception()));
    }
    stage = 2;
    stage = 3;
    Table& library = data_.cdsAudioLibrary;
    if (!library.Active()) {
        if (settings_.LibraryServer.empty())
            OpenAtStart(library);
        else
            parts_.OpenSharedLibrary(settings_.LibraryServer, [&] { OpenAtStart(library); });
    }
    stage = 4;
    OpenAtStart(data_.cdsAdTimes);
    stage = 5;
    OpenAtStart(data_.PlayListHistory);
    stage = 6;
    parts_.RefreshRecentPlayLists();
    stage = 7;
    if (!data_.cdsFileScan.Active())
        OpenAtStart(data_.cdsFileScan, MessageType::Warning);
    stage = 8;
    OpenAtStart(data_.CommercialHistory);
    stage = 9;
    parts_.RegisterFileTypes();
    parts_.SelectTodaysCommercialList();
}

void ConsoleCore::ShowStageError(int stage) {
    Inform(std::to_string(stage) + ": " + StageErrorText + "\r\n" +
           ExceptionMessage(std::current_exception()));
}

void ConsoleCore::RunEventBlock() {
    try {
        OpenAtStart(data_.EventLog);
        parts_.StartEventProcessing();
    } catch (...) {
        ShowStageError(10);
    }
}

void ConsoleCore::FormShow() {
    // Settings that could not be read are not a first run.
    if (!settings_.WelcomeDone && !settingsUnreadable_) {
        view_.ProcessPendingMessages();
        parts_.ShowFirstRunWizard();
        settings_.WelcomeDone = true;
        return;
    }
    if (!FFirstShow)
        return;
    FFirstShow = false;
    const std::string recoveryCopy = (programFolder_ / RecoveryScheduleFile).string();
    const bool recovering = uncleanExit_ && FileExists(recoveryCopy);
    bool recoveryUsed = false;
    try {
        if (settings_.AutoLoadLastSchedule && (recovering || FileExists(settings_.LastScheduleLocation))) {
            view_.ProcessPendingMessages();
            if (recovering) {
                // The schedule as it was on air; the schedule file it came
                // from stays the one to load next time.
                recoveryUsed = true;
                const std::string last = settings_.LastScheduleLocation;
                parts_.LoadScheduleFile(recoveryCopy);
                settings_.LastScheduleLocation = last;
            } else {
                parts_.LoadScheduleFile(settings_.LastScheduleLocation);
            }
            parts_.SetOnAir(false);
            if (settings_.AutoStartSchedule && recovering && recoveredPlace_.first != 0)
                parts_.ResumeItem(recoveredPlace_.first, recoveredPlace_.second);
            else if (settings_.AutoStartSchedule)
                parts_.StartItem();
            view_.Repaint();
        }
    } catch (...) {
        Inform("Boot error encountered\r\n" + ExceptionMessage(std::current_exception()));
    }
    // A recovery copy not taken now would be stale at the next unclean end.
    if (!recoveryUsed) {
        std::error_code ec;
        std::filesystem::remove(recoveryCopy, ec);
    }
}

// Closing is never refused: a step that fails is logged and the next one
// still runs, so a failed table save cannot cost the settings or the close.
bool ConsoleCore::FormCloseQuery() {
    FClosing = true;
    FStopping = true;
    Guarded("FormCloseQuery", [&] { parts_.StopOutput(); });
    if (mode_ == StationMode::Offline)
        return true;
    // The close writes the same files: the writes under way end first.
    tmrAutosave_->SetEnabled(false);
    Guarded("FormCloseQuery", [&] { autosave_.reset(); });
    Guarded("FormCloseQuery", [&] { data_.SaveAllTables(); });
    Guarded("FormCloseQuery", [&] { SaveSettings(); });
    EndSession();
    return true;
}

void ConsoleCore::FormDestroy() {
    view_.SetAcceptDroppedFiles(false);
    FRackFiles.clear();
}

void ConsoleCore::LoadSettings() {
    std::error_code ec;
    const bool newStation =
        std::filesystem::symlink_status(SettingsPath(), ec).type() == std::filesystem::file_type::not_found;
    IniFile ini;
    try {
        ini = IniFile::Load(SettingsPath());
        settingsUnreadable_ = false;
    } catch (const EIniFileError& e) {
        // The station's settings are in that file: running on defaults is
        // better than not running, but writing the defaults over it is not.
        settingsUnreadable_ = true;
        Inform(std::string(e.what()) +
                   "\r\nThe console runs on default settings and does not write this file.",
               MessageType::Warning);
    }
    CorvaneSettings current = settings_;
    current.Grid = view_.CurrentGridAppearance();
    if (newStation)
        current.UseNewStationDefaults();
    settings_ = ReadSettings(ini, current);
    // A password written into the file by hand (or by a provisioning tool)
    // is a secret from the start, not only after the console's first save.
    if (!settingsUnreadable_ && SettingsHoldPassword(settings_) &&
        !IniFile::TakeAccessFromOthers(SettingsPath()))
        Inform("\"" + SettingsPath().string() +
                   "\" holds a password and others may read it: the console cannot take their access away",
               MessageType::Warning);
    parts_.SettingsRead();

    LoadRackAtStart(settings_.AudioRackPlayList);
    view_.SetRackCaption("Cart Rack - DEFAULT");
    view_.ApplyGridAppearance(settings_.Grid);
    SetDisplayClock(settings_.DisplayClock);
    try {
        std::error_code ec;
        const std::string& folder = settings_.FileBrowseDefaultDirectory;
        if (!folder.empty() && std::filesystem::is_directory(folder, ec))
            view_.SetFolderBrowserFolder(folder);
    } catch (...) {
        // A folder the browser cannot show leaves it where it is.
    }
    if (settings_.AudioRackPlayList.empty()) {
        try {
            LoadRackFromRackList();
        } catch (...) {
            Inform("The audio rack could not be loaded:\r\n" + ExceptionMessage(std::current_exception()),
                   MessageType::Warning);
        }
    }
    // What was read is what the file holds.
    savedSettings_ = SettingsToSave();
}

// Without a rack named in the settings the rack list's current row decides.
void ConsoleCore::LoadRackFromRackList() {
    Table& rackList = data_.cdsRackList;
    if (!rackList.Active() || rackList.IsEmpty())
        return;
    Field* fileList = rackList.FindField("FileList");
    Field* description = rackList.FindField("Description");
    if (!fileList || !FileExists(fileList->AsString()))
        return;
    const std::string text = description ? description->AsString() : std::string();
    view_.SetRackCaption(text.empty() ? "Cart Rack - No Description Available" : text);
    LoadRack(fileList->AsString());
}

CorvaneSettings ConsoleCore::SettingsToSave() const {
    CorvaneSettings settings = settings_;
    settings.AudioRackPlayList = FCurrentRackFile;
    settings.Grid = view_.CurrentGridAppearance();
    settings.FileBrowseDefaultDirectory = view_.FolderBrowserFolder();
    return settings;
}

void ConsoleCore::SaveSettings() {
    if (settingsUnreadable_)
        throw EIniFileError("Settings not written: \"" + SettingsPath().string() +
                            "\" could not be read at start-up and is left as it is");
    IniFile ini = IniFile::Load(SettingsPath());
    settings_ = SettingsToSave();
    WriteSettings(ini, settings_);
    // A password (the stream's, or one in the library server's text) makes
    // the file a secret of the console's user.
    ini.Save(SettingsPath(),
             SettingsHoldPassword(settings_) ? IniFileAccess::OwnerOnly : IniFileAccess::AsBefore);
    savedSettings_ = settings_;
}

void ConsoleCore::FinishAutosave() {
    if (autosave_)
        autosave_->Finish();
}

void ConsoleCore::Autosave() {
    if (FClosing)
        return;
    if (autosave_) {
        autosave_->WriteChanged();
        WriteSession();
    }
    if (!settingsUnreadable_ && !(SettingsToSave() == savedSettings_))
        SaveSettings();
}

// A rack file that cannot be read is reported; the rest of the start-up
// (the other tables, the settings) goes on without it.
void ConsoleCore::LoadRackAtStart(const std::string& path) {
    try {
        LoadRack(path);
    } catch (...) {
        Inform("The audio rack " + path + " could not be loaded:\r\n" +
                   ExceptionMessage(std::current_exception()),
               MessageType::Warning);
    }
}

void ConsoleCore::LoadRack(const std::string& path) {
    FCurrentRackFile = path;
    if (FileExists(path))
        parts_.LoadRack(path);
}

void ConsoleCore::SetDisplayClock(bool on) {
    settings_.DisplayClock = on;
    view_.SetClockPanelVisible(on);
    tmrClock->SetEnabled(on);
}

PropertiesValues ConsoleCore::PropertiesShown() const {
    return PropertiesValues::FromSettings(settings_, FCurrentRackFile);
}

void ConsoleCore::ApplyProperties(const PropertiesValues& v) {
    settings_.AutoLoadLastSchedule = v.autoLoadLastSchedule;
    settings_.AutoStartSchedule = v.autoStartSchedule;
    settings_.ExternalAudioPreviewer = !v.useInternalPreviewer;
    settings_.StatisticsTracking = v.statisticsTracking;
    LoadRack(v.audioRack);
    settings_.LoopScheduleContinuously = v.loopScheduleContinuously;
    settings_.AttemptResumeOnAudioError = v.attemptResumeOnAudioError;
    // One after the other: the first that does not convert keeps its old
    // value and those after it, without a message.
    int32_t* const fades[] = {&settings_.FadeOutDefault, &settings_.FadeInDefault,
                              &settings_.FadeOutCommercial};
    const std::string* const texts[] = {&v.fadeOut, &v.fadeIn, &v.fadeOutCommercial};
    for (size_t i = 0; i < std::size(fades); ++i) {
        const auto value = ParseInteger(*texts[i]);
        if (!value)
            break;
        *fades[i] = *value;
    }
    settings_.AutoGetCommercials = v.autoGetCommercials;
    settings_.AutoCrossFade = v.autoCrossFade;
    SetDisplayClock(v.displayClock);
    settings_.PreviewDevice = v.previewDevice;
    const LoudnessValues& l = v.loudness;
    settings_.LoudnessNormalise = l.normalise;
    settings_.LoudnessTarget = l.target;
    settings_.TruePeakCeiling = l.truePeakCeiling;
    settings_.CommercialLoudnessTarget = l.commercialTarget;
    settings_.CartLoudnessTarget = l.cartTarget;
    settings_.UseCuePoints = l.useCuePoints;
    settings_.CueLevel = l.cueLevel;
    settings_.SegueLevel = l.segueLevel;
    // What "&Ok" kept holds even when saving it fails.
    try {
        SaveSettings();
    } catch (...) {
        parts_.SettingsChanged();
        throw;
    }
    parts_.SettingsChanged();
}

void ConsoleCore::MinimizeToTray() {
    trayMenu_ = TrayMenu::Tray;
}

void ConsoleCore::OpenFromTray() {
    trayMenu_ = TrayMenu::SchedulePopup;
}

void ConsoleCore::SetOperatingMode(int mode) {
    view_.SetStatusText(1, mode == 0 ? "Design" : "Automatic");
}

void ConsoleCore::ShowTotalDuration(double seconds) {
    view_.SetTotalDuration(TimeOfDayText(seconds));
}

} // namespace corvane
