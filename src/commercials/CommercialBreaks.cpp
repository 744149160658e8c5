#include "commercials/CommercialBreaks.h"

#include "audio/chain/EMMError.h"
#include "data/TdmQelData.h"
#include "platform/FlagScope.h"
#include "playout/PlayoutPorts.h"
#include "settings/CorvaneSettings.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr const char* AudioErrorText = "MM Audio Error - Possibly Corrupt File Header";

bool IsFile(const std::filesystem::path& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_regular_file(path, ignored);
}

// Holds the grid's repainting for the length of a load, also when it fails.
class GridHold {
public:
    explicit GridHold(const CommercialsView& view) : view_(view) {
        if (view_.HoldGrid)
            view_.HoldGrid(true);
    }
    ~GridHold() {
        if (view_.HoldGrid)
            view_.HoldGrid(false);
    }
    GridHold(const GridHold&) = delete;
    GridHold& operator=(const GridHold&) = delete;

private:
    const CommercialsView& view_;
};

} // namespace

CommercialBreaks::CommercialBreaks(PlayoutPorts& playout, TdmQelData& data, const CorvaneSettings& settings,
                                   const Clock& clock, CommercialsView view)
    : playout_(playout), data_(data), settings_(settings), clock_(clock), view_(std::move(view)) {}

Table& CommercialBreaks::List() {
    return data_.cdsVantorAdList;
}

// --- The list folder ----------------------------------------------------------

std::vector<std::string> CommercialBreaks::ListEntries() const {
    std::vector<std::string> entries;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(listFolder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        if (IsFile(path) && SameTextIgnoringCase(path.extension().string(), CommercialListExtension))
            entries.push_back(path.filename().string());
    }
    std::sort(entries.begin(), entries.end(), NameBefore);
    return entries;
}

bool CommercialBreaks::CurrentListExists() const {
    return IsFile(currentList_);
}

void CommercialBreaks::MakeCurrent(const std::string& entry) {
    currentList_ = (listFolder_ / entry).string();
    if (view_.ShowCurrentList)
        view_.ShowCurrentList(entry);
}

void CommercialBreaks::SelectList(const std::string& entry) {
    if (entry.empty())
        return;
    MakeCurrent(entry);
    ReloadCurrentList();
}

bool CommercialBreaks::SelectTodaysCommercialList() {
    if (!settings_.AutoGetCommercials)
        return false;
    const std::vector<std::string> entries = ListEntries();
    const std::optional<size_t> today = TodaysListEntry(entries, clock_.Now(), view_.LongDayName);
    if (!today)
        return false;
    MakeCurrent(entries[*today]);
    return true;
}

void CommercialBreaks::SelectAndLoadTodaysList() {
    if (SelectTodaysCommercialList())
        ReloadCurrentList();
}

void CommercialBreaks::ReloadCurrentList() {
    if (CurrentListExists())
        LoadCommercialList(currentList_, CheckedRows());
}

void CommercialBreaks::ToggleNextOnly() {
    nextOnly_ = !nextOnly_;
    ReloadCurrentList();
}

// --- The list in use ------------------------------------------------------------

void CommercialBreaks::LoadCommercialList(const std::string& path, ListRows rows) {
    GridHold hold(view_);
    Table& list = List();
    if (!list.Active())
        list.CreateDataSet();
    list.LoadFromFile(path);
    const std::string now = TimeOfDayText(clock_.Now());
    FNextBreakTime.clear();
    list.SetFiltered(false);
    list.First();
    // Plain text order: "  :  " placeholders sort before every time and are
    // never the next break; a time written "9:30" sorts after "10:00".
    for (; !list.Eof(); list.Next()) {
        const std::string time = list.FieldByName("BOOK_TIME").AsString();
        if (time >= now) {
            FNextBreakTime = time;
            break;
        }
    }
    if (rows == ListRows::NextBreakOnly) {
        std::string quoted;
        for (char c : FNextBreakTime)
            quoted += c == '\'' ? std::string("''") : std::string(1, c);
        list.SetFilter("book_time='" + quoted + "'");
        list.SetFiltered(true);
        list.First();
    }
    if (view_.ShowNextBreakTime)
        view_.ShowNextBreakTime(FNextBreakTime);
}

