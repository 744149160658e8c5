#include "playlists/PlayListManager.h"

#include "data/TdmQelData.h"
#include "platform/SaveBeforeClosing.h"
#include "playlists/PlayListGeneration.h"
#include "playlists/PlayListIntoSchedule.h"
#include "playlists/RecentPlayLists.h"
#include "playlists/TableScopes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace corvane {
namespace {

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

} // namespace

PlayListManager::PlayListManager(TdmQelData& data, Seams seams, PlayListManagerHost host)
    : data_(data), seams_(seams), host_(std::move(host)) {}

void PlayListManager::Prepare() {
    Table& library = data_.cdsAudioLibrary;
    if (!library.Active())
        library.Open();
    if (library.IndexName().empty()) {
        const auto& indexes = library.Indexes();
        if (std::none_of(indexes.begin(), indexes.end(),
                         [](const IndexDef& i) { return i.name == TitleNameIndex; }))
            library.AddIndex(
                {TitleNameIndex, "TitleName", SortDirection::Ascending, CaseSensitivity::Insensitive});
        library.SetIndexName(TitleNameIndex);
    }
    New();
}

void PlayListManager::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    if (host_.CaptionChanged)
        host_.CaptionChanged();
}

void PlayListManager::Inform(const std::string& text) {
    seams_.prompter.Show(text, MessageType::Information, MessageButtons::Ok);
}

void PlayListManager::KeepResponsive() {
    if (host_.KeepResponsive)
        host_.KeepResponsive();
}

void PlayListManager::New() {
    Table& playList = data_.cdsPlayList;
    if (playList.Active())
        playList.EmptyDataSet();
    else
        playList.CreateDataSet();
    PlayListModified_ = false;
    // A new play list belongs to no file yet, whatever was open before.
    SetCaption(ManagerCaption);
}

bool PlayListManager::LoadFile(const std::string& path) {
    std::string reason;
    if (data_.LoadPlayListFile(path, &reason)) {
        SetCaption("Playlist: " + path);
        PlayListModified_ = false;
        return true;
    }
    Inform(std::string(UnreadablePlayListMessage) + "\r\n" + reason);
    New();
    return false;
}

FileDialogRequest PlayListManager::PlayListDialog(std::string filter) const {
    FileDialogRequest request;
    request.filter = std::move(filter);
    request.defaultExtension = "*.ply";
    request.initialFolder = data_.ApplicationPath("PlayLists");
    return request;
}

bool PlayListManager::Open() {
    const FileDialogRequest request = PlayListDialog(PlayListOpenFilter);
    const auto path = seams_.fileDialogs.OpenFile(request);
    if (!path)
        return false;
    return LoadFile(*path);
}

bool PlayListManager::OpenRecent(const std::string& path) {
    if (PlayListModified_) {
        Inform(UnsavedChangesMessage);
        return false;
    }
    if (!IsFile(path)) {
        Inform("Unable to locate file:\r\n" + path);
        return false;
    }
    return LoadFile(path);
}

bool PlayListManager::Save() {
    const FileDialogRequest request = PlayListDialog(SaveFilter);
    const auto path = seams_.fileDialogs.SaveFile(request);
    if (!path)
        return false;
    try {
        if (!data_.cdsPlayList.Active())
            data_.cdsPlayList.CreateDataSet();
        data_.cdsPlayList.SaveToFile(*path);
        RecentPlayLists(data_.PlayListHistory).Remember(*path, seams_.clock.Now());
        PlayListModified_ = false;
        if (host_.RefreshRecentPlayLists)
            host_.RefreshRecentPlayLists();
    } catch (const std::exception&) {
        Inform(SaveFailedMessage);
        return false;
    }
    return true;
}

bool PlayListManager::ClosePlayList() {
    if (!MayCloseUnsaved(seams_.prompter, SaveQuestion, PlayListModified_, [this] { return Save(); }))
        return false;
    if (data_.cdsPlayList.Active())
        data_.cdsPlayList.Close();
    PlayListModified_ = false;
    SetCaption(ManagerCaption);
    return true;
}

bool PlayListManager::AddSong() {
    Table& library = data_.cdsAudioLibrary;
    Table& playList = data_.cdsPlayList;
    if (!playList.Active() || !library.Active() || library.IsEmpty())
        return false;
    const std::string file = library.FieldByName("LocalPathToFile").AsString();
    if (!IsFile(file)) {
        Inform("File not found:\r\n" + file);
        return false;
    }
    playList.Append();
    try {
        playList.FieldByName("TitleID").SetAsInteger(library.FieldByName("TitleID").AsLargeInt());
        playList.Post();
    } catch (...) {
        playList.Cancel();
        throw;
    }
    PlayListModified_ = true;
    return true;
}

void PlayListManager::AddSongs(const std::vector<Bookmark>& selectedLibraryRows) {
    Table& library = data_.cdsAudioLibrary;
    BusyScope busy(host_.SetBusy);
    ControlsSuspended librarySuspended(library);
    ControlsSuspended playListSuspended(data_.cdsPlayList);
    struct ClearSelection {
        const PlayListManagerHost& host;
        ~ClearSelection() {
            if (host.ClearLibrarySelection)
                host.ClearLibrarySelection();
        }
    } clearSelection{host_};
    if (selectedLibraryRows.size() < 2) {
        AddSong();
        return;
    }
    RememberedRow libraryRow(library);
    for (const Bookmark row : selectedLibraryRows) {
        if (library.GotoBookmark(row))
            AddSong();
        KeepResponsive();
    }
}

void PlayListManager::RemoveSong() {
    Table& playList = data_.cdsPlayList;
    if (!playList.Active() || playList.IsEmpty())
        return;
    playList.Delete();
    PlayListModified_ = true;
}

void PlayListManager::GeneratePlayList(int count) {
    corvane::GeneratePlayList(data_, count, [this] { KeepResponsive(); });
}

void PlayListManager::AutoGenerate() {
    if (!host_.AskNumberOfSongs)
        return;
    const auto count = NumberOfSongs(host_.AskNumberOfSongs(NumberOfSongsCaption, DefaultNumberOfSongs));
    if (!count)
        return;
    BusyScope busy(host_.SetBusy);
    GeneratePlayList(*count);
}

std::vector<std::string> PlayListManager::RecentEntries() {
    return RecentPlayLists(data_.PlayListHistory).Entries();
}

void PlayListManager::ClearRecentList() {
    if (seams_.prompter.Show(RecentPlayLists::ClearQuestion, MessageType::Confirmation,
                             MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    RecentPlayLists(data_.PlayListHistory).Clear();
    if (host_.RefreshRecentPlayLists)
        host_.RefreshRecentPlayLists();
}

std::string PlayListManager::LibraryTitleFile() {
    Table& library = data_.cdsAudioLibrary;
    return library.Active() && !library.IsEmpty() ? library.FieldByName("LocalPathToFile").AsString() : "";
}

std::string PlayListManager::PlayListTitleFile() {
    Table& playList = data_.cdsPlayList;
    return playList.Active() && !playList.IsEmpty() ? playList.FieldByName("LocalPathToFile").AsString() : "";
}

} // namespace corvane
