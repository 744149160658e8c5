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
    void Add(int title) {
        entries_.push_back({title, 0});
        ++size_;
    }
    void MoveToBack(int title);
    // How many titles take turns.
    int Size() const { return size_; }
    // Calls `visit(title)` in turn order until it returns false.
    template <class Visit> void Walk(Visit&& visit) const {
        for (const Entry& entry : entries_) {
            if (entry.stamp == StampOf(entry.title) && !visit(entry.title))
                return;
        }
    }
    std::vector<int> InOrder() const;

private:
    struct Entry {
        int title;
        uint32_t stamp; // the title's move count when this entry was made
    };
    uint32_t StampOf(int title) const {
        const auto it = stamps_.find(title);
        return it == stamps_.end() ? 0 : it->second;
    }

    std::deque<Entry> entries_;
    std::unordered_map<int, uint32_t> stamps_; // titles moved at least once
    int size_ = 0;
};

} // namespace corvane
