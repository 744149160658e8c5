#include "data/TdmQelData.h"

#include "data/DataErrors.h"
#include "data/ExceptionLogWriter.h"
#include "data/QelTableSchemas.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace corvane {

TdmQelData* dmQelData = nullptr;

namespace {

// "first three characters after the dot" of the file name's extension, upper case.
std::string ObjectTypeFromPath(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string type = path.substr(dot + 1, 3);
    for (char& c : type)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return type;
}

// Whole seconds of a duration in days, halves to even. Durations of whole
// milliseconds do not multiply back exactly, so the seconds are first snapped
// to the microsecond: 2.5 s must round as a half, not as 2.4999999.
int DurationSeconds(double days) {
    const double seconds = std::round(days * SecondsPerDay * 1e6) / 1e6;
    const double rounded = std::nearbyint(seconds);
    if (!std::isfinite(rounded) || std::fabs(rounded) > 2147483647.0)
        throw EDatabaseError("duration out of range");
    return static_cast<int>(rounded);
}

} // namespace

TdmQelData::TdmQelData(std::string applicationFolder, std::string programFileName, Clock& clock,
                       Prompter& prompter, FileDialogs& fileDialogs)
    : cdsAudioLibrary("cdsAudioLibrary", AudioLibraryFields()), cdsSchedule("cdsSchedule", ScheduleFields()),
      ClipSchedule("ClipSchedule", ClipScheduleFields()),
      cdsCloneSchedule("cdsCloneSchedule", ScheduleFields()), cdsFileScan("cdsFileScan", FileScanFields()),
      cdsPlayList("cdsPlayList", PlayListFields(cdsAudioLibrary)),
      PlayListHistory("PlayListHistory", PlayListHistoryFields()), cdsAdTimes("cdsAdTimes", AdTimesFields()),
      cdsVantorAdList("cdsVantorAdList", VantorAdListFields()), cdsAdList("cdsAdList", AdListFields()),
      CommercialHistory("CommercialHistory", CommercialHistoryFields()),
      EventLog("EventLog", EventLogFields()), cdsRackList("cdsRackList", RackListFields()),
      cdsFileList("cdsFileList", FileListFields()),
      cdsAudioRack("cdsAudioRack", AudioRackFields(cdsAudioLibrary)),
      cdsAudioRackDisplay("cdsAudioRackDisplay", AudioRackDisplayFields()),
      applicationFolder_(std::move(applicationFolder)), programFileName_(std::move(programFileName)),
      clock_(clock), prompter_(prompter), fileDialogs_(fileDialogs),
      exceptionLog_(ApplicationPath(ExceptionLogFile), programFileName_) {
    previousHandler_ = SetExceptionHandler(
        [this](std::string_view sender, std::exception_ptr error) { LogException(sender, error); });
    std::filesystem::create_directories(std::filesystem::path(applicationFolder_) / "PlayLists");
    std::filesystem::create_directories(std::filesystem::path(applicationFolder_) / "Ads" / "Updates");
    cdsAudioLibrary.SetFileName(ApplicationPath(AudioLibraryFile));
    cdsFileScan.SetFileName(ApplicationPath(FileScanFile));
    PlayListHistory.SetFileName(ApplicationPath(PlayListHistoryFile));
    cdsAdTimes.SetFileName(ApplicationPath(AdTimesFile));
    CommercialHistory.SetFileName(ApplicationPath(CommercialHistoryFile));
    EventLog.SetFileName(ApplicationPath(EventLogFile));
    cdsRackList.SetFileName(ApplicationPath(RackListFile));
    // The schedule's filters find titles whatever their case, and an asterisk
    // in a title is just a character.
    const FilterOptions literal{CaseSensitivity::Insensitive, FilterOptions::Asterisk::Ordinary};
    cdsSchedule.SetFilterOptions(literal);
    ClipSchedule.SetFilterOptions(literal);
    cdsAdTimes.SetIndexFieldNames("BreakTime");
    cdsVantorAdList.SetIndexFieldNames("BOOK_TIME");
    EventLog.SetIndexFieldNames("EventStart");
    AttachRules();
    dmQelData = this;
}

