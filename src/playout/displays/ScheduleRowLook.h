#pragma once

#include "playout/displays/DisplayView.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane {

// How the schedule grid draws one row: the item on air and the next item are
// highlighted while an item is on air; commercials have red text always.
struct RowLook {
    std::optional<Rgb> background; // unchanged when empty
    std::optional<Rgb> text;       // unchanged when empty
    bool bold = false;
    friend bool operator==(const RowLook&, const RowLook&) = default;
};

inline constexpr Rgb OnAirRowBackground{0x00, 0xFF, 0x00};
inline constexpr Rgb OnAirRowText{0x00, 0x00, 0xFF};
inline constexpr Rgb NextRowBackground{0xFF, 0xB3, 0x66};
inline constexpr Rgb NextRowText{0xFF, 0xFF, 0xFF};
inline constexpr Rgb CommercialRowText{0xFF, 0x00, 0x00};

// The rows lit while an item is on air: the item's ItemPlayOrder and the row
// it was started from (a bookmark; stored schedules can hold two rows of one
// play order, and only the one on air is lit; 0 when not known), and the next
// item's ItemPlayOrder. 0 for none.
struct PlayingRows {
    int currentItem = 0;
    int nextItem = 0;
    uint64_t currentRow = 0;
};

// The look of the row `row` (its bookmark) of play order `itemPlayOrder`.
RowLook LookOfRow(int itemPlayOrder, uint64_t row, std::string_view objectType, const PlayingRows& playing);

// The type column's icon by ObjectType.
enum class TypeIcon { None, Wave, Bad, Commercial, Mpeg };
TypeIcon IconOfType(std::string_view objectType);
// The icon's description ("WAVE Audio File", …); empty for None.
const char* TypeIconDescription(TypeIcon icon);

} // namespace corvane
