#include "scheduling/SchedulingFormatFile.h"

#include "data/Value.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <set>
#include <sstream>

namespace corvane {
namespace {

// A format file is a few kilobytes; anything far larger is not one.
constexpr size_t MaxFormatBytes = 4 * 1024 * 1024;

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool ParseNumber(std::string_view text, double& value) {
    const std::string t = Trimmed(text);
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    return error == std::errc() && end == t.data() + t.size() && !t.empty() && value >= 0;
}

bool ParseWhole(std::string_view text, int64_t& value) {
    const std::string t = Trimmed(text);
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    return error == std::errc() && end == t.data() + t.size() && !t.empty() && value >= 0;
}

constexpr std::array<const char*, 7> DayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

int DayNumber(std::string_view name) {
    for (size_t d = 0; d < DayNames.size(); ++d) {
        if (SameTextIgnoringCase(name, DayNames[d]))
            return static_cast<int>(d);
    }
    return -1;
}

// "Mon", "Mon-Fri", "Sat,Sun" or "Fri-Mon" (across the week's end) as day bits.
bool ParseDays(std::string_view text, unsigned& days) {
    days = 0;
    std::istringstream in{std::string(text)};
    for (std::string part; std::getline(in, part, ',');) {
        const size_t dash = part.find('-');
        const int first = DayNumber(Trimmed(part.substr(0, dash)));
        const int last = dash == std::string::npos ? first : DayNumber(Trimmed(part.substr(dash + 1)));
        if (first < 0 || last < 0)
            return false;
        for (int d = first;; d = (d + 1) % 7) {
            days |= 1u << d;
            if (d == last)
                break;
        }
    }
    return days != 0;
}

// "06-09" (hours 6, 7 and 8: the end is exclusive, up to 24) or "06" alone.
bool ParseHours(std::string_view text, int& first, int& end) {
    const size_t dash = text.find('-');
    int64_t a = 0, b = 0;
    if (!ParseWhole(text.substr(0, dash), a))
        return false;
    if (dash == std::string_view::npos)
        b = a + 1;
    else if (!ParseWhole(text.substr(dash + 1), b))
        return false;
    first = static_cast<int>(a);
    end = static_cast<int>(b);
    return a < 24 && b <= 24 && a < b;
}

class FormatParser {
public:
    FormatReading Parse(std::string_view text) {
        std::istringstream in{std::string(text)};
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            const std::string t = Trimmed(line);
            if (t.empty() || t[0] == ';' || t[0] == '#')
                continue;
            if (t.front() == '[') {
                Section(t, number);
                continue;
            }
            const size_t equals = t.find('=');
            if (equals == std::string::npos) {
                Problem(number, "\"" + t + "\" is neither a [section] nor a Key=Value line");
                continue;
            }
            Key(Trimmed(t.substr(0, equals)), Trimmed(t.substr(equals + 1)), number);
        }
        Finish();
        return std::move(reading_);
    }

private:
    enum class Kind { None, Clock, Week, Rules, Unknown };

    void Problem(int line, std::string message) { reading_.problems.push_back({line, std::move(message)}); }

    void Section(const std::string& t, int line) {
        if (t.back() != ']') {
            Problem(line, "section header \"" + t + "\" has no closing ]");
            kind_ = Kind::Unknown;
            return;
        }
        const std::string name = Trimmed(std::string_view(t).substr(1, t.size() - 2));
        const std::vector<std::string> words = Words(name);
        seenKeys_.clear();
        if (!words.empty() && SameTextIgnoringCase(words[0], "Clock") && words.size() > 1) {
            const std::string clockName = Trimmed(std::string_view(name).substr(5));
            if (reading_.format.FindClock(clockName) != nullptr) {
                Problem(line, "clock \"" + clockName + "\" is defined twice");
                kind_ = Kind::Unknown;
                return;
            }
            reading_.format.clocks.push_back({clockName, {}, line});
            slots_.emplace_back();
            kind_ = Kind::Clock;
        } else if (SameTextIgnoringCase(name, "Week") || SameTextIgnoringCase(name, "Rules")) {
            const bool week = SameTextIgnoringCase(name, "Week");
            if (!sectionsSeen_.insert(FoldCase(name)).second)
                Problem(line, "[" + name + "] is given twice");
            kind_ = week ? Kind::Week : Kind::Rules;
        } else {
            Problem(line, "unknown section [" + name + "] (expected [Clock NAME], [Week] or [Rules])");
            kind_ = Kind::Unknown;
        }
    }

    void Key(const std::string& key, const std::string& value, int line) {
        switch (kind_) {
        case Kind::None:
            Problem(line, "\"" + key + "\" stands before any [section]");
            return;
        case Kind::Unknown:
            return; // the section was reported
        case Kind::Clock:
            return ClockKey(key, value, line);
        case Kind::Week:
            return WeekKey(key, value, line);
        case Kind::Rules:
            return RulesKey(key, value, line);
        }
    }

