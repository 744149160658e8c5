#pragma once

#include "commercials/CommercialListNames.h"
#include "platform/Clock.h"
#include "playout/PlayoutPorts.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

class Table;
class TdmQelData;
struct CorvaneSettings;

// Which rows of a loaded commercial list are shown: every break, or only the
// rows of the next one.
enum class ListRows { AllBreaks, NextBreakOnly };

// What the commercial breaks show in the console window. Each is optional.
struct CommercialsView {
    // The trip button's caption: "F8: Stop Commercial" while a break runs.
    std::function<void(bool active)> ShowBreakActive;
    // The entry of the list-folder listing that is now the current list.
    std::function<void(const std::string& entry)> ShowCurrentList;
    // Hold (true) or resume (false) the commercial grid's repainting.
    std::function<void(bool hold)> HoldGrid;
    // The next break's time "hh:nn" (empty: none), for the countdown.
    std::function<void(const std::string& time)> ShowNextBreakTime;
    // The long day name in the operator's language; English when empty.
    DayNameSource LongDayName;
};

// The console's commercial breaks, Qt-free: the listing of the commercial
// list folder and its current list, the list in use (cdsVantorAdList) with
// the time of its next break, and the break itself: the item on air fades
// out, the break's commercials play one after another on the commercial port
// (mixer port 3), and the schedule resumes after the interrupted item.
//
// Main thread. The mixer's port-close events reach CommercialPortClosed from
// inside the output's buffer processing while a break runs; a spot being
// loaded here closes the port on purpose, and that close is not a spot's end.
//
// No dead air: a spot whose file is missing or cannot be decoded is skipped
// with an archive line, and a break with nothing playable left ends at once
// and resumes the schedule. A break tripped with no break left in the list
// leaves the music alone.
class CommercialBreaks {
public:
    static constexpr int CommercialPort = PlayoutPorts::CommercialPort;
    // "Stop Commercial Break and Resume" fades the spot on air over this (ms).
    static constexpr int StopFadeMs = 500;

    CommercialBreaks(PlayoutPorts& playout, TdmQelData& data, const CorvaneSettings& settings,
                     const Clock& clock, CommercialsView view = {});

    // --- The list folder ---
    // The folder the "Commercials" page lists (the program folder's "ads").
    void SetListFolder(std::filesystem::path folder) { listFolder_ = std::move(folder); }
    const std::filesystem::path& ListFolder() const { return listFolder_; }
    // The ".ads" files of the folder by name, in the order the page lists them.
    std::vector<std::string> ListEntries() const;
    // The current list as a full path; empty when none.
    const std::string& CurrentList() const { return currentList_; }
    // The operator made an entry current (selection or double-click): it is
    // loaded when its file exists.
    void SelectList(const std::string& entry);
    // Today's list becomes current (by date, else by day name, else the last
    // entry) when commercials are picked automatically; false when none was.
    bool SelectTodaysCommercialList();
    // Start-up: selects today's list and, when one was selected, loads it.
    void SelectAndLoadTodaysList();
    // "&Refresh Commercials": reloads the current list, when its file exists.
    void ReloadCurrentList();
    // "View Next Commercial Only": toggles the check and reloads.
    void ToggleNextOnly();
    bool NextOnly() const { return nextOnly_; }

    // --- The list in use ---
    // Loads a list file into cdsVantorAdList and finds the next break: the
    // first BOOK_TIME at or after the current minute, compared as text.
    // The cursor stays on its first row (past the last when there is none).
    void LoadCommercialList(const std::string& path, ListRows rows);
    const std::string& NextBreakTime() const { return FNextBreakTime; }

    // --- Breaks ---
    // F8 and the Live Assist button: trips the next break, or ends the one on air.
    void TripCommercial();
    // Trips the next break, fading the item on air over `fadeMs`, or over the
    // settings' FadeOutCommercial ("Rapid Fade to Next Commercial").
    void StartCommercialBreak(int fadeMs);
    void StartCommercialBreak();
    // Puts one file on the commercial port and starts it, with its "Start
    // Playout Event" in the archive log; off air it plays on its own. False
    // when the file is missing or cannot be decoded.
    bool PlayCommercial(const std::string& path);
    // "&Play Selected Item": the current row's file, when it exists.
    void PlaySelectedItem();
    // Ends the break early: the spot on air fades out, the rest are skipped.
    void actStopCommercialResume();
    // The break's flag on the playout engine and the trip button's caption.
    void SetBreakActive(bool active);
    // A mixer port closed while the break runs.
    void CommercialPortClosed(int port);
    int ResumeItem() const { return FResumeItem; }

private:
    Table& List();
    ListRows CheckedRows() const { return nextOnly_ ? ListRows::NextBreakOnly : ListRows::AllBreaks; }
    bool CurrentListExists() const;
    void MakeCurrent(const std::string& entry);
    // Plays the spot under the cursor, skipping the unplayable ones; ends the
    // break when none is left.
    void PlayFromCursor();
    void EndBreak();

    PlayoutPorts& playout_;
    TdmQelData& data_;
    const CorvaneSettings& settings_;
    const Clock& clock_;
    CommercialsView view_;
    std::filesystem::path listFolder_;
    std::string currentList_;
    bool nextOnly_ = false;
    std::string FNextBreakTime;
    int FResumeItem = 0;
    // A spot is being put on the commercial port: its own port close is not a spot's end.
    bool loadingSpot_ = false;
};

} // namespace corvane
