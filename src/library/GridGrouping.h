#pragma once

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace corvane {

// The grouping of a grid's rows by the values of one or more of its columns
// (outermost first): every distinct value gets a group row holding the rows
// (or, below the innermost level, the sub-groups) that have it. Values are
// the grid's cell texts; they group and order as the tables compare text
// (letter case ignored), numbers by value, empty first. The rows of a group
// keep the grid's own order. A group shows what it holds only while it is
// expanded; groups start collapsed and keep their state across a regrouping
// by their values, so a changed title does not fold the grid up.
//
// The grid shows "lines": group rows and the rows of expanded groups.
// Without a grouping column every row is a line of its own. Main thread.
class GridGrouping {
public:
    struct Line {
        int level = 0;      // a group row's depth (0 outermost); a row: the number of levels
        int group = -1;     // a group row's group, else -1
        int sourceRow = -1; // a row's row in the ungrouped grid, else -1
    };
    struct Group {
        int level = 0;
        std::string value; // as the first of its rows has it
        int rows = 0;      // rows held, at every depth below
        bool expanded = false;
    };
    // Reads the cell of a row in a column of the ungrouped grid.
    using CellReader = std::function<std::string(int row, int column)>;

    const std::vector<int>& Columns() const { return columns_; }
    bool Active() const { return !columns_.empty(); }
    // Changing the columns regroups the rows of the last regrouping, read
    // with `cells`. Adding a column already grouped by, or removing one not
    // grouped by, changes nothing and returns false.
    bool AddColumn(int column, const CellReader& cells);
    bool RemoveColumn(int column, const CellReader& cells);
    void Clear();

    // Reads the grouped columns of `rowCount` rows afresh.
    void Regroup(int rowCount, const CellReader& cells);
    // The same grouping (columns, open groups) of rows read afresh, this one unchanged.
    GridGrouping Regrouped(int rowCount, const CellReader& cells) const;

    int LineCount() const;
    Line LineAt(int line) const;
    const Group& GroupAt(int group) const { return groups_[static_cast<size_t>(group)].head; }
    bool IsGroupLine(int line) const { return LineAt(line).group >= 0; }
    // The line showing a row; -1 when it is inside a collapsed group or
    // out of range.
    int LineOfRow(int sourceRow) const;
    // What a line shows, as a key that survives a regrouping ("" for none):
    // a group by its values down to its level, a row by its row.
    std::string LineKey(int line) const;
    int LineOfKey(const std::string& key) const;

    // The lines an expanded group line would show beneath it (0 for a row).
    int LinesBeneath(int line) const;
    // Expands or collapses the group of a group line; false when nothing changes.
    bool SetExpanded(int line, bool expanded);
    void SetAllExpanded(bool expanded);
    // Expands the groups holding a row so that it shows; false when they all were.
    bool Reveal(int sourceRow);

private:
    struct Node {
        Group head;
        std::string key; // folded values down to this level, separated
        int parent = -1;
        std::vector<int> children; // groups one level deeper
        int begin = 0, end = 0;    // its rows in order_
    };

    void Build(int rowCount, const CellReader& cells);
    void Flatten();
    void FlattenGroup(int group);
    int CountBeneath(const Node& node) const;

    std::vector<int> columns_;
    int rowCount_ = 0;
    std::vector<int> order_; // rows ordered by their groups
    std::vector<Node> groups_;
    std::vector<int> roots_;
    std::vector<int> rowGroup_; // innermost group of each row
    std::unordered_set<std::string> expandedKeys_;
    std::vector<Line> lines_;
    std::vector<int> lineOfRow_;
};

} // namespace corvane