    bool FirstTime(const std::string& key, int line) {
        if (seenKeys_.insert(FoldCase(key)).second)
            return true;
        Problem(line, key + " is given twice in its section");
        return false;
    }

    void ClockKey(const std::string& key, const std::string& value, int line) {
        int64_t number = 0;
        if (key.size() <= 4 || !SameTextIgnoringCase(key.substr(0, 4), "Slot") ||
            !ParseWhole(key.substr(4), number) || number < 1) {
            Problem(line, "unknown key \"" + key + "\" in a clock (expected Slot1, Slot2, …)");
            return;
        }
        if (!FirstTime(key, line))
            return;
        ClockSlot slot;
        if (const std::string error = ParseSlot(value, slot); !error.empty()) {
            Problem(line, key + ": " + error);
            return;
        }
        slots_.back()[static_cast<int>(number)] = slot;
    }

    static std::string ParseSlot(const std::string& value, ClockSlot& slot) {
        const std::vector<std::string> words = Words(value);
        if (words.empty())
            return "an empty slot (expected Category, Title, Break or Fill)";
        const std::string& kind = words[0];
        if (SameTextIgnoringCase(kind, "Break")) {
            slot.kind = SlotKind::Break;
            if (words.size() != 2 || !ParseNumber(words[1], slot.breakSeconds))
                return "\"" + value + "\": a break wants its length in seconds (Break 120)";
            return {};
        }
        if (SameTextIgnoringCase(kind, "Title")) {
            slot.kind = SlotKind::Title;
            if (words.size() != 2 || !ParseWhole(words[1], slot.titleId))
                return "\"" + value + "\": a fixed title wants its TitleID (Title 1234)";
            return {};
        }
        if (!SameTextIgnoringCase(kind, "Category") && !SameTextIgnoringCase(kind, "Fill"))
            return "\"" + value + "\": a slot is Category, Title, Break or Fill";
        slot.kind = SameTextIgnoringCase(kind, "Fill") ? SlotKind::Fill : SlotKind::Category;
        std::string name;
        for (size_t i = 1; i < words.size(); ++i) {
            const size_t equals = words[i].find('=');
            if (equals == std::string::npos) {
                name += (name.empty() ? "" : " ") + words[i];
                continue;
            }
            const std::string filter = words[i].substr(0, equals);
            const std::string wanted = words[i].substr(equals + 1);
            int64_t rating = 0;
            if (SameTextIgnoringCase(filter, "Code") && !wanted.empty())
                slot.code = wanted;
            else if (SameTextIgnoringCase(filter, "Tempo") && !wanted.empty())
                slot.tempo = wanted;
            else if (SameTextIgnoringCase(filter, "Rating") && ParseWhole(wanted, rating))
                slot.rating = static_cast<int>(rating);
            else
                return "\"" + words[i] + "\" is not a filter (Code=CODE, Tempo=VALUE or Rating=N)";
        }
        if (name.empty())
            return "\"" + value + "\" names no category";
        slot.category = name;
        return {};
    }

    void WeekKey(const std::string& key, const std::string& value, int line) {
        if (!FirstTime(key, line))
            return;
        if (value.empty()) {
            Problem(line, key + " names no clock");
            return;
        }
        Week& week = reading_.format.week;
        if (SameTextIgnoringCase(key, "Default")) {
            week.defaultClock = value;
            week.defaultLine = line;
            return;
        }
        WeekEntry entry;
        entry.clock = value;
        entry.line = line;
        const std::vector<std::string> words = Words(key);
        bool ok = !words.empty() && words.size() <= 2;
        size_t hoursWord = words.size();
        unsigned days = 0;
        if (ok && ParseDays(words[0], days)) {
            entry.days = days;
            hoursWord = 1;
        } else if (words.size() == 1)
            hoursWord = 0;
        else
            ok = false;
        if (ok && hoursWord < words.size())
            ok = ParseHours(words[hoursWord], entry.firstHour, entry.endHour);
        if (!ok) {
            Problem(line, "unknown key \"" + key +
                              "\" in [Week] (expected Default, days such as Sat or Mon-Fri, hours such as "
                              "06-09, or both: Mon-Fri 06-09)");
            return;
        }
        week.entries.push_back(entry);
    }

