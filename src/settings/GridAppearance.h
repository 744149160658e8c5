#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// A colour as the settings file stores it: 0x00BBGGRR for a plain colour, or
// 0x80000000 plus the index of a system colour (negative when read as int32).
using TColor = int32_t;

inline constexpr TColor SystemColorFlag = static_cast<TColor>(0x80000000u);
inline constexpr int SystemColorButtonFace = 15;
inline constexpr int SystemColorWindowText = 8;

constexpr bool IsSystemColor(TColor c) {
    return (c & SystemColorFlag) != 0;
}
constexpr int SystemColorIndex(TColor c) {
    return static_cast<int>(static_cast<uint32_t>(c) & 0xFFu);
}
constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index));
}
constexpr TColor RgbColor(int red, int green, int blue) {
    return static_cast<TColor>((static_cast<uint32_t>(blue & 0xFF) << 16) |
                               (static_cast<uint32_t>(green & 0xFF) << 8) |
                               static_cast<uint32_t>(red & 0xFF));
}
constexpr int Red(TColor c) {
    return static_cast<int>(static_cast<uint32_t>(c) & 0xFFu);
}
constexpr int Green(TColor c) {
    return static_cast<int>((static_cast<uint32_t>(c) >> 8) & 0xFFu);
}
constexpr int Blue(TColor c) {
    return static_cast<int>((static_cast<uint32_t>(c) >> 16) & 0xFFu);
}

// A font of the schedule grid, sizes in points.
struct GridFont {
    std::string name = "MS Sans Serif";
    int32_t size = 8;
    TColor color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    friend bool operator==(const GridFont&, const GridFont&) = default;
};

// The schedule grid's appearance; the defaults are its built-in look, which
// "&Restore Defaults" of the Display Setup window brings back.
struct GridAppearance {
    bool showGridLines = false;
    TColor color = 16774632;
    GridFont font;
    bool showHeader = true;
    TColor headerColor = SystemColor(SystemColorButtonFace);
    GridFont headerFont{"MS Sans Serif", 8, SystemColor(SystemColorWindowText)};
    int rowHeight = 16; // pixels; not kept in the settings file
    friend bool operator==(const GridAppearance&, const GridAppearance&) = default;
};

} // namespace corvane
