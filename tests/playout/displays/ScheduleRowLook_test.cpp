#include "playout/displays/ScheduleRowLook.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane {
namespace {

TEST(ScheduleRowLook, OnAirNextAndCommercialRows) {
    const RowLook onAir{OnAirRowBackground, OnAirRowText, true};
    const RowLook next{NextRowBackground, NextRowText, true};
    const RowLook commercial{std::nullopt, CommercialRowText, false};
    struct Case {
        int row;
        const char* type;
        int current, next;
        RowLook look;
    };
    const std::vector<Case> cases = {
        {4, "MP3", 4, 5, onAir},
        {5, "WAV", 4, 5, next},
        {5, "AD", 4, 5, next},
        {6, "AD", 4, 5, commercial},
        {6, "MP3", 4, 5, {}},
        // Nothing on air (after stop): no highlighting, commercials stay red.
        {4, "MP3", 0, 0, {}},
        {5, "MP3", 0, 5, {}},
        {6, "AD", 0, 0, commercial},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LookOfRow(c.row, 0, c.type, {c.current, c.next}), c.look) << c.row << c.type << c.current;
}

// Two rows of one play order (a hand-edited schedule): only the row on air is
// lit; without its row known, every row of the item on air is.
TEST(ScheduleRowLook, OnlyTheRowOnAirIsLitWhenTwoShareAPlayOrder) {
    const RowLook onAir{OnAirRowBackground, OnAirRowText, true};
    const PlayingRows playing{4, 5, 12};
    EXPECT_EQ(LookOfRow(4, 11, "MP3", playing), RowLook{});
    EXPECT_EQ(LookOfRow(4, 12, "MP3", playing), onAir);
    EXPECT_EQ(LookOfRow(4, 11, "AD", playing), (RowLook{std::nullopt, CommercialRowText, false}));
    EXPECT_EQ(LookOfRow(4, 11, "MP3", {4, 5, 0}), onAir);
}

TEST(ScheduleRowLook, TypeIcons) {
    EXPECT_STREQ(TypeIconDescription(IconOfType("WAV")), "WAVE Audio File");
    EXPECT_STREQ(TypeIconDescription(IconOfType("BAD")), "Possibly Corrupt Audio");
    EXPECT_STREQ(TypeIconDescription(IconOfType("AD")), "Commercial Advertisement Break");
    EXPECT_STREQ(TypeIconDescription(IconOfType("MP3")), "MPEG Audio File");
    EXPECT_EQ(IconOfType(""), TypeIcon::None);
    EXPECT_EQ(IconOfType("mp3"), TypeIcon::None);
}

} // namespace
} // namespace corvane
