#include "library/GridGrouping.h"

#include "data/Value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace corvane {
namespace {

// A cell's value as it groups: empty, a number, or text without letter case.
struct CellKey {
    std::string text;   // as the cell shows it
    std::string folded; // what groups: the number written one way, or the text folded
    bool numeric = false;
    double number = 0;
};

CellKey KeyOf(std::string text) {
    CellKey key;
    double number = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, number);
    // Not-a-number would not order; infinities are not what a grid means.
    if (!text.empty() && error == std::errc() && at == end && std::isfinite(number)) {
        key.numeric = true;
        key.number = number;
        char canonical[32];
        std::snprintf(canonical, sizeof canonical, "%.17g", number);
        key.folded = canonical;
    } else {
        key.folded = FoldCase(text);
    }
    key.text = std::move(text);
    return key;
}

// Empty first, then numbers by value, then text.
int Compare(const CellKey& a, const CellKey& b) {
    if (a.text.empty() || b.text.empty())
        return static_cast<int>(!a.text.empty()) - static_cast<int>(!b.text.empty());
    if (a.numeric != b.numeric)
        return a.numeric ? -1 : 1;
    if (a.numeric)
        return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    return a.folded.compare(b.folded) < 0 ? -1 : (a.folded == b.folded ? 0 : 1);
}

constexpr char KeySeparator = '\x1f';

} // namespace

bool GridGrouping::AddColumn(int column, const CellReader& cells) {
    if (std::find(columns_.begin(), columns_.end(), column) != columns_.end())
        return false;
    columns_.push_back(column);
    Regroup(rowCount_, cells);
    return true;
}

bool GridGrouping::RemoveColumn(int column, const CellReader& cells) {
    const auto at = std::find(columns_.begin(), columns_.end(), column);
    if (at == columns_.end())
        return false;
    columns_.erase(at);
    Regroup(rowCount_, cells);
    return true;
}

void GridGrouping::Clear() {
    columns_.clear();
    expandedKeys_.clear();
    Regroup(rowCount_, {});
}

void GridGrouping::Regroup(int rowCount, const CellReader& cells) {
    rowCount_ = std::max(rowCount, 0);
    groups_.clear();
    roots_.clear();
    order_.clear();
    rowGroup_.clear();
    lines_.clear();
    lineOfRow_.clear();
    if (!Active())
        return;
    Build(rowCount_, cells);
    Flatten();
}

GridGrouping GridGrouping::Regrouped(int rowCount, const CellReader& cells) const {
    GridGrouping next;
    next.columns_ = columns_;
    next.expandedKeys_ = expandedKeys_;
    next.Regroup(rowCount, cells);
    return next;
}

void GridGrouping::Build(int rowCount, const CellReader& cells) {
    const size_t levels = columns_.size();
    const auto at = [&](int row, size_t level) { return static_cast<size_t>(row) * levels + level; };
    // Each distinct value is kept once (as the first row in grid order has
    // it) and ordered once; a row carries only the rank of its value.
    std::vector<int> rank(static_cast<size_t>(rowCount) * levels);
    std::vector<std::vector<CellKey>> values(levels);
    for (size_t level = 0; level < levels; ++level) {
        std::unordered_map<std::string, int> idOf;
        std::vector<CellKey>& distinct = values[level];
        for (int row = 0; row < rowCount; ++row) {
            CellKey key = KeyOf(cells(row, columns_[level]));
            const auto [known, added] = idOf.try_emplace(key.folded, static_cast<int>(distinct.size()));
            if (added)
                distinct.push_back(std::move(key));
            rank[at(row, level)] = known->second;
        }
        std::vector<int> byValue(distinct.size());
        std::iota(byValue.begin(), byValue.end(), 0);
        std::sort(byValue.begin(), byValue.end(), [&](int a, int b) {
            return Compare(distinct[static_cast<size_t>(a)], distinct[static_cast<size_t>(b)]) < 0;
        });
        std::vector<int> rankOfId(distinct.size());
        for (size_t r = 0; r < byValue.size(); ++r)
            rankOfId[static_cast<size_t>(byValue[r])] = static_cast<int>(r);
        for (int row = 0; row < rowCount; ++row)
            rank[at(row, level)] = rankOfId[static_cast<size_t>(rank[at(row, level)])];
        std::vector<CellKey> ordered;
        ordered.reserve(distinct.size());
        for (const int id : byValue)
            ordered.push_back(std::move(distinct[static_cast<size_t>(id)]));
        distinct = std::move(ordered);
    }
    order_.resize(static_cast<size_t>(rowCount));
    std::iota(order_.begin(), order_.end(), 0);
    // Stable: the rows of a group keep the grid's order.
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        for (size_t level = 0; level < levels; ++level)
            if (rank[at(a, level)] != rank[at(b, level)])
                return rank[at(a, level)] < rank[at(b, level)];
        return false;
    });
    rowGroup_.assign(static_cast<size_t>(rowCount), -1);

    std::function<void(int, int, size_t, int)> buildLevel;
    buildLevel = [&](int begin, int end, size_t level, int parent) {
        for (int i = begin; i < end;) {
            const int value = rank[at(order_[static_cast<size_t>(i)], level)];
            int j = i + 1;
            while (j < end && rank[at(order_[static_cast<size_t>(j)], level)] == value)
                ++j;
            const CellKey& first = values[level][static_cast<size_t>(value)];
            Node node;
            node.head.level = static_cast<int>(level);
            node.head.value = first.text;
            node.head.rows = j - i;
            node.key =
                (parent >= 0 ? groups_[static_cast<size_t>(parent)].key + KeySeparator : std::string()) +
                first.folded;
            node.head.expanded = expandedKeys_.contains(node.key);
            node.parent = parent;
            node.begin = i;
            node.end = j;
            const int index = static_cast<int>(groups_.size());
            groups_.push_back(std::move(node));
            (parent >= 0 ? groups_[static_cast<size_t>(parent)].children : roots_).push_back(index);
            if (level + 1 < levels)
                buildLevel(i, j, level + 1, index);
            else
                for (int k = i; k < j; ++k)
                    rowGroup_[static_cast<size_t>(order_[static_cast<size_t>(k)])] = index;
            i = j;
        }
    };
    buildLevel(0, rowCount, 0, -1);
}

