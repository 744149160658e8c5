#include "scheduling/RotationTurn.h"

namespace corvane {

void RotationTurn::Assign(const std::vector<int>& order) {
    entries_.clear();
    stamps_.clear();
    for (const int title : order)
        entries_.push_back({title, 0});
    size_ = static_cast<int>(order.size());
}

void RotationTurn::MoveToBack(int title) {
    const uint32_t stamp = ++stamps_[title];
    entries_.push_back({title, stamp});
    while (!entries_.empty() && entries_.front().stamp != StampOf(entries_.front().title))
        entries_.pop_front();
}

std::vector<int> RotationTurn::InOrder() const {
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(size_));
    Walk([&](int title) {
        order.push_back(title);
        return true;
    });
    return order;
}

} // namespace corvane
