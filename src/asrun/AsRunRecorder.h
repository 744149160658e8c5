#pragma once

#include "asrun/AsRunRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class AsRunJournal;
class Clock;

// The parts of the air that each carry one item at a time: the schedule's
// music ports, the cart wall's port and the commercial breaks' port.
enum class AsRunChannel { Schedule, Cart, Break };

// Turns what the output plays into the as-run log's records: an item's start
// line when it is heard, its end line when it leaves the air.
//
// Times come in on the output's own time line (ms since the output's last
// start: what it has written and what of that has been heard), so a record
// names what the listener heard, not when a deck was opened. An item begun at
// time line `fromMs` is written once the output has been heard that far;
// its wall-clock time is the clock's now less what has been heard since.
// Main thread; Qt-free.
class AsRunRecorder {
public:
    AsRunRecorder(AsRunJournal& journal, const Clock& clock);

    // `record` is heard from `fromMs` on. The item before on its channel
    // ends there, as it was told to leave (played out when nothing told);
    // an item of a break also ends the schedule's item, cut by the break.
    void Begin(AsRunChannel channel, AsRunRecord record, int64_t fromMs);
    // The channel's item ends at `atMs` (as heard) with `how`.
    void End(AsRunChannel channel, EndedBy how, const std::string& reason, int64_t atMs);
    // The item heard on the channel now is being ended by `how` (an operator's
    // fade, a skip): its end, when it comes, is recorded so.
    void Leaving(AsRunChannel channel, EndedBy how);
    // The output's time line has been heard up to `heardMs`, now.
    void Heard(int64_t heardMs);
    // The output stopped: what is on air ends now, and the time line starts
    // afresh; items begun but never heard are not records.
    void OutputStopped();

    // A record written whole now (an item that failed to play).
    void WriteWhole(AsRunRecord record);
    // A record opened now and ended later by its id (a silence on air).
    std::string Open(AsRunRecord record);
    void Close(const std::string& id, TDateTime end, EndedBy how, const std::string& reason);

private:
    struct OnAir {
        std::string id;
        std::string day;
        // Where the item ends by its length on the time line (none: unknown).
        std::optional<int64_t> lengthEndMs;
        EndedBy leaving = EndedBy::PlayedOut;
    };
    struct Change {
        AsRunChannel channel;
        int64_t atMs;
        std::optional<AsRunRecord> begin;
        EndedBy how = EndedBy::PlayedOut;
        std::string reason;
    };
    TDateTime WallTime(int64_t atMs) const;
    void EndOnAir(AsRunChannel channel, TDateTime end, std::optional<EndedBy> how, const std::string& reason);
    // Items whose length has been heard in full by `heardMs` end there.
    void EndPlayedOut(int64_t upToMs);
    std::string NextId();
    std::optional<OnAir>& Slot(AsRunChannel channel) { return onAir_[static_cast<size_t>(channel)]; }

    AsRunJournal& journal_;
    const Clock& clock_;
    std::string session_;
    int64_t count_ = 0;
    // The wall clock and the time line heard, taken together at Heard.
    TDateTime nowDays_ = 0;
    int64_t heardMs_ = 0;
    std::array<std::optional<OnAir>, 3> onAir_;
    std::vector<Change> waiting_;
    // The day file of each record opened with Open.
    std::vector<std::pair<std::string, std::string>> openDays_;
};

} // namespace corvane