void GridGrouping::Flatten() {
    lines_.clear();
    lineOfRow_.assign(static_cast<size_t>(rowCount_), -1);
    for (const int root : roots_)
        FlattenGroup(root);
}

void GridGrouping::FlattenGroup(int group) {
    const Node& node = groups_[static_cast<size_t>(group)];
    lines_.push_back({node.head.level, group, -1});
    if (!node.head.expanded)
        return;
    if (!node.children.empty()) {
        for (const int child : node.children)
            FlattenGroup(child);
        return;
    }
    const int levels = static_cast<int>(columns_.size());
    for (int k = node.begin; k < node.end; ++k) {
        const int row = order_[static_cast<size_t>(k)];
        lineOfRow_[static_cast<size_t>(row)] = static_cast<int>(lines_.size());
        lines_.push_back({levels, -1, row});
    }
}

int GridGrouping::LineCount() const {
    return Active() ? static_cast<int>(lines_.size()) : rowCount_;
}

GridGrouping::Line GridGrouping::LineAt(int line) const {
    if (line < 0 || line >= LineCount())
        return {};
    if (!Active())
        return {0, -1, line};
    return lines_[static_cast<size_t>(line)];
}

int GridGrouping::LineOfRow(int sourceRow) const {
    if (sourceRow < 0 || sourceRow >= rowCount_)
        return -1;
    return Active() ? lineOfRow_[static_cast<size_t>(sourceRow)] : sourceRow;
}

std::string GridGrouping::LineKey(int line) const {
    const Line shown = LineAt(line);
    if (shown.group >= 0)
        return "g" + groups_[static_cast<size_t>(shown.group)].key;
    if (shown.sourceRow >= 0)
        return "r" + std::to_string(shown.sourceRow);
    return {};
}

int GridGrouping::LineOfKey(const std::string& key) const {
    if (key.empty())
        return -1;
    if (key[0] == 'r')
        return LineOfRow(std::stoi(key.substr(1)));
    const std::string_view group = std::string_view(key).substr(1);
    const auto at = std::find_if(lines_.begin(), lines_.end(), [&](const Line& line) {
        return line.group >= 0 && groups_[static_cast<size_t>(line.group)].key == group;
    });
    return at == lines_.end() ? -1 : static_cast<int>(at - lines_.begin());
}

int GridGrouping::CountBeneath(const Node& node) const {
    if (node.children.empty())
        return node.head.rows;
    int count = 0;
    for (const int child : node.children) {
        const Node& sub = groups_[static_cast<size_t>(child)];
        count += 1 + (sub.head.expanded ? CountBeneath(sub) : 0);
    }
    return count;
}

int GridGrouping::LinesBeneath(int line) const {
    const Line shown = LineAt(line);
    return shown.group >= 0 ? CountBeneath(groups_[static_cast<size_t>(shown.group)]) : 0;
}

bool GridGrouping::SetExpanded(int line, bool expanded) {
    const Line shown = LineAt(line);
    if (shown.group < 0)
        return false;
    Node& node = groups_[static_cast<size_t>(shown.group)];
    if (node.head.expanded == expanded)
        return false;
    node.head.expanded = expanded;
    if (expanded)
        expandedKeys_.insert(node.key);
    else
        expandedKeys_.erase(node.key);
    Flatten();
    return true;
}

void GridGrouping::SetAllExpanded(bool expanded) {
    expandedKeys_.clear();
    for (Node& node : groups_) {
        node.head.expanded = expanded;
        if (expanded)
            expandedKeys_.insert(node.key);
    }
    if (Active())
        Flatten();
}

bool GridGrouping::Reveal(int sourceRow) {
    if (!Active() || sourceRow < 0 || sourceRow >= rowCount_)
        return false;
    bool changed = false;
    for (int group = rowGroup_[static_cast<size_t>(sourceRow)]; group >= 0;
         group = groups_[static_cast<size_t>(group)].parent) {
        Node& node = groups_[static_cast<size_t>(group)];
        if (!node.head.expanded) {
            node.head.expanded = true;
            expandedKeys_.insert(node.key);
            changed = true;
        }
    }
    if (changed)
        Flatten();
    return changed;
}

} // namespace corvane
