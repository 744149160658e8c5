#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// A display colour as red, green, blue.
struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb RemainingNormalColour{0x00, 0xFF, 0x00};
inline constexpr Rgb RemainingLastSecondsColour{0xFF, 0x00, 0x00};
inline constexpr Rgb ClockColour{0x80, 0xFF, 0xFF};
inline constexpr Rgb CountdownColour{0xFF, 0x00, 0x00};

// The two-digit LED groups the console feeds, each a tens digit (0..5) and a
// units digit shown from one value 0..59.
enum class DigitGroup {
    RemainingMinutes, // BigMM2 BigMM1 and mm2 mm1
    RemainingSeconds, // BigSS2 BigSS1 and ss2 ss1
    ClockHours,       // TimeLed1 TimeLed2
    ClockMinutes,     // TimeLed3 TimeLed4
    ClockSeconds,     // TimeLed5 TimeLed6
    CountdownHours,   // DownLed5 DownLed6
    CountdownMinutes, // DownLed1 DownLed2
    CountdownSeconds, // DownLed3 DownLed4
};

// Dim until the first item is shown, then lit.
enum class DigitLight { Dim, Lit };

// What the item information labels show; all empty when cleared.
struct ItemTexts {
    std::string title;    // lblTitle and lblCurrentItem
    std::string file;     // lblFile
    std::string duration; // lblDuration, "hh:nn:ss"
    friend bool operator==(const ItemTexts&, const ItemTexts&) = default;
};

// What the display rules need of the console window. Main thread.
class DisplayView {
public:
    virtual ~DisplayView() = default;
    virtual void SetItemTexts(const ItemTexts& texts) = 0;
    // Status bar panel 0, emptied with the item information.
    virtual void ClearItemStatus() = 0;
    virtual void SetDigitGroup(DigitGroup group, int value) = 0;
    // The remaining-time digits and the small display's colon.
    virtual void SetRemainingLight(DigitLight light) = 0;
    // The colour of the four big remaining-time digits.
    virtual void SetRemainingColour(Rgb colour) = 0;
};

} // namespace corvane
