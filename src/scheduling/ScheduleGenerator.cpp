#include "scheduling/ScheduleGenerator.h"

#include "data/Value.h"
#include "scheduling/ArtistNames.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace corvane {
namespace {

constexpr double SecondsPerHour = 3600.0;
// A fill slot never takes more titles than this for one hour (one a second):
// titles of a few milliseconds must not turn one hour into a long loop.
constexpr int MaxFillTitles = 3600;

RuleSet Bit(RuleId rule) {
    return 1u << static_cast<unsigned>(rule);
}

int64_t HourUseKey(int day, int hour, int title) {
    return static_cast<int64_t>(day * 24 + hour) * (int64_t{1} << 32) + title;
}

int Intern(std::unordered_map<std::string, int>& ids, std::string key) {
    return ids.emplace(std::move(key), static_cast<int>(ids.size())).first->second;
}

bool HasCode(const SchedulingTitle& title, const std::string& code) {
    return std::any_of(title.codes.begin(), title.codes.end(),
                       [&](const std::string& c) { return SameTextIgnoringCase(c, code); });
}

} // namespace

int GeneratedDay::MusicItems() const {
    return static_cast<int>(std::count_if(items.begin(), items.end(),
                                          [](const ScheduledItem& i) { return i.kind != SlotKind::Break; }));
}
int GeneratedDay::RelaxedItems() const {
    return static_cast<int>(
        std::count_if(items.begin(), items.end(), [](const ScheduledItem& i) { return i.broken; }));
}
int GeneratedDay::HoursOff() const {
    return static_cast<int>(std::count_if(hours.begin(), hours.end(), [](const HourFit& h) {
        return h.offSeconds > HourFitToleranceSeconds || h.offSeconds < -HourFitToleranceSeconds;
    }));
}

ScheduleGenerator::ScheduleGenerator(const std::vector<SchedulingTitle>& library,
                                     const SchedulingFormat& format, int firstWeekday, uint64_t seed)
    : library_(library), format_(format), rules_(format.rules), firstWeekday_(firstWeekday) {
    BuildIndexes(seed);
}

void ScheduleGenerator::BuildIndexes(uint64_t seed) {
    const size_t n = library_.size();
    std::unordered_map<std::string, int> artistIds, nameIds, albumIds;
    artists_.resize(n);
    names_.resize(n);
    albums_.resize(n, -1);
    restSeconds_.resize(n, 0);
    titleUse_.resize(n);
    // Ties in the rotation (titles never played, or played at the same time)
    // are broken by a draw from the seed, the same on every machine.
    std::mt19937_64 draw(seed);
    tieBreak_.resize(n);
    // Libraries repeat credits and categories many times: each is read once.
    std::unordered_map<std::string, std::vector<int>> creditArtists;
    struct CategoryFacts {
        std::string key;
        double restSeconds = 0;
    };
    std::unordered_map<std::string, CategoryFacts> categories;
    for (size_t i = 0; i < n; ++i) {
        const SchedulingTitle& title = library_[i];
        tieBreak_[i] = draw();
        auto credit = creditArtists.find(title.artist);
        if (credit == creditArtists.end()) {
            std::vector<int> ids;
            for (std::string& artist : NormalisedArtists(title.artist))
                ids.push_back(Intern(artistIds, std::move(artist)));
            credit = creditArtists.emplace(title.artist, std::move(ids)).first;
        }
        artists_[i] = credit->second;
        names_[i] = Intern(nameIds, NormalisedName(title.name));
        if (std::string album = NormalisedName(title.album); !album.empty())
            albums_[i] = Intern(albumIds, std::move(album));
        auto facts = categories.find(title.category);
        if (facts == categories.end()) {
            CategoryFacts made{FoldCase(title.category), 0};
            for (const MinimumRestRule& rest : rules_.minimumRest) {
                if (SameTextIgnoringCase(rest.category, title.category))
                    made.restSeconds = rest.hours * SecondsPerHour;
            }
            facts = categories.emplace(title.category, std::move(made)).first;
        }
        restSeconds_[i] = facts->second.restSeconds;
        byTitleId_.emplace(title.titleId, static_cast<int>(i));
        const std::string& category = facts->second.key;
        rotation_[category].Add(static_cast<int>(i));
        if (title.lengthSeconds > 0) {
            auto [it, added] = shortest_.emplace(category, title.lengthSeconds);
            if (!added)
                it->second = std::min(it->second, title.lengthSeconds);
            double& longest = longest_[category];
            longest = std::max(longest, title.lengthSeconds);
        }
    }
    artistUse_.resize(artistIds.size());
    nameUse_.resize(nameIds.size());
    albumUse_.resize(albumIds.size());

    std::vector<std::pair<double, int>> played;
    for (size_t i = 0; i < n; ++i) {
        if (library_[i].played)
            played.emplace_back(library_[i].lastPlayed, static_cast<int>(i));
    }
    std::sort(played.begin(), played.end());
    for (const auto& [time, title] : played)
        AddHistory(title, time);
}

