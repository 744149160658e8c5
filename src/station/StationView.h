#pragma once

#include "broadcast/IcecastStream.h"
#include "platform/DateTime.h"
#include "playlists/ScheduleView.h"
#include "playout/PlayoutCommands.h"
#include "station/ConsoleView.h"

#include <cstdint>
#include <string>

namespace corvane {

// What the station's parts show and ask of whoever watches them: the console
// window, or nothing at all (HeadlessStationView) when the station runs
// offline. The station calls it for every part, so a part never reaches a
// widget and a window never builds a part. Main thread.
class StationView : public ConsoleView, public ScheduleView {
public:
    // --- Playout's displays ---
    // The on-air command table (menus, buttons, operating mode).
    virtual void ApplyPlayoutCommands(const PlayoutCommands& commands) = 0;
    // An item on air is heard now: its title, file and length (ms).
    virtual void ShowItemHeard(const std::string& title, const std::string& file, int lengthMs) = 0;
    // No item heard: the item display and the gauge are cleared.
    virtual void ClearItemHeard() = 0;
    // Remaining time of the item heard (ms) and the progress gauge (0..100).
    virtual void ShowRemaining(int remainingMs) = 0;
    virtual void ShowGauge(int percent) = 0;
    // The label "Delayed Pause".
    virtual void ShowDelayedPause(bool visible) = 0;
    // Hold (true) or resume (false) the schedule grid's repainting; repaint it
    // with the rows of the item on air and the next item (play orders; the
    // row on air by its bookmark, 0 when not known).
    virtual void HoldGridRepaint(bool hold) = 0;
    virtual void RepaintGrid(int currentItem, int nextItem, uint64_t currentRow) = 0;
    // The busy cursor on (true) or off.
    virtual void SetBusy(bool busy) = 0;
    // Every buffer the output has played (16-bit PCM bytes), on the main thread.
    virtual void BufferPlayed(const uint8_t* data, uint32_t bytes) = 0;

    // --- Commercials ---
    // The trip button's caption: "F8: Stop Commercial" while a break runs.
    virtual void ShowBreakActive(bool active) = 0;
    // The entry of the list folder's listing that is now the current list
    // (ShowCommercialFolder lists the folder once the station has taken it).
    virtual void ShowCurrentCommercialList(const std::string& entry) = 0;
    // Hold (true) or resume (false) the commercial grid's repainting.
    virtual void HoldCommercialGrid(bool hold) = 0;
    // The next break's time "hh:nn" (empty: none), for the countdown.
    virtual void ShowNextBreakTime(const std::string& time) = 0;
    // The day's long name in the operator's language.
    virtual std::string LongDayName(TDateTime when) const = 0;

    // --- Audio rack and events ---
    // btnRackUp / btnRackDown enabled.
    virtual void EnableRackButtons(bool up, bool down) = 0;
    // The check of "&Run Scheduled Events".
    virtual void ShowRunScheduledEvents(bool checked) = 0;

    // --- The stream ---
    // The stream indicator: connected, retrying or off.
    virtual void ShowStreamState(StreamState state) = 0;
    // The silence alarm's red light on the status bar: on while the air is
    // silent on air beyond the delay.
    virtual void ShowSilenceAlarm(bool on) = 0;

    // --- Start-up steps the window carries out ---
    // Rebuilds the "&Recent" play-list menu.
    virtual void RefreshRecentPlayLists() = 0;
    // The configuration wizard on its first-run page, modal.
    virtual void ShowFirstRunWizard() = 0;
    // How the audio library stands ("Library: shared", "Library: offline,
    // 3 changes waiting", "Library: local"), for the status bar.
    virtual void ShowLibraryStatus(const std::string& text) = 0;
};

} // namespace corvane
