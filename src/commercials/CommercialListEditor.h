#pragma once

#include "data/facts/AudioFileFacts.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/FileDialogs.h"
#include "platform/Prompter.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class Table;
class TdmQelData;

// What the editor's rules show in its window. Each is optional.
struct CommercialListEditorView {
    // The window's caption.
    std::function<void(const std::string& caption)> SetCaption;
    // The busy cursor and the grid's repainting, held (true) during a long step.
    std::function<void(bool busy)> SetBusy;
    // Lets waiting window messages run between the files of a long step, so
    // the output keeps its queue filled.
    std::function<void()> ProcessPendingMessages;
};

// The rules of the commercials editor ("Setup Commercials"), Qt-free: the
// commercial list being edited (cdsAdList), its default per-date name, New,
// Open and Save with the history of saved lists (CommercialHistory), files
// dropped on it, the import of an ini file and the question on closing.
// Main thread.
class CommercialListEditor {
public:
    static constexpr size_t HistoryLength = 15;
    // Dropped rows wait for the operator to type their break time.
    static constexpr const char* TimePlaceholder = "  :  ";

    CommercialListEditor(TdmQelData& data, const Clock& clock, Prompter& prompter, FileDialogs& fileDialogs,
                         std::filesystem::path listFolder, CommercialListEditorView view = {});

    // Opening the editor: an empty list unless one is open, today's default
    // name, and the list file (when given) loaded at once.
    void Show(const std::string& listFile);

    // --- Actions ---
    void actNew();
    void actOpen();
    void actSave();
    // False when the editor must stay open (the operator cancelled, or the
    // list he wanted saved was not). Closes cdsAdList otherwise.
    bool CloseQuery();
    // Closing without a question (the program ends on a termination signal,
    // nobody may be there to answer): an unsaved list is kept as
    // "Unsaved yyyymmdd-hhnnss.ads" in the list folder, never thrown away, and
    // its path returned; cdsAdList is closed either way.
    std::optional<std::string> CloseKeepingUnsaved();

    // --- Editing ---
    // The date picker: the default name becomes that day's "yyyymmdd.ads".
    void SetDate(TDateTime date);
    const std::string& DefaultFileName() const { return fileNameBox_; }
    // A cell edit was completed.
    void CellEdited() { ListModified = true; }
    // Files dropped on the editor: the ".wav" and ".mp3" ones become rows.
    void DropFiles(const std::vector<std::string>& paths);
    // Appends a row for the file; false when the table refused it.
    bool AddCommercialItem(const std::string& breakTime, const std::string& path);
    // Appends the rows an ini file names: one section per break ("hh:nn
    // details"), one key per file or wildcard pattern.
    void ImportCommercialIni(const std::string& path);
    // "Ini File": "ads.ini" from the program folder when it is there, else
    // the file the operator picks.
    void ImportCommercialIniFile(const std::filesystem::path& programFolder);
    // The "Filename" ellipsis: the audio file the operator picks.
    std::optional<std::string> ChooseAudioFile();

    // --- State ---
    bool ListModified = false;
    std::string PendingListFile;
    const std::vector<std::string>& History() const { return history_; }
    void LoadCommercialHistory();
    const std::filesystem::path& ListFolder() const { return listFolder_; }

private:
    Table& List();
    void LoadList(const std::string& path);
    // Runs `work` with the busy cursor and the grid held, also when it fails.
    template <typename Work> void Busy(Work&& work);

    TdmQelData& data_;
    const Clock& clock_;
    Prompter& prompter_;
    FileDialogs& fileDialogs_;
    std::filesystem::path listFolder_;
    CommercialListEditorView view_;
    AudioFileFacts facts_;
    std::string fileNameBox_;
    std::vector<std::string> history_;
};

} // namespace corvane
