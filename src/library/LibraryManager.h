#pragma once

#include "data/Table.h"
#include "platform/Seams.h"

#include <functional>
#include <string>
#include <vector>

namespace corvane {

class AudioFileFacts;
class TdmQelData;

// The library manager's rules ("Audio Library - [File Import]"): importing
// scan-list entries and single files, removing scan entries and titles, the
// previews, and opening and closing. The window hands it the selected rows
// as bookmarks of cdsFileScan or cdsAudioLibrary. Main thread.
class LibraryManager {
public:
    static constexpr const char* TitleIndex = "idxTitleName";
    static constexpr const char* RemoveTitlesQuestion =
        "Deleting files from the audio library can not be reversed, are you sure you wish to continue?";

    struct Hooks {
        // The previewer (the console's PreviewAudio in Play mode).
        std::function<void(const std::string& path)> Preview;
        // Whether the console is on air (previews from the library are not offered then).
        std::function<bool()> OnAir;
        // Lets pending window messages be handled between imported files.
        std::function<void()> ProcessPendingMessages;
        // A file has become a library title (its loudness is measured then).
        std::function<void(const std::string& path)> Imported;
    };

    LibraryManager(TdmQelData& data, AudioFileFacts& facts, Seams seams, Hooks hooks);

    // Opens the scan list and the library, creates and selects the title
    // index (letter case ignored). Returns whether the scan list has rows
    // (the scan grid is shown, "&Files Pending Upload" ticked, to match).
    bool Open();
    bool ScanListHasRows();

    // "&Add File(s) to Library": the current scan row when fewer than two are
    // selected, else each selected row in turn; an entry the library took
    // (or whose duplicate the operator let go) leaves the scan list. An error
    // stops the loop; what was imported stays.
    void ImportScanEntries(const std::vector<Bookmark>& selected);
    // "&Remove File(s)": without asking.
    void RemoveScanEntries(const std::vector<Bookmark>& selected);
    // "&Remove from Audio Library": asks first; only the rows go, never the files.
    void RemoveTitles(const std::vector<Bookmark>& selected);
    // "&Upload Audio File": one file from the file dialog into the library;
    // the scan list stays as it is.
    void UploadAudioFile();
    // "&Play Selected" on the scan list, or a double-click there.
    void PlayScanEntry();
    // "&Play Selected" on the library (not while on air) and the library's
    // double-click; `fromMenu` tells which.
    enum class PlayFrom { Menu, DoubleClick };
    void PlayTitle(PlayFrom from);
    // Closing the window: a title being edited is posted.
    void Close();

    // The dialog for single files.
    static FileDialogRequest UploadDialog();

private:
    void ImportCurrentScanRow();
    // AddFileToLibrary, and the hook for a file the library took.
    bool AddFile(const std::string& path);
    void DeleteRows(Table& table, const std::vector<Bookmark>& selected);

    TdmQelData& data_;
    AudioFileFacts& facts_;
    Seams seams_;
    Hooks hooks_;
};

} // namespace corvane