void ScheduleGenerator::SortRotation() {
    if (rotationSorted_)
        return;
    rotationSorted_ = true;
    for (auto& [category, turn] : rotation_) {
        std::vector<int> titles = turn.InOrder();
        std::sort(titles.begin(), titles.end(), [&](int a, int b) {
            const LastUse& ua = titleUse_[a];
            const LastUse& ub = titleUse_[b];
            if (ua.used != ub.used)
                return !ua.used;
            if (ua.used && ua.time != ub.time)
                return ua.time < ub.time;
            return tieBreak_[a] != tieBreak_[b] ? tieBreak_[a] < tieBreak_[b] : a < b;
        });
        turn.Assign(titles);
    }
}

void ScheduleGenerator::AddHistory(int titleIndex, double start) {
    if (titleIndex < 0 || static_cast<size_t>(titleIndex) >= library_.size())
        return;
    // History counts in songs too: each earlier title is one song before the
    // next one, in the order it was added.
    rotationSorted_ = false;
    const int64_t song = nextSong_++;
    const auto mark = [&](LastUse& use) {
        if (!use.used || use.time <= start)
            use = {start, song, true};
    };
    mark(titleUse_[titleIndex]);
    for (const int artist : artists_[titleIndex])
        mark(artistUse_[artist]);
    mark(nameUse_[names_[titleIndex]]);
    if (albums_[titleIndex] >= 0)
        mark(albumUse_[albums_[titleIndex]]);
    const double day = std::floor(start / (24 * SecondsPerHour));
    const int hour = static_cast<int>(std::floor((start - day * 24 * SecondsPerHour) / SecondsPerHour));
    hourUses_.insert(HourUseKey(static_cast<int>(day), hour, titleIndex));
}

RuleSet ScheduleGenerator::ActiveRules() const {
    RuleSet active = Bit(RuleId::Dayparts);
    if (!rules_.dayparts)
        active = 0;
    if (rules_.artistSeparationMinutes > 0)
        active |= Bit(RuleId::ArtistSeparation);
    if (rules_.artistSeparationSongs > 0)
        active |= Bit(RuleId::ArtistSeparationSongs);
    if (rules_.titleSeparationMinutes > 0)
        active |= Bit(RuleId::TitleSeparation);
    if (rules_.albumSeparationMinutes > 0)
        active |= Bit(RuleId::AlbumSeparation);
    if (!rules_.minimumRest.empty())
        active |= Bit(RuleId::MinimumRest);
    if (!rules_.maxInARow.empty())
        active |= Bit(RuleId::MaxInARow);
    if (rules_.horizontalSeparation)
        active |= Bit(RuleId::HorizontalSeparation);
    return active;
}

