#pragma once

#include "platform/DateTime.h"

#include <optional>
#include <string>

namespace corvane {

// What a record of the as-run log is about: an item heard on air, or a
// silence on air the station's detector raised an alarm for.
enum class AsRunKind { Item, Silence };

// Where an item heard came from.
enum class AsRunSource { Schedule, Break, Cart, Event };

// How an item left the air. Unknown: its end was never written (the
// program ended while it was on air). AirBack: a silence ended with the air
// coming back.
enum class EndedBy { PlayedOut, Faded, Skipped, CutByBreak, Stopped, Failed, AirBack, Unknown };

// The title an item played, as the library and the schedule row name it.
struct AsRunTitle {
    std::string titleId;
    std::string title;
    std::string artist;
    std::string album;
    std::string composer;
    std::string label;
    std::string year;
    std::string category;
    std::string file;
    int durationMs = 0;
};

// One record of the as-run log. Times are local wall-clock date-times to the
// millisecond, taken from the output's time line (what was heard).
struct AsRunRecord {
    AsRunKind kind = AsRunKind::Item;
    // Pairs the record's start line with its end line in the day's file.
    std::string id;
    AsRunSource source = AsRunSource::Schedule;
    // The schedule row's ItemPlayOrder (0: not from the schedule).
    int playOrder = 0;
    // The break time, the cart's rack and button, or the event: free text.
    std::string sourceDetail;
    std::optional<TDateTime> scheduledStart;
    TDateTime actualStart = 0;
    std::optional<TDateTime> actualEnd;
    // Silence only: when the alarm was raised.
    std::optional<TDateTime> raised;
    EndedBy endedBy = EndedBy::Unknown;
    // Why it failed, or what else the end needs said.
    std::string reason;
    AsRunTitle title;
};

std::string KindText(AsRunKind kind);
std::string SourceText(AsRunSource source);
std::string EndedByText(EndedBy endedBy);
std::optional<AsRunKind> KindFromText(const std::string& text);
std::optional<AsRunSource> SourceFromText(const std::string& text);
std::optional<EndedBy> EndedByFromText(const std::string& text);

} // namespace corvane
