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
        EXPECT_EQ(LookOfRow(c.row, c.type, c.current, c.next), c.look) << c.row << c.type << c.current;
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