// Separations are measured from start to start: a title exactly the
// separation after the last one keeps the rule.
RuleSet ScheduleGenerator::BrokenRules(int title, double now, int day, int hour) const {
    RuleSet broken = 0;
    const auto tooSoon = [&](const LastUse& use, double minutes) {
        return minutes > 0 && use.used && now - use.time < minutes * 60.0;
    };
    for (const int artist : artists_[title]) {
        const LastUse& use = artistUse_[artist];
        if (tooSoon(use, rules_.artistSeparationMinutes))
            broken |= Bit(RuleId::ArtistSeparation);
        if (rules_.artistSeparationSongs > 0 && use.used &&
            nextSong_ - use.song - 1 < rules_.artistSeparationSongs)
            broken |= Bit(RuleId::ArtistSeparationSongs);
    }
    if (tooSoon(nameUse_[names_[title]], rules_.titleSeparationMinutes))
        broken |= Bit(RuleId::TitleSeparation);
    if (albums_[title] >= 0 && tooSoon(albumUse_[albums_[title]], rules_.albumSeparationMinutes))
        broken |= Bit(RuleId::AlbumSeparation);
    if (restSeconds_[title] > 0 && titleUse_[title].used && now - titleUse_[title].time < restSeconds_[title])
        broken |= Bit(RuleId::MinimumRest);
    const SchedulingTitle& t = library_[title];
    for (const MaxInARowRule& rule : rules_.maxInARow) {
        const auto matches = [&](const SchedulingTitle& other) {
            switch (rule.attribute) {
            case MaxInARowRule::Attribute::Tempo:
                return SameTextIgnoringCase(other.tempo, rule.value);
            case MaxInARowRule::Attribute::Code:
                return HasCode(other, rule.value);
            case MaxInARowRule::Attribute::Rating:
                return std::to_string(other.rating) == rule.value;
            }
            return false;
        };
        if (!matches(t) || static_cast<int>(recent_.size()) < rule.count)
            continue;
        const bool allBefore = std::all_of(recent_.end() - rule.count, recent_.end(),
                                           [&](int other) { return matches(library_[other]); });
        if (allBefore)
            broken |= Bit(RuleId::MaxInARow);
    }
    if (rules_.horizontalSeparation && hourUses_.count(HourUseKey(day - 1, hour, title)) != 0)
        broken |= Bit(RuleId::HorizontalSeparation);
    if (rules_.dayparts && (hour < t.firstHour || hour >= t.endHour))
        broken |= Bit(RuleId::Dayparts);
    return broken;
}

bool ScheduleGenerator::Matches(const ClockSlot& slot, const SchedulingTitle& title) const {
    if (!slot.code.empty() && !HasCode(title, slot.code))
        return false;
    if (!slot.tempo.empty() && !SameTextIgnoringCase(slot.tempo, title.tempo))
        return false;
    return slot.rating < 0 || slot.rating == title.rating;
}

// The first title in rotation order that keeps every rule, or else the one
// whose broken rules are all breakable and of the lowest priorities.
std::optional<ScheduleGenerator::Candidate> ScheduleGenerator::Pick(const ClockSlot& slot,
                                                                    const std::string& category, double now,
                                                                    int day, int hour, Fit fit,
                                                                    double remaining, Blocked& blocked) {
    const auto it = rotation_.find(FoldCase(category));
    if (it == rotation_.end())
        return std::nullopt;
    const RuleSet active = ActiveRules();
    const double shortest = shortest_.count(it->first) ? shortest_.at(it->first) : 0;
    std::optional<Candidate> best;
    it->second.Walk([&](int title) {
        const SchedulingTitle& t = library_[title];
        if (!Matches(slot, t))
            return true;
        const double length = t.lengthSeconds;
        if (fit == Fit::Finishes && (length <= 0 || std::abs(remaining - length) > HourFitToleranceSeconds))
            return true;
        if (fit == Fit::LeavesRoom &&
            (length <= 0 ||
             remaining - length < std::max(shortest - HourFitToleranceSeconds, HourFitToleranceSeconds)))
            return true;
        ++blocked.matching;
        const RuleSet broken = BrokenRules(title, now, day, hour) & active;
        uint64_t cost = 0;
        RuleSet unbreakable = 0;
        for (int r = 0; r < RuleCount; ++r) {
            const RuleId rule = static_cast<RuleId>(r);
            if (!Contains(broken, rule))
                continue;
            if (const int priority = rules_.Priority(rule); priority > 0)
                cost += uint64_t{1} << priority;
            else
                unbreakable |= Bit(rule);
        }
        if (unbreakable != 0) {
            for (int r = 0; r < RuleCount; ++r) {
                if (Contains(unbreakable, static_cast<RuleId>(r))) {
                    ++blocked.byRule[r];
                    break;
                }
            }
            return true;
        }
        if (!best || cost < best->cost)
            best = Candidate{title, broken, cost};
        return cost != 0;
    });
    return best;
}

