#include "commercials/CommercialListEditor.h"

#include "commercials/CommercialListNames.h"
#include "data/DataErrors.h"
#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/SaveBeforeClosing.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <cstdio>
#include <fnmatch.h>
#include <utility>

namespace corvane {
namespace {

constexpr const char* AudioFilter = "MPEG3 Compressed Audio [*.mp3]|*.mp3|Windows Audio File [*.wav]|*.wav|"
                                    "Audio Files [*.wav, *.mp3]|*.wav;*.mp3|All Files [*.*]|*.*";
constexpr const char* OpenFilter = "Corvane Commercials [*.ads]|*.ads|All Files [*.*]|*.*";
constexpr const char* SaveFilter = "Vantor Corvane Commercial [*.ads]|*.ads|All Files [*.*]|*.*";
constexpr const char* IniFilter = "Commercial List Ini File [*.ini]|*.ini|All Files [*.*]|*.*";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_regular_file(path, ignored);
}

// The files a wildcard pattern names, in the order the console lists names
// (the file system's own order differs between machines). Only files: a
// folder is no commercial.
std::vector<std::string> Matches(const std::string& pattern) {
    const std::filesystem::path path(pattern);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const std::string mask = path.filename().string();
    std::vector<std::string> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (IsFile(it->path()) && ::fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            found.push_back((folder / name).string());
    }
    std::sort(found.begin(), found.end(), NameBefore);
    return found;
}

} // namespace

CommercialListEditor::CommercialListEditor(TdmQelData& data, const Clock& clock, Prompter& prompter,
                                           FileDialogs& fileDialogs, std::filesystem::path listFolder,
                                           CommercialListEditorView view)
    : data_(data), clock_(clock), prompter_(prompter), fileDialogs_(fileDialogs),
      listFolder_(std::move(listFolder)), view_(std::move(view)), facts_(data) {}

Table& CommercialListEditor::List() {
    return data_.cdsAdList;
}

template <typename Work> void CommercialListEditor::Busy(Work&& work) {
    if (view_.SetBusy)
        view_.SetBusy(true);
    try {
        work();
    } catch (...) {
        if (view_.SetBusy)
            view_.SetBusy(false);
        throw;
    }
    if (view_.SetBusy)
        view_.SetBusy(false);
}

void CommercialListEditor::Show(const std::string& listFile) {
    if (!List().Active())
        List().CreateDataSet();
    PendingListFile = listFile;
    SetDate(clock_.Now());
    LoadCommercialHistory();
    if (!PendingListFile.empty())
        actOpen();
}

void CommercialListEditor::SetDate(TDateTime date) {
    fileNameBox_ = DateListName(date);
}

// --- Actions ----------------------------------------------------------------

void CommercialListEditor::actNew() {
    if (List().Active())
        List().EmptyDataSet();
    else
        List().CreateDataSet();
    ListModified = false;
}

void CommercialListEditor::LoadList(const std::string& path) {
    List().LoadFromFile(path);
    if (view_.SetCaption)
        view_.SetCaption("Commercials: " + path);
}

void CommercialListEditor::actOpen() {
    try {
        if (!PendingListFile.empty()) {
            const std::string path = std::exchange(PendingListFile, {});
            LoadList(path);
            ListModified = false;
            return;
        }
        FileDialogRequest request;
        request.filter = OpenFilter;
        request.initialFolder = listFolder_.string();
        if (const std::optional<std::string> chosen = fileDialogs_.OpenFile(request)) {
            LoadList(*chosen);
            ListModified = false;
        }
    } catch (...) {
        prompter_.Show(
            "Unable to open selected commercial list, please ensure that a valid file is selected\r\n" +
                ExceptionMessage(std::current_exception()),
            MessageType::Information, MessageButtons::Ok);
        actNew();
    }
}

void CommercialListEditor::actSave() {
    FileDialogRequest request;
    request.filter = SaveFilter;
    request.defaultExtension = ".ads";
    request.fileName = Trimmed(fileNameBox_);
    request.initialFolder = listFolder_.string();
    const std::optional<std::string> chosen = fileDialogs_.SaveFile(request);
    if (!chosen)
        return;
    try {
        if (List().State() != TableState::Browse)
            List().Post();
        List().SaveToFile(*chosen);
        Table& history = data_.CommercialHistory;
        if (!history.Active())
            history.CreateDataSet();
        if (history.Locate("CommercialFile", *chosen, CaseSensitivity::Insensitive))
            history.Edit();
        else
            history.Append();
        history.FieldByName("CommercialFile").SetAsString(*chosen);
        history.FieldByName("DateCreated").SetAsDateTime(clock_.Now());
        history.Post();
        ListModified = false;
        LoadCommercialHistory();
        if (view_.SetCaption)
            view_.SetCaption("Commercials: " + *chosen);
    } catch (...) {
        prompter_.Show("Unable to save selected commercial list.", MessageType::Information,
                       MessageButtons::Ok);
    }
}

