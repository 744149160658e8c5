#pragma once

#include "platform/DateTime.h"

#include <string>
#include <vector>

namespace corvane {

class Table;

// The recently saved play lists, kept in PlayListHistory ("plhist.cds"): one
// row per path, with the time it was last saved. Both the playlist manager
// and the console show them in a "&Recent" menu. Main thread.
class RecentPlayLists {
public:
    // The most entries a "&Recent" menu lists.
    static constexpr int MaxEntries = 15;
    // The one disabled item of a menu without entries.
    static constexpr const char* EmptyCaption = "<< Empty >>";
    // The manager's menu item that empties the list (the console has none).
    static constexpr const char* ClearCaption = "&Clear Recent List";
    static constexpr const char* ClearQuestion =
        "Are you sure you want to clear list of recently used files?";

    explicit RecentPlayLists(Table& history) : history_(history) {}

    // Up to MaxEntries paths, the most recently saved first. The table's own
    // order and cursor are left as they were.
    std::vector<std::string> Entries();
    // Records a save of `path` at `savedAt`: the row of the same path (letter
    // case ignored) gets the new time and spelling, else a row is added.
    void Remember(const std::string& path, TDateTime savedAt);
    // Forgets every entry.
    void Clear();

private:
    Table& history_;
};

} // namespace corvane
