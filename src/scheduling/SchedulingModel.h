#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// One title of the library as the scheduler sees it. Lengths in seconds;
// `lastPlayed` in seconds relative to midnight at the start of the first day
// generated (negative: before it), or unset.
struct SchedulingTitle {
    int64_t titleId = 0;
    std::string name;
    std::string artist;
    std::string album;
    std::string category;
    std::string tempo;
    int rating = 0;
    std::vector<std::string> codes; // scheduler codes, as written ("Female", "Power")
    int firstHour = 0;              // dayparts: the hours it may start in, [firstHour, endHour)
    int endHour = 24;
    double lengthSeconds = 0;
    bool played = false;
    double lastPlayed = 0;
};

enum class SlotKind { Category, Title, Break, Fill };

// One slot of an hour clock. A category slot may ask for a code, a tempo or a
// rating; a fill slot takes titles of its category until the hour is full.
struct ClockSlot {
    SlotKind kind = SlotKind::Category;
    std::string category;
    std::string code;  // "" for any
    std::string tempo; // "" for any
    int rating = -1;   // -1 for any
    int64_t titleId = 0;
    double breakSeconds = 0;
};

struct HourClock {
    std::string name;
    std::vector<ClockSlot> slots;
    int line = 0; // where the format file defines it, for messages
};

// One line of the week: the days (bit 0 = Sunday … bit 6 = Saturday) and
// the hours [firstHour, endHour) a clock runs in. Later lines win.
struct WeekEntry {
    unsigned days = 0x7f;
    int firstHour = 0;
    int endHour = 24;
    std::string clock;
    int line = 0;
};

struct Week {
    std::string defaultClock;
    int defaultLine = 0;
    std::vector<WeekEntry> entries;
    // The clock of `hour` on `weekday` (0 = Sunday); "" when none is set.
    const std::string& ClockAt(int weekday, int hour) const;
};

// The rules a candidate title is checked against, each named as in the
// format file. The order is the order reports list them in.
enum class RuleId {
    ArtistSeparation,
    ArtistSeparationSongs,
    TitleSeparation,
    AlbumSeparation,
    MinimumRest,
    MaxInARow,
    HorizontalSeparation,
    Dayparts,
};
inline constexpr int RuleCount = 8;
const char* RuleName(RuleId rule);
bool RuleFromName(const std::string& name, RuleId& rule);

// "At most `count` in a row" of titles with a tempo, a code or a rating.
struct MaxInARowRule {
    enum class Attribute { Tempo, Code, Rating } attribute = Attribute::Tempo;
    std::string value;
    int count = 1;
};

struct MinimumRestRule {
    std::string category;
    double hours = 0;
};

struct SchedulingRules {
    double artistSeparationMinutes = 0; // 0: off
    double titleSeparationMinutes = 0;
    double albumSeparationMinutes = 0;
    int artistSeparationSongs = 0; // at least this many other songs between
    std::vector<MinimumRestRule> minimumRest;
    std::vector<MaxInARowRule> maxInARow;
    bool horizontalSeparation = false;
    bool dayparts = true; // a title's own allowed hours; off only when said so
    // Breakable rules, highest priority first; every other rule is unbreakable.
    std::vector<RuleId> breakable;

    bool IsBreakable(RuleId rule) const;
    // 1 for the lowest-priority breakable rule, larger for higher; 0 when unbreakable.
    int Priority(RuleId rule) const;
};

// What a format file says: the clocks, the week and the rules.
struct SchedulingFormat {
    std::vector<HourClock> clocks;
    Week week;
    SchedulingRules rules;
    const HourClock* FindClock(const std::string& name) const;
};

} // namespace corvane
