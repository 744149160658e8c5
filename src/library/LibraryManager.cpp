#include "library/LibraryManager.h"

#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"

#include <algorithm>

namespace corvane {
namespace {

void OpenIfClosed(Table& table) {
    if (!table.Active())
        table.Open();
}

// Suspends a table's displays for the length of a scope.
class ControlsDisabled {
public:
    explicit ControlsDisabled(Table& table) : table_(table) { table_.DisableControls(); }
    ~ControlsDisabled() { table_.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Table& table_;
};

} // namespace

LibraryManager::LibraryManager(TdmQelData& data, AudioFileFacts& facts, Seams seams, Hooks hooks)
    : data_(data), facts_(facts), seams_(seams), hooks_(std::move(hooks)) {}

bool LibraryManager::Open() {
    OpenIfClosed(data_.cdsFileScan);
    OpenIfClosed(data_.cdsAudioLibrary);
    Table& library = data_.cdsAudioLibrary;
    const auto& indexes = library.Indexes();
    if (std::none_of(indexes.begin(), indexes.end(), [](const IndexDef& i) { return i.name == TitleIndex; }))
        library.AddIndex({TitleIndex, "TitleName", SortDirection::Ascending, CaseSensitivity::Insensitive});
    if (library.IndexName() != TitleIndex)
        library.SetIndexName(TitleIndex);
    return ScanListHasRows();
}

bool LibraryManager::ScanListHasRows() {
    return data_.cdsFileScan.Active() && !data_.cdsFileScan.IsEmpty();
}

void LibraryManager::ImportCurrentScanRow() {
    Table& scan = data_.cdsFileScan;
    if (scan.IsEmpty())
        return;
    if (AddFile(scan.FieldByName("PathToFile").AsString()))
        scan.Delete();
}

bool LibraryManager::AddFile(const std::string& path) {
    const int titles = data_.cdsAudioLibrary.Active() ? data_.cdsAudioLibrary.RecordCount() : 0;
    const bool leavesScanList = facts_.AddFileToLibrary(path);
    // A duplicate the operator let go adds no title.
    if (hooks_.Imported && data_.cdsAudioLibrary.RecordCount() > titles)
        hooks_.Imported(path);
    return leavesScanList;
}

void LibraryManager::ImportScanEntries(const std::vector<Bookmark>& selected) {
    ControlsDisabled scanGrid(data_.cdsFileScan);
    ControlsDisabled libraryGrid(data_.cdsAudioLibrary);
    if (selected.size() < 2) {
        ImportCurrentScanRow();
        return;
    }
    for (const Bookmark row : selected) {
        if (hooks_.ProcessPendingMessages)
            hooks_.ProcessPendingMessages();
        if (data_.cdsFileScan.GotoBookmark(row))
            ImportCurrentScanRow();
    }
}

void LibraryManager::DeleteRows(Table& table, const std::vector<Bookmark>& selected) {
    if (selected.size() < 2) {
        table.Delete();
        return;
    }
    for (const Bookmark row : selected)
        if (table.GotoBookmark(row))
            table.Delete();
}

void LibraryManager::RemoveScanEntries(const std::vector<Bookmark>& selected) {
    ControlsDisabled scanGrid(data_.cdsFileScan);
    DeleteRows(data_.cdsFileScan, selected);
}

void LibraryManager::RemoveTitles(const std::vector<Bookmark>& selected) {
    if (seams_.prompter.Show(RemoveTitlesQuestion, MessageType::Confirmation, MessageButtons::OkCancel) !=
        MessageAnswer::Ok)
        return;
    DeleteRows(data_.cdsAudioLibrary, selected);
}

FileDialogRequest LibraryManager::UploadDialog() {
    FileDialogRequest request;
    request.defaultExtension = "mp3";
    request.filter = "MPEG3 Compressed Audio [*.mp3]|*.mp3|Windows Audio File [*.wav]|*.wav|"
                     "Audio Files [*.wav, *.mp3]|*.wav;*.mp3|All Files [*.*]|*.*";
    return request;
}

void LibraryManager::UploadAudioFile() {
    const auto path = seams_.fileDialogs.OpenFile(UploadDialog());
    if (path)
        AddFile(*path);
}

void LibraryManager::PlayScanEntry() {
    Table& scan = data_.cdsFileScan;
    if (hooks_.Preview && scan.Active() && !scan.IsEmpty())
        hooks_.Preview(scan.FieldByName("PathToFile").AsString());
}

void LibraryManager::PlayTitle(PlayFrom from) {
    if (from == PlayFrom::Menu && hooks_.OnAir && hooks_.OnAir())
        return;
    Table& library = data_.cdsAudioLibrary;
    if (hooks_.Preview && library.Active() && !library.IsEmpty())
        hooks_.Preview(library.FieldByName("LocalPathToFile").AsString());
}

void LibraryManager::Close() {
    Table& library = data_.cdsAudioLibrary;
    if (library.Active() && library.State() != TableState::Browse)
        library.Post();
}

} // namespace corvane
