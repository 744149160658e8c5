#pragma once

#include "data/ExceptionLogWriter.h"
#include "data/Table.h"
#include "platform/Clock.h"
#include "platform/ExceptionGuard.h"
#include "platform/FileDialogs.h"
#include "platform/Prompter.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The data module: owns every table of the console for the whole run, their
// files in the program folder, the rules attached to them and the small
// operations several parts of the console share. Creating it installs
// LogException as the process-wide exception handler and creates the
// "PlayLists" and "Ads/Updates" folders. Main thread only.
class TdmQelData {
public:
    // `applicationFolder` is the folder of the program (no trailing
    // separator); `programFileName` is the program's file name without folder,
    // as the exception log names it.
    TdmQelData(std::string applicationFolder, std::string programFileName, Clock& clock, Prompter& prompter,
               FileDialogs& fileDialogs);
    // Closes every table: each open table with a file writes itself to it.
    ~TdmQelData();
    TdmQelData(const TdmQelData&) = delete;
    TdmQelData& operator=(const TdmQelData&) = delete;

    // The file names of the file-backed tables, in the application folder.
    static constexpr const char* AudioLibraryFile = "AudioLibrary.cds";
    static constexpr const char* FileScanFile = "filescan.cds";
    static constexpr const char* PlayListHistoryFile = "plhist.cds";
    static constexpr const char* AdTimesFile = "adtimes.cds";
    static constexpr const char* CommercialHistoryFile = "adhist.cds";
    static constexpr const char* EventLogFile = "eventlog.cds";
    static constexpr const char* RackListFile = "racklist.cds";
    static constexpr const char* ExceptionLogFile = "zrexcept.log";
    // The rack manager sets cdsRackList.Tag to this around its own append, so
    // that the new-row rule does not ask for the rack file.
    static constexpr int RackListFileSupplied = 1;

    const std::string& ApplicationFolder() const { return applicationFolder_; }
    // `fileName` in the application folder.
    std::string ApplicationPath(std::string_view fileName) const;
    Clock& clock() { return clock_; }
    Prompter& prompter() { return prompter_; }
    FileDialogs& fileDialogs() { return fileDialogs_; }
    // The file-open dialog for rack files.
    FileDialogRequest RackFileDialog() const;

    // --- The tables ---
    Table cdsAudioLibrary;
    Table cdsSchedule;
    Table ClipSchedule;
    Table cdsCloneSchedule;
    Table cdsFileScan;
    Table cdsPlayList;
    Table PlayListHistory;
    Table cdsAdTimes;
    Table cdsVantorAdList;
    Table cdsAdList;
    Table CommercialHistory;
    Table EventLog;
    Table cdsRackList;
    Table cdsFileList;
    Table cdsAudioRack;
    Table cdsAudioRackDisplay;

    // Where new titles get their TitleID when the library is shared: the
    // server hands them out, so two consoles never give the same one. It
    // raises when no number can be had (the new title is then not started).
    // Empty: one more than the largest present.
    std::function<int64_t()> NewTitleId;

    // --- Run-time values ---
    int StartTitleCount = 0;
    int ScheduleRowCounter = 0;
    // The schedule's total length, summed in ms so that the fractions of a
    // second of each row add up (TitleDurationInteger is rounded per row).
    int64_t ScheduleTotalMs = 0;

    // Start-up's opening of the tables: the schedule is created empty with
    // its index ixItemOrder; each file-backed table loads its file or starts
    // empty. A file that cannot be read is reported (ETableFileError, after
    // every other table is open) and its table starts empty and never
    // writes over that file.
    void OpenTables();

    // --- Operations ---
    void SaveAllTables();
    void SaveTableIfChanged(Table& table);
    // The tables SaveAllTables writes, in its order.
    std::vector<Table*> SavedTables();
    // The library holds fewer titles than at the start of the session: only
    // the operator's own save, with its warning, may write it.
    bool LibraryShrank() const { return cdsAudioLibrary.StoredRowCount() < StartTitleCount; }
    bool MarkTitlePlayed(int titleId);
    void MarkScheduleItemBad();
    // cdsPlayList loaded from the file, or nullptr when loading failed.
    // `reason`, when given, receives what is wrong with the file.
    Table* LoadPlayListFile(const std::string& path, std::string* reason = nullptr);
    // Appends one line for the error to "zrexcept.log"; never throws. EAbort,
    // the silent withdrawal of an operation, is not logged.
    void LogException(std::string_view sender, std::exception_ptr error) noexcept;

    // --- The rules attached to the tables ---
    void cdsScheduleNewRecord(Table& table);
    void cdsScheduleBeforePost(Table& table);
    void cdsScheduleBeforeDelete(Table& table);
    void cdsScheduleAfterDelete(Table& table);
    void cdsScheduleBeforeOpenOrClose(Table& table);
    void cdsScheduleAfterOpen(Table& table);
    void cdsScheduleAfterClose(Table& table);
    void cdsAudioLibraryAfterOpen(Table& table);
    // A new title: TitleID one more than the largest present (1 in an empty
    // library) or from NewTitleId, UploadDate now, Status "Ok", TimesPlayed 0, UploadUser "Default".
    void cdsAudioLibraryNewRecord(Table& table);
    void cdsRackListNewRecord(Table& table);
    void EventLogNewRecord(Table& table);
    void cdsAdListBeforePost(Table& table);
    void AdListCalcFields(Table& table);

private:
    void AttachRules();
    void OpenFileTable(Table& table, std::vector<std::string>& failures);

    std::string applicationFolder_;
    std::string programFileName_;
    Clock& clock_;
    Prompter& prompter_;
    FileDialogs& fileDialogs_;
    ExceptionHandler previousHandler_;
    // The operator refused to save a shrunken library: it must not be written
    // when it closes either.
    bool libraryWriteWithheld_ = false;
    // Tables whose file could not be read: they never write over it.
    std::vector<Table*> loadFailed_;
    ExceptionLogWriter exceptionLog_;
};

// The one data module of the running program (set while it exists).
extern TdmQelData* dmQelData;

// A schedule row's length in ms: its TitleDuration, else its whole seconds.
int64_t ScheduleRowMs(Table& row);

} // namespace corvane