void ScheduleGenerator::Use(int title, double now, int day, int hour) {
    const int64_t song = nextSong_++;
    titleUse_[title] = {now, song, true};
    for (const int artist : artists_[title])
        artistUse_[artist] = {now, song, true};
    nameUse_[names_[title]] = {now, song, true};
    if (albums_[title] >= 0)
        albumUse_[albums_[title]] = {now, song, true};
    hourUses_.insert(HourUseKey(day, hour, title));
    recent_.push_back(title);
    // The title goes to the back of its category's turn.
    rotation_[FoldCase(library_[title].category)].MoveToBack(title);
}

void ScheduleGenerator::Record(GeneratedDay& out, int hour, int slotNumber, SlotKind kind, int title,
                               double start, RuleSet broken) {
    ScheduledItem item;
    item.hour = hour;
    item.slot = slotNumber;
    item.kind = kind;
    item.titleIndex = title;
    item.start = start;
    item.length = library_[title].lengthSeconds;
    item.checked = ActiveRules();
    item.broken = broken & item.checked;
    for (int r = 0; r < RuleCount; ++r) {
        if (Contains(item.checked, static_cast<RuleId>(r))) {
            ++out.ruleChecks[r];
            if (!Contains(item.broken, static_cast<RuleId>(r)))
                ++out.ruleKept[r];
        }
    }
    CategoryTurnover& turnover = out.turnover[library_[title].category];
    ++turnover.scheduled;
    out.items.push_back(item);
}

UnfilledSlot ScheduleGenerator::Unfilled(const std::string& clock, int hour, int slotNumber,
                                         const ClockSlot& slot, const Blocked& blocked) const {
    UnfilledSlot unfilled{hour, slotNumber, clock, {}, std::nullopt};
    std::string wanted = "category \"" + slot.category + "\"";
    if (!slot.code.empty())
        wanted += " with code " + slot.code;
    if (!slot.tempo.empty())
        wanted += " with tempo " + slot.tempo;
    if (slot.rating >= 0)
        wanted += " with rating " + std::to_string(slot.rating);
    if (blocked.matching == 0) {
        unfilled.reason = "no title of " + wanted + " in the library";
        return unfilled;
    }
    const auto most = std::max_element(blocked.byRule.begin(), blocked.byRule.end());
    unfilled.blockingRule = static_cast<RuleId>(most - blocked.byRule.begin());
    unfilled.reason = "every title of " + wanted + " (" + std::to_string(blocked.matching) +
                      ") would break an unbreakable rule, most often " + RuleName(*unfilled.blockingRule);
    return unfilled;
}

void ScheduleGenerator::FillSlot(GeneratedDay& out, const std::string& clock, int hour, int slotNumber,
                                 const ClockSlot& slot, double& t) {
    const int day = nextDay_;
    const double dayStart = day * 24 * SecondsPerHour;
    Blocked blocked;
    const auto pick = Pick(slot, slot.category, dayStart + t, day, hour, Fit::Any, 0, blocked);
    if (!pick) {
        out.unfilled.push_back(Unfilled(clock, hour, slotNumber, slot, blocked));
        return;
    }
    Record(out, hour, slotNumber, SlotKind::Category, pick->titleIndex, t, pick->broken);
    Use(pick->titleIndex, dayStart + t, day, hour);
    t += std::max(0.0, library_[pick->titleIndex].lengthSeconds);
}