TdmQelData::~TdmQelData() {
    for (Table* table : loadFailed_)
        table->SetWriteOnClose(WriteOnClose::No);
    if (libraryWriteWithheld_)
        cdsAudioLibrary.SetWriteOnClose(WriteOnClose::No);
    for (Table* table :
         {&cdsCloneSchedule, &cdsPlayList, &cdsAudioRack, &cdsAudioLibrary, &cdsSchedule, &ClipSchedule,
          &cdsFileScan, &PlayListHistory, &cdsAdTimes, &cdsVantorAdList, &cdsAdList, &CommercialHistory,
          &EventLog, &cdsRackList, &cdsFileList, &cdsAudioRackDisplay}) {
        Guarded(table->Name(), [table] { table->Close(); });
    }
    SetExceptionHandler(std::move(previousHandler_));
    if (dmQelData == this)
        dmQelData = nullptr;
}

std::string TdmQelData::ApplicationPath(std::string_view fileName) const {
    return (std::filesystem::path(applicationFolder_) / fileName).string();
}

FileDialogRequest TdmQelData::RackFileDialog() const {
    FileDialogRequest request;
    request.defaultExtension = "*.rck";
    request.filter = "Vantor Corvane Audio Rack [*.rck]|*.rck";
    request.initialFolder = applicationFolder_;
    return request;
}

void TdmQelData::AttachRules() {
    auto& schedule = cdsSchedule.hooks;
    schedule.OnNewRecord = [this](Table& t) { cdsScheduleNewRecord(t); };
    schedule.BeforePost = [this](Table& t) { cdsScheduleBeforePost(t); };
    schedule.BeforeDelete = [this](Table& t) { cdsScheduleBeforeDelete(t); };
    schedule.AfterDelete = [this](Table& t) { cdsScheduleAfterDelete(t); };
    schedule.BeforeOpen = [this](Table& t) { cdsScheduleBeforeOpenOrClose(t); };
    schedule.BeforeClose = [this](Table& t) { cdsScheduleBeforeOpenOrClose(t); };
    schedule.AfterOpen = [this](Table& t) { cdsScheduleAfterOpen(t); };
    schedule.AfterClose = [this](Table& t) { cdsScheduleAfterClose(t); };
    cdsAudioLibrary.hooks.AfterOpen = [this](Table& t) { cdsAudioLibraryAfterOpen(t); };
    cdsAudioLibrary.hooks.OnNewRecord = [this](Table& t) { cdsAudioLibraryNewRecord(t); };
    cdsRackList.hooks.OnNewRecord = [this](Table& t) { cdsRackListNewRecord(t); };
    EventLog.hooks.OnNewRecord = [this](Table& t) { EventLogNewRecord(t); };
    cdsAdList.hooks.BeforePost = [this](Table& t) { cdsAdListBeforePost(t); };
    cdsAdList.hooks.OnCalcFields = [this](Table& t) { AdListCalcFields(t); };
    cdsVantorAdList.hooks.OnCalcFields = [this](Table& t) { AdListCalcFields(t); };
}

void TdmQelData::OpenFileTable(Table& table, std::vector<std::string>& failures) {
    try {
        table.Open();
    } catch (const ETableFileError& e) {
        // The damaged file stays as it is: the table starts empty and is
        // never written over it.
        failures.push_back(e.what());
        loadFailed_.push_back(&table);
        table.CreateDataSet();
    }
}

void TdmQelData::OpenTables() {
    cdsSchedule.CreateDataSet();
    if (cdsSchedule.Indexes().empty())
        cdsSchedule.AddIndex({"ixItemOrder", "ItemPlayOrderAbsolute"});
    cdsSchedule.SetIndexName("ixItemOrder");
    cdsCloneSchedule.CloneCursor(cdsSchedule);
    for (Table* table : {&ClipSchedule, &cdsPlayList, &cdsVantorAdList, &cdsAdList, &cdsFileList,
                         &cdsAudioRack, &cdsAudioRackDisplay})
        if (!table->Active())
            table->CreateDataSet();
    std::vector<std::string> failures;
    for (Table* table : {&cdsAudioLibrary, &cdsFileScan, &PlayListHistory, &cdsAdTimes, &CommercialHistory,
                         &EventLog, &cdsRackList})
        OpenFileTable(*table, failures);
    if (!failures.empty()) {
        std::string message = failures.front();
        for (size_t i = 1; i < failures.size(); ++i)
            message += "; " + failures[i];
        throw EDatabaseError(message);
    }
}

