#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

namespace corvane {

// The titles of one category in turn, next due first. Sending a title to the
// back costs the same for ten titles as for a million: its old place stays
// as a stale entry, skipped by a walk and dropped once it reaches the front.
class RotationTurn {
public:
    // The titles in this order, next due first.
    void Assign(const std::vector<int>& order);
    void Add(int title);
    void MoveToBack(int title);
    // How many titles take turns.
    int Size() const { return static_cast<int>(stamps_.size()); }
    // Calls `visit(title)` in turn order until it returns false.
    template <class Visit> void Walk(Visit&& visit) const {
        for (const Entry& entry : entries_) {
            if (entry.stamp == stamps_[static_cast<std::size_t>(entry.place)] && !visit(entry.title))
                return;
        }
    }
    std::vector<int> InOrder() const;

private:
    struct Entry {
        int title;
        int place;      // the title's own number in this turn
        uint32_t stamp; // the title's move count when this entry was made
    };

    std::deque<Entry> entries_;
    std::vector<uint32_t> stamps_;         // each title's move count, by its place
    std::unordered_map<int, int> placeOf_; // title → place
};

} // namespace corvane
