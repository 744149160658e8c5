#include "SchedulingFixtures.h"
#include "scheduling/ScheduleCheck.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::FormatOf;
using testing::MakeTitle;

// The rows (title, start in seconds) checked against `rules`; the rows that
// break `rule`, 1-based.
std::vector<int> RowsBreaking(const std::vector<std::pair<SchedulingTitle, double>>& rows,
                              const std::string& rules, RuleId rule) {
    const SchedulingFormat format =
        FormatOf("[Clock A]\nSlot1=Category X\n[Week]\nDefault=A\n[Rules]\n" + rules);
    std::vector<SchedulingTitle> titles;
    std::vector<double> starts;
    for (const auto& [title, start] : rows) {
        titles.push_back(title);
        starts.push_back(start);
    }
    std::vector<int> breaking;
    for (const ScheduleViolation& v : CheckDaySchedule(titles, starts, format)) {
        if (v.rule == rule)
            breaking.push_back(v.row);
    }
    return breaking;
}

// Separations count from start to start: exactly the separation apart keeps
// the rule, a second less breaks it.
TEST(ScheduleRules, SeparationsInMinutesAtTheirBoundary) {
    SchedulingTitle a = MakeTitle(1, "The Band", "X");
    a.album = "First";
    SchedulingTitle sameArtist = MakeTitle(2, "band feat. Guest", "X");
    SchedulingTitle sameName = MakeTitle(3, "Other", "X");
    sameName.name = "SONG 1";
    SchedulingTitle sameAlbum = MakeTitle(4, "Third", "X");
    sameAlbum.album = "first";
    const struct {
        const char* rules;
        RuleId rule;
        SchedulingTitle second;
        double apart;
        bool breaks;
    } cases[] = {
        {"ArtistSeparation=60", RuleId::ArtistSeparation, sameArtist, 3600, false},
        {"ArtistSeparation=60", RuleId::ArtistSeparation, sameArtist, 3599, true},
        {"ArtistSeparation=60", RuleId::ArtistSeparation, sameName, 10, false},
        {"TitleSeparation=180", RuleId::TitleSeparation, sameName, 10800, false},
        {"TitleSeparation=180", RuleId::TitleSeparation, sameName, 10799, true},
        {"TitleSeparation=180", RuleId::TitleSeparation, a, 10799, true},
        {"AlbumSeparation=30", RuleId::AlbumSeparation, sameAlbum, 1800, false},
        {"AlbumSeparation=30", RuleId::AlbumSeparation, sameAlbum, 1799, true},
        {"AlbumSeparation=30", RuleId::AlbumSeparation, sameArtist, 1, false}, // no album: no separation
        {"MinimumRest=X 2", RuleId::MinimumRest, a, 7200, false},
        {"MinimumRest=X 2", RuleId::MinimumRest, a, 7199, true},
        {"MinimumRest=Y 2", RuleId::MinimumRest, a, 60, false}, // another category's rest
    };
    for (const auto& c : cases) {
        const std::vector<int> breaking = RowsBreaking({{a, 0}, {c.second, c.apart}}, c.rules, c.rule);
        EXPECT_EQ(breaking, c.breaks ? std::vector<int>{2} : std::vector<int>{})
            << c.rules << " " << c.second.artist << " " << c.apart << " s apart";
    }
}

TEST(ScheduleRules, ArtistSeparationInSongsCountsTheSongsBetween) {
    const SchedulingTitle x = MakeTitle(1, "X & Y", "C");
    const SchedulingTitle y = MakeTitle(2, "The y", "C");
    const auto other = [](int id) { return MakeTitle(id, "Other " + std::to_string(id), "C"); };
    const struct {
        int between;
        bool breaks;
    } cases[] = {{0, true}, {1, true}, {2, false}, {3, false}};
    for (const auto& c : cases) {
        std::vector<std::pair<SchedulingTitle, double>> rows{{x, 0}};
        for (int i = 0; i < c.between; ++i)
            rows.push_back({other(10 + i), 200.0 * (i + 1)});
        rows.push_back({y, 200.0 * (c.between + 1)});
        const std::vector<int> breaking =
            RowsBreaking(rows, "ArtistSeparationSongs=2", RuleId::ArtistSeparationSongs);
        EXPECT_EQ(breaking, c.breaks ? std::vector<int>{c.between + 2} : std::vector<int>{}) << c.between;
    }
}

TEST(ScheduleRules, MaxInARowOfTempoCodeAndRating) {
    SchedulingTitle fast = MakeTitle(1, "A", "C", 180, "Fast");
    SchedulingTitle slow = MakeTitle(2, "B", "C", 180, "Slow");
    fast.codes = {"Female"};
    fast.rating = 5;
    const auto fastNo = [&](int id) {
        SchedulingTitle t = fast;
        t.titleId = id;
        t.artist = "Artist " + std::to_string(id);
        return t;
    };
    const struct {
        const char* rule;
        std::vector<bool> fastRows; // true: a fast female rated 5, false: slow
        std::vector<int> breaking;
    } cases[] = {
        {"MaxInARow=Tempo Fast 2", {true, true}, {}},
        {"MaxInARow=Tempo Fast 2", {true, true, true}, {3}},
        {"MaxInARow=Tempo fast 2", {true, true, false, true, true, true}, {6}},
        {"MaxInARow=Code Female 1", {true, false, true, true}, {4}},
        {"MaxInARow=Rating 5 3", {true, true, true, true}, {4}},
        {"MaxInARow=Tempo Slow 1", {true, true, true}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<SchedulingTitle, double>> rows;
        for (size_t i = 0; i < c.fastRows.size(); ++i) {
            SchedulingTitle t = c.fastRows[i] ? fastNo(static_cast<int>(i) + 10) : slow;
            if (!c.fastRows[i])
                t.titleId = static_cast<int64_t>(i) + 100;
            rows.push_back({t, 200.0 * static_cast<double>(i)});
        }
        EXPECT_EQ(RowsBreaking(rows, c.rule, RuleId::MaxInARow), c.breaking) << c.rule;
    }
}

// A title's dayparts: the hours it may start in, the end hour excluded.
TEST(ScheduleRules, DaypartsAllowOnlyTheTitlesHours) {
    SchedulingTitle morning = MakeTitle(1, "A", "C");
    morning.firstHour = 6;
    morning.endHour = 10;
    const struct {
        double start;
        bool breaks;
    } cases[] = {{5 * 3600 + 3599, true}, {6 * 3600, false}, {9 * 3600 + 3599, false}, {10 * 3600, true}};
    for (const auto& c : cases)
        EXPECT_EQ(RowsBreaking({{morning, c.start}}, "", RuleId::Dayparts).size(), c.breaks ? 1u : 0u)
            << c.start;
    EXPECT_TRUE(RowsBreaking({{morning, 0}}, "Dayparts=0", RuleId::Dayparts).empty());
}

} // namespace
} // namespace corvane