    void RulesKey(const std::string& key, const std::string& value, int line) {
        SchedulingRules& rules = reading_.format.rules;
        double number = 0;
        const auto minutes = [&](double& field) {
            if (FirstTime(key, line) && !ParseNumber(value, field))
                Problem(line, key + " wants minutes, not \"" + value + "\"");
        };
        const auto flag = [&](bool& field) {
            if (!FirstTime(key, line))
                return;
            if (value == "0" || value == "1")
                field = value == "1";
            else
                Problem(line, key + " wants 0 or 1, not \"" + value + "\"");
        };
        if (SameTextIgnoringCase(key, "ArtistSeparation")) {
            minutes(rules.artistSeparationMinutes);
        } else if (SameTextIgnoringCase(key, "TitleSeparation")) {
            minutes(rules.titleSeparationMinutes);
        } else if (SameTextIgnoringCase(key, "AlbumSeparation")) {
            minutes(rules.albumSeparationMinutes);
        } else if (SameTextIgnoringCase(key, "ArtistSeparationSongs")) {
            int64_t songs = 0;
            if (FirstTime(key, line) && !ParseWhole(value, songs))
                Problem(line, key + " wants a number of songs, not \"" + value + "\"");
            rules.artistSeparationSongs = static_cast<int>(std::min<int64_t>(songs, 10000));
        } else if (SameTextIgnoringCase(key, "HorizontalSeparation")) {
            flag(rules.horizontalSeparation);
        } else if (SameTextIgnoringCase(key, "Dayparts")) {
            flag(rules.dayparts);
        } else if (SameTextIgnoringCase(key, "MinimumRest")) {
            // May be given once per category.
            const std::vector<std::string> words = Words(value);
            if (words.size() < 2 || !ParseNumber(words.back(), number)) {
                Problem(line, "MinimumRest wants a category and hours (MinimumRest=Current 3)");
                return;
            }
            const size_t end = value.find_last_of(" \t");
            rules.minimumRest.push_back({Trimmed(value.substr(0, end)), number});
        } else if (SameTextIgnoringCase(key, "MaxInARow")) {
            // May be given once per attribute and value.
            const std::vector<std::string> words = Words(value);
            int64_t count = 0;
            MaxInARowRule rule;
            bool ok = words.size() == 3 && ParseWhole(words[2], count) && count >= 1;
            if (ok && SameTextIgnoringCase(words[0], "Tempo"))
                rule.attribute = MaxInARowRule::Attribute::Tempo;
            else if (ok && SameTextIgnoringCase(words[0], "Code"))
                rule.attribute = MaxInARowRule::Attribute::Code;
            else if (ok && SameTextIgnoringCase(words[0], "Rating"))
                rule.attribute = MaxInARowRule::Attribute::Rating;
            else
                ok = false;
            if (!ok) {
                Problem(line, "MaxInARow wants Tempo VALUE N, Code CODE N or Rating VALUE N, not \"" + value +
                                  "\"");
                return;
            }
            rule.value = words[1];
            rule.count = static_cast<int>(std::min<int64_t>(count, 10000));
            rules.maxInARow.push_back(rule);
        } else if (SameTextIgnoringCase(key, "Breakable")) {
            if (!FirstTime(key, line))
                return;
            std::istringstream in{value};
            for (std::string name; std::getline(in, name, ',');) {
                RuleId rule{};
                name = Trimmed(name);
                if (name.empty())
                    continue;
                if (!RuleFromName(name, rule))
                    Problem(line, "Breakable names an unknown rule \"" + name + "\"");
                else if (std::find(rules.breakable.begin(), rules.breakable.end(), rule) ==
                         rules.breakable.end())
                    rules.breakable.push_back(rule);
            }
        } else {
            Problem(line, "unknown key \"" + key + "\" in [Rules]");
        }
    }

    void Finish() {
        SchedulingFormat& format = reading_.format;
        for (size_t c = 0; c < format.clocks.size(); ++c) {
            for (auto& [number, slot] : slots_[c])
                format.clocks[c].slots.push_back(slot);
            if (format.clocks[c].slots.empty())
                Problem(format.clocks[c].line, "clock \"" + format.clocks[c].name + "\" has no slots");
        }
        if (format.clocks.empty())
            Problem(0, "no [Clock NAME] section: there is nothing to schedule");
        if (format.week.defaultClock.empty())
            Problem(0, "[Week] has no Default=CLOCK: some hours would have no clock");
        else if (format.FindClock(format.week.defaultClock) == nullptr)
            Problem(format.week.defaultLine,
                    "Default names a missing clock \"" + format.week.defaultClock + "\"");
        for (const WeekEntry& entry : format.week.entries) {
            if (format.FindClock(entry.clock) == nullptr)
                Problem(entry.line, "the week names a missing clock \"" + entry.clock + "\"");
        }
        std::stable_sort(reading_.problems.begin(), reading_.problems.end(),
                         [](const FormatProblem& a, const FormatProblem& b) { return a.line < b.line; });
    }

    FormatReading reading_;
    Kind kind_ = Kind::None;
    std::set<std::string> seenKeys_;
    std::set<std::string> sectionsSeen_;
    std::vector<std::map<int, ClockSlot>> slots_; // each clock's slots by number
};

} // namespace

FormatReading ReadSchedulingFormat(std::string_view text) {
    return FormatParser().Parse(text);
}

FormatReading ReadSchedulingFormatFile(const std::filesystem::path& path) {
    try {
        const std::string text = ReadRegularFile(path, MaxFormatBytes + 1);
        if (text.size() > MaxFormatBytes)
            return {{}, {{0, "is larger than 4 MB: not a format file"}}};
        return ReadSchedulingFormat(text);
    } catch (const EFileUnreadable& e) {
        return {{}, {{0, e.what()}}};
    }
}

} // namespace corvane
