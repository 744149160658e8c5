#pragma once

#include "scheduling/RotationTurn.h"
#include "scheduling/SchedulingModel.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace corvane {

// An hour ends within this many seconds of its planned end when the fill
// slots can make it so.
inline constexpr double HourFitToleranceSeconds = 5.0;

// A set of rules, one bit per RuleId.
using RuleSet = unsigned;
inline bool Contains(RuleSet set, RuleId rule) {
    return (set >> static_cast<unsigned>(rule) & 1u) != 0;
}

// One row of a generated day. `start` in seconds after the day's midnight.
struct ScheduledItem {
    int hour = 0;
    int slot = 0; // 1-based, as the format file numbers them
    SlotKind kind = SlotKind::Category;
    int titleIndex = -1; // into the library; -1 for a break
    double start = 0;
    double length = 0;
    RuleSet checked = 0; // the rules that applied to this choice
    RuleSet broken = 0;  // the rules it breaks (breakable ones relaxed, or a fixed title's)
};

// A slot nobody could fill, with the reason and the rule that blocked it
// (when a rule did rather than an empty category).
struct UnfilledSlot {
    int hour = 0;
    int slot = 0;
    std::string clock;
    std::string reason;
    std::optional<RuleId> blockingRule;
};

// How far an hour ends from its planned end: positive is over.
struct HourFit {
    int hour = 0;
    std::string clock;
    double offSeconds = 0;
};

struct CategoryTurnover {
    int titlesInCategory = 0;
    int distinctScheduled = 0;
    int scheduled = 0;
};

struct GeneratedDay {
    int dayIndex = 0; // 0 for the first day generated
    std::vector<ScheduledItem> items;
    std::vector<UnfilledSlot> unfilled;
    std::vector<HourFit> hours;
    std::array<int, RuleCount> ruleChecks{};
    std::array<int, RuleCount> ruleKept{};
    std::map<std::string, CategoryTurnover> turnover;

    int MusicItems() const;
    int RelaxedItems() const;
    int HoursOff() const; // hours further than the tolerance from their end
};

// Fills the slots of the week's clocks with titles of the library, day after
// day: every unbreakable rule kept, the breakable ones kept as far as their
// priorities allow; titles of a category come round in turn (least recently
// played or scheduled first), the same seed giving the same days. The
// generator remembers what it scheduled, so days generated one after the
// other are separated from each other. Not thread-safe; any one thread.
class ScheduleGenerator {
public:
    // `firstWeekday`: the weekday of day 0 (0 = Sunday … 6 = Saturday).
    // The library and the format must outlive the generator.
    ScheduleGenerator(const std::vector<SchedulingTitle>& library, const SchedulingFormat& format,
                      int firstWeekday, uint64_t seed);

    // A title played or scheduled before, `start` in seconds relative to day
    // 0's midnight (negative: before it). Add history before generating: the
    // turns are put in order by it when the first day is generated.
    void AddHistory(int titleIndex, double start);

    // The next day (day 0 first).
    GeneratedDay GenerateNextDay();

    // For checking a schedule made elsewhere, title by title in its order:
    // the active rules `title` breaks starting `start` seconds after day
    // `day`'s midnight; it then counts as scheduled there.
    RuleSet PlaceAndCheck(int title, int day, double start);
    // The rules the format switches on.
    RuleSet ActiveRules() const;

private:
    struct LastUse {
        double time = 0;
        int64_t song = 0;
        bool used = false;
    };
    struct Candidate {
        int titleIndex = -1;
        RuleSet broken = 0;
        uint64_t cost = 0;
    };
    struct Blocked {
        std::array<int, RuleCount> byRule{};
        int matching = 0;
    };
    enum class Fit { Any, Finishes, LeavesRoom };

    void BuildIndexes(uint64_t seed);
    void SortRotation();
    RuleSet BrokenRules(int title, double now, int day, int hour) const;
    bool Matches(const ClockSlot& slot, const SchedulingTitle& title) const;
    std::optional<Candidate> Pick(const ClockSlot& slot, const std::string& category, double now, int day,
                                  int hour, Fit fit, double remaining, Blocked& blocked);
    void Use(int title, double now, int day, int hour);
    void FillSlot(GeneratedDay& out, const std::string& clock, int hour, int slotNumber,
                  const ClockSlot& slot, double& t);
    void Fill(GeneratedDay& out, const std::string& clock, int hour, int slotNumber, const ClockSlot& slot,
              double& t);
    void Record(GeneratedDay& out, int hour, int slotNumber, SlotKind kind, int title, double start,
                RuleSet broken);
    UnfilledSlot Unfilled(const std::string& clock, int hour, int slotNumber, const ClockSlot& slot,
                          const Blocked& blocked) const;

    const std::vector<SchedulingTitle>& library_;
    const SchedulingFormat& format_;
    const SchedulingRules& rules_;
    int firstWeekday_;
    int nextDay_ = 0;
    int64_t nextSong_ = 0;

    // Each title's artists, name and album as small numbers, and its rest.
    std::vector<std::vector<int>> artists_;
    std::vector<int> names_;
    std::vector<int> albums_; // -1: no album
    std::vector<double> restSeconds_;
    std::vector<LastUse> titleUse_, artistUse_, nameUse_, albumUse_;
    std::unordered_map<int64_t, int> byTitleId_;
    // Each category's titles in rotation order (next due first); the key is
    // the category name folded to lower case.
    std::unordered_map<std::string, RotationTurn> rotation_;
    std::vector<uint64_t> tieBreak_;                   // each title's place among equals, drawn from the seed
    bool rotationSorted_ = false;                      // history added since the turns were put in order
    std::unordered_map<std::string, double> shortest_; // shortest title of each category, s
    std::unordered_map<std::string, double> longest_;  // longest title of each category, s
    std::unordered_set<int64_t> hourUses_;             // (day * 24 + hour, title)
    std::vector<int> recent_;                          // music scheduled, in order (titles)
};

} // namespace corvane