void CommercialListEditor::LoadCommercialHistory() {
    history_.clear();
    Table& history = data_.CommercialHistory;
    if (!history.Active())
        return;
    // Newest first, read through a second cursor so the table's own stays put.
    Table rows("CommercialHistoryByDate");
    rows.CloneCursor(history);
    std::vector<std::pair<double, std::string>> saved;
    for (rows.First(); !rows.Eof(); rows.Next())
        saved.emplace_back(rows.FieldByName("DateCreated").AsDateTime(),
                           rows.FieldByName("CommercialFile").AsString());
    std::stable_sort(saved.begin(), saved.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < saved.size() && i < HistoryLength; ++i)
        history_.push_back(saved[i].second);
}

bool CommercialListEditor::CloseQuery() {
    if (!MayCloseUnsaved(prompter_, "Save current Commercial List?", ListModified, [this] {
            actSave();
            return !ListModified;
        }))
        return false;
    if (List().Active())
        List().Close();
    return true;
}

std::optional<std::string> CommercialListEditor::CloseKeepingUnsaved() {
    std::optional<std::string> kept;
    Table& list = List();
    if (ListModified && list.Active()) {
        const CivilDateTime now = DecodeDateTime(clock_.Now());
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day,
                      now.hour, now.minute, now.second);
        const std::string path = (listFolder_ / ("Unsaved " + std::string(stamp) + ".ads")).string();
        if (list.State() != TableState::Browse)
            list.Post();
        list.SaveToFile(path);
        ListModified = false;
        kept = path;
    }
    if (list.Active())
        list.Close();
    return kept;
}

// --- Editing -------------------------------------------------------------------

bool CommercialListEditor::AddCommercialItem(const std::string& breakTime, const std::string& path) {
    Table& list = List();
    if (!list.Active())
        list.CreateDataSet();
    list.Append();
    list.FieldByName("BOOK_TIME").SetAsString(breakTime);
    list.FieldByName("NetworkPathToFile").SetAsString(path);
    list.FieldByName("Campaign_Details").SetAsString(path);
    list.FieldByName("DURATION").SetAsInteger(facts_.GetFileDurationSeconds(path));
    try {
        list.Post();
    } catch (const EAbort&) {
        // The table's rule told the operator why; the row is not kept half-made.
        list.Cancel();
        return false;
    }
    ListModified = true;
    return true;
}

void CommercialListEditor::DropFiles(const std::vector<std::string>& paths) {
    Busy([&] {
        for (const std::string& path : paths) {
            const std::string extension = std::filesystem::path(path).extension().string();
            if (SameTextIgnoringCase(extension, ".wav") || SameTextIgnoringCase(extension, ".mp3"))
                AddCommercialItem(TimePlaceholder, path);
            if (view_.ProcessPendingMessages)
                view_.ProcessPendingMessages();
        }
    });
}

void CommercialListEditor::ImportCommercialIni(const std::string& path) {
    Table& list = List();
    if (!list.Active())
        list.CreateDataSet();
    const IniFile ini = IniFile::Load(path);
    const bool wasModified = ListModified;
    try {
        Busy([&] {
            for (const std::string& section : ini.SectionNames()) {
                const std::string breakTime = Trimmed(section.substr(0, 5));
                const std::string details =
                    section.size() > 6 ? Trimmed(section.substr(6, 250)) : std::string();
                std::vector<std::string> files;
                for (const std::string& key : ini.SectionKeys(section)) {
                    const std::string value = Trimmed(ini.ReadString(section, key, ""));
                    if (value.find('*') != std::string::npos) {
                        for (std::string& match : Matches(value))
                            files.push_back(std::move(match));
                    } else if (IsFile(value)) {
                        files.push_back(value);
                    }
                }
                for (const std::string& file : files) {
                    list.Append();
                    list.FieldByName("BOOK_TIME").SetAsString(breakTime);
                    list.FieldByName("NetworkPathToFile").SetAsString(file);
                    list.FieldByName("Campaign_Details").SetAsString(details.empty() ? file : details);
                    list.FieldByName("DURATION").SetAsInteger(facts_.GetFileDurationSeconds(file));
                    list.Post();
                    if (view_.ProcessPendingMessages)
                        view_.ProcessPendingMessages();
                }
            }
        });
    } catch (...) {
        if (list.State() != TableState::Browse)
            list.Cancel();
        list.First();
        ListModified = wasModified;
        throw;
    }
    list.First();
    ListModified = wasModified;
}

void CommercialListEditor::ImportCommercialIniFile(const std::filesystem::path& programFolder) {
    const std::filesystem::path beside = programFolder / "ads.ini";
    if (IsFile(beside)) {
        ImportCommercialIni(beside.string());
        return;
    }
    FileDialogRequest request;
    request.filter = IniFilter;
    request.defaultExtension = "ini";
    request.initialFolder = programFolder.string();
    if (const std::optional<std::string> chosen = fileDialogs_.OpenFile(request))
        ImportCommercialIni(*chosen);
}

std::optional<std::string> CommercialListEditor::ChooseAudioFile() {
    FileDialogRequest request;
    request.filter = AudioFilter;
    request.defaultExtension = "mp3";
    std::optional<std::string> chosen = fileDialogs_.OpenFile(request);
    if (chosen && !IsFile(*chosen))
        return std::nullopt;
    return chosen;
}

} // namespace corvane
