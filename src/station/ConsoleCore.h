#pragma once

#include "platform/Seams.h"
#include "settings/CorvaneSettings.h"
#include "station/ConsoleParts.h"
#include "station/PropertiesValues.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TableAutosave;

class ConsoleView;
class Table;
class TdmQelData;

// How a station runs: as the console, on air; or offline (the renderer),
// where it reads its data folder but saves nothing into it (playout's archive
// log still gets a line for each item it plays), keeps no session, runs no
// events, selects no commercial list and asks nobody.
enum class StationMode { Console, Offline };

// Which menu the tray icon offers on a right click.
enum class TrayMenu { Tray, SchedulePopup };

// The console's life from creation to close, Qt-free: what it loads when it
// is created and first shown, the start-up stages and their messages, the
// settings and the Properties dialog's rules, hiding to the tray, and what is
// saved when it closes. The station owns it and hands it the other parts'
// steps (ConsoleParts) and its view (ConsoleView). Everything runs on the main thread.
class ConsoleCore {
public:
    ConsoleCore(Seams seams, TdmQelData& data, ConsoleView& view, std::filesystem::path programFolder,
                ConsoleParts& parts);
    ~ConsoleCore();
    ConsoleCore(const ConsoleCore&) = delete;
    ConsoleCore& operator=(const ConsoleCore&) = delete;

    // --- Life ---
    // Opens the tables, reads the settings and starts what runs from them.
    // Offline a table or settings file that cannot be read is an error
    // (thrown), not a message.
    void FormCreate(StationMode mode = StationMode::Console);
    // Every time the console becomes visible.
    void FormShow();
    // Every way of closing; stops, saves and never refuses (always true).
    // Offline it only stops the output: nothing is written.
    bool FormCloseQuery();
    void FormDestroy();

    // --- Settings ---
    void LoadSettings();
    // Writes every key; a failure propagates (EIniFileError).
    void SaveSettings();
    const CorvaneSettings& Settings() const { return settings_; }
    // For the commands that change a setting in memory (last schedule, play-list
    // folder, welcome done); only SaveSettings writes the file.
    CorvaneSettings& MutableSettings() { return settings_; }
    std::filesystem::path SettingsPath() const;

    // The Properties dialog: what it opens with, and "&Ok" in the order the
    // values take effect, ending with SaveSettings.
    PropertiesValues PropertiesShown() const;
    void ApplyProperties(const PropertiesValues& values);

    // Stores the rack file and has the audio rack load it when it exists.
    void LoadRack(const std::string& path);
    const std::string& CurrentRackFile() const { return FCurrentRackFile; }
    // Shows or hides the clock panel and runs or stops its timer.
    void SetDisplayClock(bool on);

    // --- Tray ---
    // "Minimize Corvane": the window hides (the caller hides it) and the tray
    // offers its own menu again.
    void MinimizeToTray();
    // "&Open Corvane" or a double-click on the tray icon.
    void OpenFromTray();
    TrayMenu CurrentTrayMenu() const { return trayMenu_; }

    // --- Displays ---
    // 0 "Design", 2 "Automatic" in status panel 1.
    void SetOperatingMode(int mode);
    void ShowTotalDuration(double seconds);

    // --- State ---
    const std::filesystem::path& ProgramFolder() const { return programFolder_; }
    const std::string& HelpFile() const { return helpFile_; }
    const std::string& ScheduleDialogFolder() const { return scheduleDialogFolder_; }
    const std::vector<std::string>& RackFiles() const { return FRackFiles; }
    bool FirstShow() const { return FFirstShow; }
    bool Closing() const { return FClosing; }
    bool Stopping() const { return FStopping; }
    int CurrentPort() const { return FCurrentPort; }
    Timer& ClockTimer() { return *tmrClock; }
    // Every AutosaveIntervalMs while the console runs: the tables changed
    // since their last write and corvane.ini when the settings changed are
    // written, so that an unclean end loses seconds, not the session.
    static constexpr int AutosaveIntervalMs = 5000;
    // Beside the program while it runs: the schedule's rows (it has no table
    // file of its own) and the session file with the item on air and its
    // position. A session file found at start-up means the last run ended
    // uncleanly; the automatic load then takes the recovery copy, and an
    // automatic start goes on with the item that was on air.
    static constexpr const char* RecoveryScheduleFile = "Schedule.recovery";
    static constexpr const char* SessionFile = "corvane.session";
    bool RecoveringFromUncleanExit() const { return uncleanExit_; }
    void Autosave();
    // Waits until the table writes handed over by Autosave are done.
    void FinishAutosave();
    Timer& AutosaveTimer() { return *tmrAutosave_; }
    Timer& EventTimer() { return *EventTimer_; }

private:
    void OpenScheduleTable();
    void StartOffline();
    void RunTableBlock(int& stage);
    void RunEventBlock();
    void LoadRackFromRackList();
    void LoadRackAtStart(const std::string& path);
    void ShowStageError(int stage);
    void Inform(const std::string& text, MessageType type = MessageType::Information);
    void OpenOrCreate(Table& table);
    bool OpenAtStart(Table& table, MessageType type = MessageType::Error);
    bool FileExists(const std::string& path) const;
    // The settings as SaveSettings writes them (with what the window holds).
    CorvaneSettings SettingsToSave() const;

    Seams seams_;
    TdmQelData& data_;
    ConsoleView& view_;
    std::filesystem::path programFolder_;
    ConsoleParts& parts_;
    StationMode mode_ = StationMode::Console;
    CorvaneSettings settings_;
    TrayMenu trayMenu_ = TrayMenu::Tray;

    std::string helpFile_;
    std::string scheduleDialogFolder_;
    std::vector<std::string> FRackFiles;
    std::string FCurrentRackFile;
    bool FFirstShow = false;
    bool FDirectJinglePlayout = false;
    bool FDirectCommercialPlayout = false;
    bool FPlayRequest = false;
    bool FTransportBusy = false;
    bool FClosing = false;
    // corvane.ini is there but could not be read: it is never written over.
    bool settingsUnreadable_ = false;
    bool FStopping = false;
    int FCurrentPort = 0;

    std::unique_ptr<Timer> tmrClock;
    std::unique_ptr<Timer> EventTimer_;
    std::unique_ptr<Timer> tmrAutosave_;
    std::unique_ptr<TableAutosave> autosave_;
    // What corvane.ini holds as far as this run knows.
    CorvaneSettings savedSettings_;
    bool uncleanExit_ = false;
    std::pair<int, int> recoveredPlace_{0, 0};
    std::string sessionText_;
    void StartSession();
    void WriteSession();
    void EndSession();
};

} // namespace corvane