// --- Operations ---

void TdmQelData::SaveTableIfChanged(Table& table) {
    if (!table.Active() || !table.ChangesPending() || !table.ChangedSinceFile() ||
        std::find(loadFailed_.begin(), loadFailed_.end(), &table) != loadFailed_.end())
        return;
    table.SaveToFile(table.FileName());
}

std::vector<Table*> TdmQelData::SavedTables() {
    return {&cdsFileScan, &cdsAudioLibrary, &PlayListHistory, &cdsAdTimes, &cdsRackList, &CommercialHistory};
}

void TdmQelData::SaveAllTables() {
    SaveTableIfChanged(cdsFileScan);
    const int titles = cdsAudioLibrary.StoredRowCount();
    if (LibraryShrank()) {
        const std::string text = "At the start of this session there were " +
                                 std::to_string(StartTitleCount) + " titles in the database." +
                                 "  The system about to save the database with " + std::to_string(titles) +
                                 " titles, do you wish to cancel this?";
        if (prompter_.Show(text, MessageType::Warning, MessageButtons::YesNo) == MessageAnswer::Yes) {
            libraryWriteWithheld_ = true;
            return;
        }
    }
    libraryWriteWithheld_ = false;
    for (Table* table : SavedTables())
        if (table != &cdsFileScan)
            SaveTableIfChanged(*table);
}

bool TdmQelData::MarkTitlePlayed(int titleId) {
    bool ok = true;
    Bookmark place = 0;
    try {
        place = cdsAudioLibrary.GetBookmark();
        cdsAudioLibrary.DisableControls();
        if (cdsAudioLibrary.Locate("TitleID", int64_t{titleId})) {
            cdsAudioLibrary.Edit();
            cdsAudioLibrary.FieldByName("LastPlayed").SetAsDateTime(clock_.Now());
            Field& times = cdsAudioLibrary.FieldByName("TimesPlayed");
            times.SetAsInteger(times.AsInteger() + 1);
            cdsAudioLibrary.Post();
        }
    } catch (...) {
        ok = false;
        Guarded("MarkTitlePlayed", [this] { cdsAudioLibrary.Cancel(); });
    }
    Guarded("MarkTitlePlayed", [&] {
        if (place != 0)
            cdsAudioLibrary.GotoBookmark(place);
    });
    cdsAudioLibrary.EnableControls();
    return ok;
}

void TdmQelData::MarkScheduleItemBad() {
    if (cdsSchedule.FieldByName("LocalPathToFile").AsString().empty())
        return;
    cdsSchedule.Edit();
    cdsSchedule.FieldByName("ObjectType").SetAsString("BAD");
    cdsSchedule.Post();
}

Table* TdmQelData::LoadPlayListFile(const std::string& path, std::string* reason) {
    try {
        cdsPlayList.LoadFromFile(path);
        return &cdsPlayList;
    } catch (...) {
        if (reason)
            *reason = ExceptionMessage(std::current_exception());
        return nullptr;
    }
}

void TdmQelData::LogException(std::string_view sender, std::exception_ptr error) noexcept {
    try {
        if (error) {
            try {
                std::rethrow_exception(error);
            } catch (const EAbort&) {
                return;
            } catch (...) {
            }
        }
        exceptionLog_.Write(clock_.Now(), sender, ExceptionMessage(error));
    } catch (...) {
    }
}

// --- Rules ---

void TdmQelData::cdsScheduleNewRecord(Table& table) {
    ++ScheduleRowCounter;
    table.FieldByName("ItemPlayOrderAbsolute").SetAsFloat(ScheduleRowCounter);
}

