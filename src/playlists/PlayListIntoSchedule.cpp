#include "playlists/PlayListIntoSchedule.h"

#include "data/TdmQelData.h"
#include "playlists/ScheduleEditor.h"
#include "playlists/TableScopes.h"
#include "playlists/UnsavedScheduleQuestion.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* ScheduleOrderIndex = "ixItemOrder";

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

std::optional<std::string> AskForPlayList(Seams& seams, const PlayListLoadHost& host) {
    FileDialogRequest request;
    request.filter = PlayListOpenFilter;
    request.defaultExtension = "*.ply";
    if (host.PlayListDefaultDirectory) {
        const std::string folder = host.PlayListDefaultDirectory();
        if (IsFolder(folder))
            request.initialFolder = folder;
    }
    return seams.fileDialogs.OpenFile(request);
}

// The schedule emptied and in play order, opened again if a failed schedule
// load had left it closed.
void EmptySchedule(TdmQelData& data) {
    Table& schedule = data.cdsSchedule;
    if (schedule.Active()) {
        schedule.EmptyDataSet();
    } else {
        schedule.CreateDataSet();
        const auto& indexes = schedule.Indexes();
        if (std::none_of(indexes.begin(), indexes.end(),
                         [](const IndexDef& i) { return i.name == ScheduleOrderIndex; }))
            schedule.AddIndex({ScheduleOrderIndex, "ItemPlayOrderAbsolute"});
        schedule.SetIndexName(ScheduleOrderIndex);
    }
    data.ScheduleTotalMs = 0;
}

// Where each title is in the library, by TitleID: the first row in the
// library's current order, as a search from its top would find it.
std::unordered_map<int64_t, Bookmark> TitleRows(Table& library) {
    std::unordered_map<int64_t, Bookmark> rows;
    if (!library.Active())
        return rows;
    for (library.First(); !library.Eof(); library.Next()) {
        const Field& id = library.FieldByName("TitleID");
        if (!id.IsNull())
            rows.emplace(id.AsLargeInt(), library.GetBookmark());
    }
    return rows;
}

} // namespace

PlayListLoad LoadPlayListIntoSchedule(TdmQelData& data, Seams seams, const PlayListLoadHost& host,
                                      std::optional<std::string> path) {
    Table& library = data.cdsAudioLibrary;
    Table& schedule = data.cdsSchedule;
    // Asked before anything is touched: the schedule is only given up for a
    // play list that was chosen and could be read.
    if (!MayReplaceSchedule(schedule, seams.prompter))
        return PlayListLoad::Cancelled;
    if (!path)
        path = AskForPlayList(seams, host);
    if (!path)
        return PlayListLoad::Cancelled;
    if (host.SetPlayListDefaultDirectory)
        host.SetPlayListDefaultDirectory(fs::path(*path).parent_path().string());

    BusyScope busy(host.SetBusy);
    ControlsSuspended librarySuspended(library);
    ControlsSuspended playListSuspended(data.cdsPlayList);
    ControlsSuspended scheduleSuspended(schedule);
    RememberedRow libraryRow(library);
    struct Finish {
        TdmQelData& data;
        const PlayListLoadHost& host;
        ~Finish() {
            if (data.cdsSchedule.Active())
                data.cdsSchedule.First();
            if (host.ShowTotalDuration)
                host.ShowTotalDuration(static_cast<int>(data.ScheduleTotalMs / 1000));
        }
    };

    std::string reason;
    Table* playList = data.LoadPlayListFile(*path, &reason);
    if (!playList) {
        seams.prompter.Show(std::string(UnreadablePlayListMessage) + "\r\n" + reason,
                            MessageType::Information, MessageButtons::Ok);
        return PlayListLoad::Unreadable;
    }
    Finish finish{data, host};
    EmptySchedule(data);
    const auto titleRows = TitleRows(library);
    for (playList->First(); !playList->Eof(); playList->Next()) {
        const Field& id = playList->FieldByName("TitleID");
        if (id.IsNull())
            continue;
        const auto row = titleRows.find(id.AsLargeInt());
        if (row == titleRows.end() || !library.GotoBookmark(row->second))
            continue;
        if (IsFile(library.FieldByName("LocalPathToFile").AsString()))
            ScheduleEditor::CopyRowToTable(library, schedule);
        if (host.KeepResponsive)
            host.KeepResponsive();
    }
    return PlayListLoad::Loaded;
}

} // namespace corvane