// --- Breaks -------------------------------------------------------------------------

void CommercialBreaks::SetBreakActive(bool active) {
    playout_.SetCommercialBreak(active);
    if (view_.ShowBreakActive)
        view_.ShowBreakActive(active);
}

void CommercialBreaks::TripCommercial() {
    if (playout_.CommercialBreak())
        actStopCommercialResume();
    else
        StartCommercialBreak(settings_.FadeOutCommercial);
}

void CommercialBreaks::StartCommercialBreak() {
    StartCommercialBreak(settings_.FadeOutCommercial);
}

void CommercialBreaks::StartCommercialBreak(int fadeMs) {
    Table& list = List();
    if (!list.Active()) {
        if (ListEntries().empty())
            return;
        SelectTodaysCommercialList();
    }
    // The break is found before anything is faded: with no break left in the
    // list the music plays on.
    if (CurrentListExists())
        LoadCommercialList(currentList_, ListRows::NextBreakOnly);
    if (!list.Active() || list.Eof()) {
        ReloadCurrentList();
        return;
    }
    FResumeItem = playout_.CurrentItem();
    SetBreakActive(true);
    playout_.FadeOutOnAir(fadeMs);
    PlayFromCursor();
}

bool CommercialBreaks::PlayCommercial(const std::string& path) {
    const bool direct = !playout_.OnAir();
    playout_.SetDirectCommercialPlayout(direct);
    if (direct)
        playout_.ResetPlayout();
    FlagScope loading(loadingSpot_);
    playout_.HoldPort(CommercialPort, true);
    try {
        // A missing file leaves the deck empty; the port stays held, so no
        // close of an empty port is waited for.
        if (!playout_.LoadPort(CommercialPort, path))
            return false;
    } catch (const EMMError&) {
        return false;
    }
    playout_.HoldPort(CommercialPort, false);
    if (direct) {
        playout_.StopOutput();
        playout_.StartOutput();
    }
    // The archive log names the spots that aired as it names music.
    playout_.WriteArchiveLine(path, "Start Playout Event");
    return true;
}

void CommercialBreaks::PlaySelectedItem() {
    Table& list = List();
    if (!list.Active() || list.Eof())
        return;
    const std::string path = list.FieldByName("NetworkPathToFile").AsString();
    if (IsFile(path) && !PlayCommercial(path))
        playout_.WriteArchiveLine(path, AudioErrorText);
}

void CommercialBreaks::PlayFromCursor() {
    Table& list = List();
    for (; list.Active() && !list.Eof(); list.Next()) {
        const std::string path = list.FieldByName("NetworkPathToFile").AsString();
        if (PlayCommercial(path))
            return;
        playout_.WriteArchiveLine(path, AudioErrorText);
    }
    if (playout_.CommercialBreak())
        EndBreak();
}

void CommercialBreaks::actStopCommercialResume() {
    if (!playout_.CommercialBreak())
        return;
    Table& list = List();
    if (list.Active()) {
        list.Last();
        list.Next();
    }
    if (playout_.PortDone(CommercialPort)) {
        EndBreak();
        return;
    }
    playout_.FadeOutPort(CommercialPort, StopFadeMs);
}

void CommercialBreaks::CommercialPortClosed(int) {
    if (loadingSpot_ || !playout_.CommercialBreak() || !playout_.PortDone(CommercialPort))
        return;
    Table& list = List();
    if (list.Active())
        list.Next();
    PlayFromCursor();
}

void CommercialBreaks::EndBreak() {
    SetBreakActive(false);
    // The list shows again as the operator asked, on the following break.
    ReloadCurrentList();
    if (FResumeItem <= 0)
        return;
    data_.cdsSchedule.Locate("ItemPlayOrder", int64_t{FResumeItem});
    playout_.AdvanceSchedule();
}

} // namespace corvane