void TdmQelData::cdsScheduleBeforePost(Table& table) {
    try {
        Field& type = table.FieldByName("ObjectType");
        if (type.AsString().empty()) {
            const std::string derived = ObjectTypeFromPath(table.FieldByName("LocalPathToFile").AsString());
            if (derived.empty())
                type.Clear();
            else
                type.SetAsString(derived);
        }
    } catch (const std::exception&) {
        Guarded("cdsScheduleBeforePost", [&] { table.FieldByName("ObjectType").Clear(); });
    }
    try {
        const Field& duration = table.FieldByName("TitleDuration");
        if (!duration.IsNull())
            table.FieldByName("TitleDurationInteger").SetAsInteger(DurationSeconds(duration.AsFloat()));
    } catch (const std::exception&) {
    }
    try {
        if (table.State() == TableState::Insert)
            ScheduleTotalMs += ScheduleRowMs(table);
    } catch (const std::exception&) {
    }
}

int64_t ScheduleRowMs(Table& row) {
    const Field& duration = row.FieldByName("TitleDuration");
    if (!duration.IsNull()) {
        const double ms = std::round(duration.AsFloat() * MsPerDay);
        return std::isfinite(ms) ? static_cast<int64_t>(std::clamp(ms, -1e15, 1e15)) : 0;
    }
    return int64_t{row.FieldByName("TitleDurationInteger").AsInteger()} * 1000;
}

void TdmQelData::cdsScheduleBeforeDelete(Table& table) {
    ScheduleTotalMs -= ScheduleRowMs(table);
}

void TdmQelData::cdsScheduleAfterDelete(Table&) {
    --ScheduleRowCounter;
}

void TdmQelData::cdsScheduleBeforeOpenOrClose(Table&) {
    ScheduleTotalMs = 0;
}

void TdmQelData::cdsScheduleAfterOpen(Table& table) {
    ScheduleRowCounter = table.RecordCount();
}

void TdmQelData::cdsScheduleAfterClose(Table&) {
    ScheduleRowCounter = 0;
}

void TdmQelData::cdsAudioLibraryAfterOpen(Table& table) {
    if (StartTitleCount == 0)
        StartTitleCount = table.StoredRowCount();
}

void TdmQelData::cdsAudioLibraryNewRecord(Table& table) {
    // One more than the largest TitleID present, so that a title number is
    // never given twice even after titles were deleted.
    table.FieldByName("TitleID").SetAsInteger(NewTitleId ? NewTitleId()
                                                         : table.MaxStoredInteger("TitleID") + 1);
    table.FieldByName("UploadDate").SetAsDateTime(clock_.Now());
    table.FieldByName("Status").SetAsString("Ok");
    table.FieldByName("TimesPlayed").SetAsInteger(0);
    table.FieldByName("UploadUser").SetAsString("Default");
}

void TdmQelData::cdsRackListNewRecord(Table& table) {
    if (table.Tag != RackListFileSupplied) {
        const auto chosen = fileDialogs_.OpenFile(RackFileDialog());
        if (!chosen)
            Abort();
        table.FieldByName("FileList").SetAsString(*chosen);
    }
    table.FieldByName("DateCreated").SetAsDateTime(clock_.Now());
}

void TdmQelData::EventLogNewRecord(Table& table) {
    table.FieldByName("EventStart").SetAsDateTime(clock_.Now() + 1.0 / 288.0);
    table.FieldByName("EventStatus").SetAsString("Queued");
}

void TdmQelData::cdsAdListBeforePost(Table& table) {
    const std::string path = table.FieldByName("NetworkPathToFile").AsString();
    std::error_code ignored;
    if (path.empty() || !std::filesystem::is_regular_file(path, ignored)) {
        prompter_.Show("File not found: " + path, MessageType::Information, MessageButtons::Ok);
        Abort();
    }
}

void TdmQelData::AdListCalcFields(Table& table) {
    table.FieldByName("ImageIndex").SetAsString("33");
}

} // namespace corvane
