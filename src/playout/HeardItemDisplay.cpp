#include "playout/HeardItemDisplay.h"

#include <algorithm>

namespace corvane {

void HeardItemDisplay::ItemStarted(Item item, int deckPositionMs, int64_t writtenMs) {
    Change change{std::move(item), deckPositionMs, writtenMs};
    if (!shown_ || writtenMs <= 0) {
        waiting_.clear();
        Apply(std::move(change));
        return;
    }
    waiting_.push_back(std::move(change));
}

void HeardItemDisplay::Repositioned(int deckPositionMs, int64_t writtenMs) {
    if (shown_)
        waiting_.push_back({std::nullopt, deckPositionMs, writtenMs});
}

void HeardItemDisplay::Tick(int64_t heardMs, int deckPositionMs) {
    while (!waiting_.empty() && waiting_.front().heardFromMs <= heardMs) {
        Apply(std::move(waiting_.front()));
        waiting_.pop_front();
    }
    if (!shown_)
        return;
    const int length = shown_->lengthMs;
    int64_t heard = shownDeckPositionMs_ + (heardMs - shownHeardFromMs_);
    // While a change waits, the deck on air already serves what comes next.
    if (waiting_.empty())
        heard = std::min<int64_t>(heard, deckPositionMs);
    const auto position = static_cast<int>(std::clamp<int64_t>(heard, 0, std::max(length, 0)));
    if (view_.ShowRemaining)
        view_.ShowRemaining(length - position);
    if (view_.SetGauge && length > 0)
        view_.SetGauge(static_cast<int>((int64_t{position} * 100 + length / 2) / length));
}

void HeardItemDisplay::Clear() {
    shown_.reset();
    waiting_.clear();
}

std::optional<HeardItemDisplay::Place> HeardItemDisplay::PlaceAt(int64_t heardMs) const {
    const Item* item = shown_ ? &*shown_ : nullptr;
    int64_t deckPosition = shownDeckPositionMs_;
    int64_t heardFrom = shownHeardFromMs_;
    for (const Change& change : waiting_) {
        if (change.heardFromMs > heardMs)
            break;
        if (change.item)
            item = &*change.item;
        deckPosition = change.deckPositionMs;
        heardFrom = change.heardFromMs;
    }
    if (item == nullptr)
        return std::nullopt;
    const int64_t position = deckPosition + (heardMs - heardFrom);
    return Place{item->item, static_cast<int>(std::clamp<int64_t>(position, 0, std::max(item->lengthMs, 0)))};
}

void HeardItemDisplay::Apply(Change change) {
    shownDeckPositionMs_ = change.deckPositionMs;
    shownHeardFromMs_ = change.heardFromMs;
    if (!change.item)
        return;
    shown_ = std::move(change.item);
    if (view_.ShowItem)
        view_.ShowItem(*shown_);
}

} // namespace corvane
