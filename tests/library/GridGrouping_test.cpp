#include "library/GridGrouping.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Rows of two columns: 0 the artist, 1 the year.
struct Rows {
    std::vector<std::pair<std::string, std::string>> cells;
    GridGrouping::CellReader Reader() const {
        return [this](int row, int column) {
            const auto& r = cells[static_cast<size_t>(row)];
            return column == 0 ? r.first : r.second;
        };
    }
    int Count() const { return static_cast<int>(cells.size()); }
};

// What the lines show: "[value]" for a group row (indented by level), the row number for a row.
std::vector<std::string> Shown(const GridGrouping& g) {
    std::vector<std::string> out;
    for (int i = 0; i < g.LineCount(); ++i) {
        const GridGrouping::Line line = g.LineAt(i);
        out.push_back(line.group >= 0
                          ? std::string(static_cast<size_t>(line.level), ' ') + "[" +
                                g.GroupAt(line.group).value + "]" + std::to_string(g.GroupAt(line.group).rows)
                          : std::to_string(line.sourceRow));
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(GridGrouping, WithoutColumnsEveryRowIsALine) {
    Rows rows{{{"b", "1"}, {"a", "2"}}};
    GridGrouping g;
    g.Regroup(rows.Count(), rows.Reader());
    EXPECT_EQ(Shown(g), (Lines{"0", "1"}));
    EXPECT_EQ(g.LineOfRow(1), 1);
    EXPECT_EQ(g.LineOfRow(2), -1);
    EXPECT_FALSE(g.Reveal(0));
}

TEST(GridGrouping, GroupsOrderEmptyFirstNumbersByValueTextIgnoringCaseRowsInGridOrder) {
    Rows rows{{{"ABBA", "10"}, {"", "9"}, {"Queen", "9"}, {"abba", "2"}, {"Abba", "x"}, {"queen", ""}}};
    GridGrouping g;
    g.Regroup(rows.Count(), rows.Reader());
    ASSERT_TRUE(g.AddColumn(0, rows.Reader()));
    EXPECT_FALSE(g.AddColumn(0, rows.Reader()));
    // Collapsed at first; a group shows the spelling of its first row.
    EXPECT_EQ(Shown(g), (Lines{"[]1", "[ABBA]3", "[Queen]2"}));
    EXPECT_EQ(g.LineOfRow(3), -1);
    EXPECT_EQ(g.LinesBeneath(1), 3);
    EXPECT_TRUE(g.SetExpanded(1, true));
    EXPECT_FALSE(g.SetExpanded(1, true));
    EXPECT_EQ(Shown(g), (Lines{"[]1", "[ABBA]3", "0", "3", "4", "[Queen]2"}));
    EXPECT_EQ(g.LineOfRow(4), 4);
    EXPECT_FALSE(g.SetExpanded(2, false)); // a row, not a group

    g.Clear();
    g.AddColumn(1, rows.Reader());
    EXPECT_EQ(Shown(g), (Lines{"[]1", "[2]1", "[9]2", "[10]1", "[x]1"}));
}

TEST(GridGrouping, NestedGroupsRevealARowAndKeepTheirStateAcrossARegrouping) {
    Rows rows{{{"Queen", "1977"}, {"ABBA", "1976"}, {"Queen", "1975"}, {"Queen", "1977"}}};
    GridGrouping g;
    g.Regroup(rows.Count(), rows.Reader());
    g.AddColumn(0, rows.Reader());
    g.AddColumn(1, rows.Reader());
    EXPECT_EQ(g.LinesBeneath(1), 2); // two year groups under Queen, collapsed
    EXPECT_TRUE(g.Reveal(3));
    EXPECT_FALSE(g.Reveal(3));
    EXPECT_EQ(Shown(g), (Lines{"[ABBA]1", "[Queen]3", " [1975]1", " [1977]2", "0", "3"}));
    EXPECT_EQ(g.LineOfRow(3), 5);
    EXPECT_EQ(g.LineOfKey(g.LineKey(3)), 3);

    // A title changes its year and another arrives: the open groups stay open.
    rows.cells[0].second = "1975";
    rows.cells.push_back({"ABBA", "1976"});
    g.Regroup(rows.Count(), rows.Reader());
    EXPECT_EQ(Shown(g), (Lines{"[ABBA]2", "[Queen]3", " [1975]2", " [1977]1", "3"}));

    EXPECT_TRUE(g.RemoveColumn(0, rows.Reader()));
    EXPECT_FALSE(g.RemoveColumn(0, rows.Reader()));
    EXPECT_EQ(Shown(g), (Lines{"[1975]2", "[1976]2", "[1977]1"}));
    g.SetAllExpanded(true);
    EXPECT_EQ(Shown(g), (Lines{"[1975]2", "0", "2", "[1976]2", "1", "4", "[1977]1", "3"}));
}

} // namespace
} // namespace corvane
