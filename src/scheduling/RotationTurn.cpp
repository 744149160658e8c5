#include "scheduling/RotationTurn.h"

namespace corvane {

void RotationTurn::Assign(const std::vector<int>& order) {
    entries_.clear();
    stamps_.clear();
    placeOf_.clear();
    for (const int title : order)
        Add(title);
}

void RotationTurn::Add(int title) {
    const int place = static_cast<int>(stamps_.size());
    placeOf_.emplace(title, place);
    stamps_.push_back(0);
    entries_.push_back({title, place, 0});
}

void RotationTurn::MoveToBack(int title) {
    const auto it = placeOf_.find(title);
    if (it == placeOf_.end())
        return;
    const uint32_t stamp = ++stamps_[static_cast<std::size_t>(it->second)];
    entries_.push_back({title, it->second, stamp});
    while (!entries_.empty() &&
           entries_.front().stamp != stamps_[static_cast<std::size_t>(entries_.front().place)])
        entries_.pop_front();
}

std::vector<int> RotationTurn::InOrder() const {
    std::vector<int> order;
    order.reserve(stamps_.size());
    Walk([&](int title) {
        order.push_back(title);
        return true;
    });
    return order;
}

} // namespace corvane
