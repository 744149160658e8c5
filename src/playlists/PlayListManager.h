#pragma once

#include "data/Table.h"
#include "platform/Seams.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class TdmQelData;

// What the playlist manager's rules need of its window. Each is optional.
// Main thread.
struct PlayListManagerHost {
    // The recent list changed (a save or a clear): rebuild the "&Recent" menu.
    std::function<void()> RefreshRecentPlayLists;
    // The caption changed (Caption()).
    std::function<void()> CaptionChanged;
    std::function<void(bool busy)> SetBusy;
    // Runs between the rows of a long add or generation.
    std::function<void()> KeepResponsive;
    // The library grid's selection is spent: clear it.
    std::function<void()> ClearLibrarySelection;
    // The input box of "Auto Generate ": the answer, or nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& caption, const std::string& initial)>
        AskNumberOfSongs;
};

// The rules of the playlist manager (TfrmQelPlayList): the play list in hand
// (cdsPlayList), its file, its unsaved flag PlayListModified and the
// questions around it, adding and removing titles, generation and the recent
// list. A play list names titles by TitleID only; title name, path and
// duration are looked up from the library. Main thread.
class PlayListManager {
public:
    static constexpr const char* ManagerCaption = "Playlist Manager";
    static constexpr const char* SaveFilter = "Vantor Corvane Playlist [*.ply]|*.ply|All Files [*.*]|*.*";
    static constexpr const char* SaveQuestion = "Save current playlist?";
    static constexpr const char* SaveFailedMessage = "Unable to save selected play list.";
    static constexpr const char* UnsavedChangesMessage =
        "There are unsaved changes in the current play list, please save or cancel before proceeding";
    // The library's order while the manager is open, unless it has one.
    static constexpr const char* TitleNameIndex = "idxTitleName";

    PlayListManager(TdmQelData& data, Seams seams, PlayListManagerHost host = {});

    // Opening the window: the library open and, unless a named index orders
    // it, ordered by title name (letter case ignored); then New.
    void Prepare();

    // --- The play list in hand ---
    // An empty play list (the caption back to "Playlist Manager").
    void New();
    // Asks for a file and opens it; false when cancelled or unreadable.
    bool Open();
    // A "&Recent" entry: refused while there are unsaved changes, and when
    // the file is gone.
    bool OpenRecent(const std::string& path);
    // Asks for a file and writes the play list to it; false when cancelled
    // or when writing failed (the flag then stays).
    bool Save();
    // "C&lose Playlist" and closing the window: false when the operator
    // cancels, or when the play list he wanted saved was not saved.
    bool ClosePlayList();
    bool PlayListModified() const { return PlayListModified_; }
    // "Playlist Manager", or "Playlist: " and the file in hand.
    const std::string& Caption() const { return caption_; }

    // --- Titles ---
    // The library's current title; a title whose file is gone is refused
    // with "File not found:" and its path. True when added.
    bool AddSong();
    // "&Add Song(s)" and library rows dropped on the play list: the selected
    // rows, or the current one when fewer than two are selected.
    void AddSongs(const std::vector<Bookmark>& selectedLibraryRows);
    // "&Remove Song": the play list's current row.
    void RemoveSong();
    // "&Generate Play List": `count` titles at random; the flag stays as it is.
    void GeneratePlayList(int count);
    // "Auto Generate ": asks how many titles, then generates them.
    void AutoGenerate();

    // --- Recent list ---
    std::vector<std::string> RecentEntries();
    // "&Clear Recent List", after the operator agrees.
    void ClearRecentList();

    // --- Previewing ---
    // The file of the library's current title, or of the play list's current
    // row; empty when there is none.
    std::string LibraryTitleFile();
    std::string PlayListTitleFile();

private:
    // Loads the file as the play list in hand; an unreadable one is reported
    // and replaced by an empty play list.
    bool LoadFile(const std::string& path);
    // The open and save dialogs: ".ply" files in the program's "PlayLists".
    FileDialogRequest PlayListDialog(std::string filter) const;
    void SetCaption(std::string caption);
    void Inform(const std::string& text);
    void KeepResponsive();

    TdmQelData& data_;
    Seams seams_;
    PlayListManagerHost host_;
    bool PlayListModified_ = false;
    std::string caption_ = ManagerCaption;
};

} // namespace corvane
