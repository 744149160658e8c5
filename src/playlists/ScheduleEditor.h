#pragma once

#include "data/Table.h"
#include "platform/Seams.h"
#include "playlists/ScheduleExport.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class AudioFileFacts;
class TdmQelData;

// What the schedule editor needs of the console around it: the station
// implements it, keeping the settings and the on-air commands itself and
// handing what a window shows to its view (ScheduleView). Main thread.
class ScheduleEditorHost {
public:
    virtual ~ScheduleEditorHost() = default;

    // The schedule's total changed: show it (seconds).
    virtual void ShowTotalDuration(int seconds) = 0;
    // Re-run the on-air command table with the current on-air state.
    virtual void RefreshCommands() = 0;
    // The on-air command table after a load from the tool bar (off air).
    virtual void SetOnAirFalse() = 0;
    // Whether "Move &Up" is enabled, and enabling "Move &Up" and "Move Dow&n".
    virtual bool MoveCommandsEnabled() = 0;
    virtual void EnableMoveCommands() = 0;
    // The last schedule file loaded, kept in the settings.
    virtual void SetLastScheduleLocation(const std::string& path) = 0;
    // The schedule grid's selection is spent: clear it.
    virtual void ClearScheduleSelection() = 0;
    // Called between the rows of a long add, so that the sound output's
    // posted work and the window's painting go on (main thread).
    virtual void KeepResponsive() = 0;
    // "Cut"/"&Cut" and "Paste"/"&Paste" availability changed.
    virtual void CutPasteChanged() = 0;
    // Shows (true) or restores (false) the hourglass cursor.
    virtual void SetBusy(bool busy) = 0;
};

// Where a load is started from: only the tool bar refreshes the commands and
// tells the operator why a file did not load; an unattended event asks
// nothing, because what was unsaved has been written aside before.
enum class LoadOrigin { Toolbar, Program, Event };

// The operator's editing of the running schedule (cdsSchedule): adding
// library titles and audio files, moving, cutting and pasting rows, deleting,
// filtering, clearing, schedule files, export and commit. Rows keep their
// place through the fractional ItemPlayOrderAbsolute, computed in single
// precision as the schedule has always stored it; nothing renumbers the whole
// schedule. Main thread.
class ScheduleEditor {
public:
    static constexpr const char* ScheduleFileFilter = "Corvane Schedule File [*.wsl]|*.wsl";

    ScheduleEditor(TdmQelData& data, AudioFileFacts& facts, Seams seams, ScheduleEditorHost& host);

    // --- Schedule files ---
    // Loads `path`, or the file the operator picks when none is given; asks
    // first when the schedule has unsaved changes. Returns whether it loaded.
    // A file that cannot be read leaves the schedule closed and raises; from
    // the tool bar it is reported to the operator with the reason instead.
    bool LoadScheduleFile(std::optional<std::string> path, LoadOrigin origin = LoadOrigin::Program);
    // Asks for a file and writes the whole schedule to it; false when cancelled.
    bool SaveScheduleFile();
    void ClearSchedule();

    // --- Rows ---
    void MoveScheduleRowUp();
    void MoveScheduleRowDown();
    // Cuts the selected rows to ClipSchedule (rows whose file is gone are
    // dropped, not kept).
    void CutScheduleRows(const std::vector<Bookmark>& selected);
    // Pastes ClipSchedule's rows evenly spaced between the current row and the
    // row above it.
    void PasteScheduleRows();
    bool CutEnabled() const { return cutEnabled_; }
    bool PasteEnabled() const { return pasteEnabled_; }
    // "&Delete Selected Item": the current row; errors are ignored.
    void DeleteCurrentRow();

    // --- Adding ---
    // Appends a row to `destination` (its new-row rule runs) holding the
    // current row of `source` in every field both tables have.
    static void CopyRowToTable(Table& source, Table& destination);
    // The selected library rows (or the current one when none is selected)
    // whose file exists. `clearGridSelection` empties the library grid's
    // selection afterwards, also after an error.
    void AddTitlesToSchedule(const std::vector<Bookmark>& selectedLibraryRows,
                             const std::function<void()>& clearGridSelection = {});
    // A file from disk: named after the file, or after its MP3 tag.
    void AddFileToSchedule(const std::string& path);
    // The disk browser's selection: each file of `folder`, in list order.
    void AddFilesFromFolder(const std::string& folder, const std::vector<std::string>& fileNames);
    // Files dropped from the desktop: only ".wav" and ".mp3" (any case).
    // Returns how many were added.
    int AddDroppedFiles(const std::vector<std::string>& paths);

    // --- Filter, export, commit ---
    // F11 in the "&Schedule Filter" box: an invalid expression is ignored and
    // leaves the schedule unfiltered; an empty one shows every row.
    void ApplyScheduleFilter(const std::string& text);
    // The rows in schedule order with the given columns (field name and caption).
    struct Column {
        std::string fieldName;
        std::string caption;
    };
    ExportTable BuildExportTable(const std::vector<Column>& columns);
    // Writes "schedule.htm" or "schedule.xls" into `folder` and opens it with
    // the desktop's program; returns the file written.
    std::string ExportHtml(const std::vector<Column>& columns, const std::string& folder);
    std::string ExportSpreadsheet(const std::vector<Column>& columns, const std::string& folder);
    // "Commit Changes" / "Commit Database".
    void CommitDatabase();

private:
    enum class MoveDirection { Up, Down };
    void MoveScheduleRow(MoveDirection direction);
    void ShowTotal();
    void KeepResponsive();
    void EnableMovingWhenRowsAdded();
    void SetCutPaste(bool cut, bool paste);
    static bool FileExists(const std::string& path);
    void OpenClipSchedule();

    TdmQelData& data_;
    AudioFileFacts& facts_;
    Seams seams_;
    ScheduleEditorHost& host_;
    // The host's busy cursor, as the busy scopes take it.
    std::function<void(bool busy)> setBusy_;
    bool cutEnabled_ = true;
    bool pasteEnabled_ = false;
};

} // namespace corvane
