#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace corvane {

// What the item display, the remaining-time digits and the progress gauge
// show: the audio as the listener hears it. The output keeps a second or so of
// mixed audio queued ahead of the speakers, so a deck is read that far ahead
// of what is heard. Every change on air (an item starting, the item on air
// moved by the transport) is stamped with how much the output had written
// then, on the output's own time line, and takes effect on the displays when
// the output has played that far. Items shorter than the queue are shown in
// their turn. The grid's on-air row and the status text follow the same
// moment as the digits, so every display names what the listener hears.
// Playout's own timing (the automatic cross-fade) keeps working
// from the decks. Main thread; Qt-free.
class HeardItemDisplay {
public:
    struct Item {
        std::string title;
        std::string file;
        int lengthMs = 0;
        // The item's ItemPlayOrder and the one that follows it (0: none), for
        // the schedule grid's on-air and next rows.
        int item = 0;
        int nextItem = 0;
        // The bookmark of the item's row (two rows may share a play order).
        uint64_t row = 0;
    };
    // An item and how far into it (ms).
    struct Place {
        int item = 0;
        int positionMs = 0;
    };
    struct View {
        // An item is heard now; Shown() already names it.
        std::function<void(const Item& item)> ShowItem;
        std::function<void(int remainingMs)> ShowRemaining;
        std::function<void(int percent)> SetGauge;
    };

    explicit HeardItemDisplay(View view) : view_(std::move(view)) {}

    // An item came on air with its deck at `deckPositionMs`; its audio follows
    // the `writtenMs` the output has written so far. With nothing shown, or
    // an output that starts afresh (written 0), it is shown at once.
    void ItemStarted(Item item, int deckPositionMs, int64_t writtenMs);
    // The item on air now plays from `deckPositionMs`, after what is written.
    void Repositioned(int deckPositionMs, int64_t writtenMs);
    // The display tick: how far the output's time line has been heard, and
    // where the deck on air is. Nothing of an item is heard beyond what its
    // deck delivered: a deck faded out under a commercial break stops the
    // countdown where the fade ended, as the break plays on.
    void Tick(int64_t heardMs, int deckPositionMs);
    // The output stopped: nothing is on air.
    void Clear();
    // What the listener hears once the output's time line has been heard up
    // to `heardMs`: the item and its position, across items started since
    // (the output holds the end of one item while the deck is already on
    // the next). None while nothing is on air.
    std::optional<Place> PlaceAt(int64_t heardMs) const;

    const std::optional<Item>& Shown() const { return shown_; }
    // The output's time line (ms) from which the shown item is heard where
    // it is: its start, or where the transport last moved it.
    int64_t ShownSinceMs() const { return shownHeardFromMs_; }

private:
    // A change on air that is not heard yet; no item: the shown one moved.
    struct Change {
        std::optional<Item> item;
        int deckPositionMs = 0;
        int64_t heardFromMs = 0;
    };
    void Apply(Change change);

    View view_;
    std::optional<Item> shown_;
    int shownDeckPositionMs_ = 0;
    int64_t shownHeardFromMs_ = 0;
    std::deque<Change> waiting_;
};

} // namespace corvane