// Titles of the fill category until the hour ends within the tolerance: a
// title that finishes the hour is taken when one can be, else one that
// leaves room for another, else the hour stays short (and is reported).
void ScheduleGenerator::Fill(GeneratedDay& out, const std::string& clock, int hour, int slotNumber,
                             const ClockSlot& slot, double& t) {
    const int day = nextDay_;
    const double dayStart = day * 24 * SecondsPerHour;
    const double hourEnd = (hour + 1) * SecondsPerHour;
    for (int n = 0; n < MaxFillTitles && hourEnd - t > HourFitToleranceSeconds; ++n) {
        const double remaining = hourEnd - t;
        Blocked blocked;
        // No title can end the hour while more is left than the longest
        // title: the walk for one would visit the whole category for nothing.
        const auto longest = longest_.find(FoldCase(slot.category));
        std::optional<Candidate> pick;
        if (longest != longest_.end() && remaining <= longest->second + HourFitToleranceSeconds)
            pick = Pick(slot, slot.category, dayStart + t, day, hour, Fit::Finishes, remaining, blocked);
        if (!pick)
            pick = Pick(slot, slot.category, dayStart + t, day, hour, Fit::LeavesRoom, remaining, blocked);
        // No title fitting the time left is a matter of the hour's fit,
        // reported there; titles that fit but break a rule leave the slot
        // unfilled with the rule, as any slot.
        if (!pick) {
            if (n == 0 && (blocked.matching > 0 || rotation_.count(FoldCase(slot.category)) == 0))
                out.unfilled.push_back(Unfilled(clock, hour, slotNumber, slot, blocked));
            return;
        }
        Record(out, hour, slotNumber, SlotKind::Fill, pick->titleIndex, t, pick->broken);
        Use(pick->titleIndex, dayStart + t, day, hour);
        t += library_[pick->titleIndex].lengthSeconds;
    }
}

RuleSet ScheduleGenerator::PlaceAndCheck(int title, int day, double start) {
    SortRotation();
    const int hour = std::clamp(static_cast<int>(start / SecondsPerHour), 0, 23);
    const double now = day * 24 * SecondsPerHour + start;
    const RuleSet broken = BrokenRules(title, now, day, hour) & ActiveRules();
    Use(title, now, day, hour);
    return broken;
}

GeneratedDay ScheduleGenerator::GenerateNextDay() {
    SortRotation();
    GeneratedDay out;
    out.dayIndex = nextDay_;
    const int weekday = (firstWeekday_ + nextDay_) % 7;
    double t = 0;
    for (int hour = 0; hour < 24; ++hour) {
        const std::string& clockName = format_.week.ClockAt(weekday, hour);
        const HourClock* clock = format_.FindClock(clockName);
        if (clock == nullptr) {
            // The format's check refuses such a week; a caller that skipped it
            // still gets the hour reported rather than silently empty.
            out.unfilled.push_back(
                {hour, 0, clockName, "no clock \"" + clockName + "\" for this hour", std::nullopt});
            continue;
        }
        for (size_t s = 0; s < clock->slots.size(); ++s) {
            const ClockSlot& slot = clock->slots[s];
            const int number = static_cast<int>(s) + 1;
            switch (slot.kind) {
            case SlotKind::Break: {
                ScheduledItem item;
                item.hour = hour;
                item.slot = number;
                item.kind = SlotKind::Break;
                item.start = t;
                item.length = slot.breakSeconds;
                out.items.push_back(item);
                t += slot.breakSeconds;
                break;
            }
            case SlotKind::Title: {
                const auto found = byTitleId_.find(slot.titleId);
                if (found == byTitleId_.end()) {
                    out.unfilled.push_back(
                        {hour, number, clock->name,
                         "title " + std::to_string(slot.titleId) + " is not in the library", std::nullopt});
                    break;
                }
                // A fixed title is the station's own choice: it is placed,
                // and any rule it breaks is reported.
                const double now = nextDay_ * 24 * SecondsPerHour + t;
                Record(out, hour, number, SlotKind::Title, found->second, t,
                       BrokenRules(found->second, now, nextDay_, hour));
                Use(found->second, now, nextDay_, hour);
                t += std::max(0.0, library_[found->second].lengthSeconds);
                break;
            }
            case SlotKind::Category:
                FillSlot(out, clock->name, hour, number, slot, t);
                break;
            case SlotKind::Fill:
                Fill(out, clock->name, hour, number, slot, t);
                break;
            }
        }
        out.hours.push_back({hour, clock->name, t - (hour + 1) * SecondsPerHour});
    }
    for (auto& [category, turnover] : out.turnover) {
        std::unordered_set<int> distinct;
        for (const ScheduledItem& item : out.items) {
            if (item.titleIndex >= 0 && library_[item.titleIndex].category == category)
                distinct.insert(item.titleIndex);
        }
        turnover.distinctScheduled = static_cast<int>(distinct.size());
        const auto it = rotation_.find(FoldCase(category));
        turnover.titlesInCategory = it == rotation_.end() ? 0 : it->second.Size();
    }
    ++nextDay_;
    return out;
}

} // namespace corvane
