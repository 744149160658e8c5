#include "data/facts/Id3Genres.h"
#include "data/facts/Mp3Tag.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>

namespace corvane {
namespace {

std::array<uint8_t, 128> Trailer(const char* title, const char* year, uint8_t genre, uint8_t b125 = 0,
                                 uint8_t b126 = 0) {
    std::array<uint8_t, 128> t{};
    std::memcpy(t.data(), "TAG", 3);
    std::memcpy(t.data() + 3, title, std::min<size_t>(std::strlen(title), 30));
    std::memcpy(t.data() + 33, "Artist", 6);
    std::memcpy(t.data() + 63, "Album", 5);
    std::memcpy(t.data() + 93, year, std::min<size_t>(std::strlen(year), 4));
    std::memcpy(t.data() + 97, "Comment", 7);
    t[125] = b125;
    t[126] = b126;
    t[127] = genre;
    return t;
}

TEST(Mp3Tag, ItemsYearsGenresAndTracks) {
    struct Case {
        const char* what;
        std::array<uint8_t, 128> trailer;
        const char* title;
        std::optional<int> year;
        const char* genre;
        const char* track;
    };
    const Case cases[] = {
        {"plain", Trailer("Song", "1998", 17, 0, 5), "Song", 1998, "Rock", "5"},
        {"blank title", Trailer("", "2001", 0), "", 2001, "Blues", "0"},
        {"title fills its slot", Trailer("ABCDEFGHIJKLMNOPQRSTUVWXYZ    ", "98", 30),
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ    ", 98, "Fusion", "0"},
        {"year after spaces", Trailer("x", "  98", 84), "x", 98, "Fusion", "0"},
        {"year of spaces", Trailer("x", "    ", 125), "x", std::nullopt, "Dance Hall", "0"},
        {"year not a number", Trailer("x", "19x8", 126), "x", std::nullopt, "", "0"},
        {"genre 255", Trailer("x", "", 255), "x", std::nullopt, "", "0"},
        {"comment running into the track bytes", Trailer("x", "2000", 1, 'a', 'b'), "x", 2000, "Classic Rock",
         "0"},
    };
    for (const auto& c : cases) {
        const auto tag = ParseMp3Tag(c.trailer);
        ASSERT_TRUE(tag) << c.what;
        EXPECT_EQ(tag->title, c.title) << c.what;
        EXPECT_EQ(tag->ReleaseYear(), c.year) << c.what;
        EXPECT_EQ(tag->genre, c.genre) << c.what;
        EXPECT_EQ(tag->track, c.track) << c.what;
        EXPECT_EQ(tag->artist, "Artist");
        EXPECT_EQ(tag->album, "Album");
        EXPECT_EQ(tag->comment, "Comment");
    }
}

TEST(Mp3Tag, TrailerWithoutTagMarkIsNoTag) {
    auto t = Trailer("x", "", 0);
    t[0] = 't';
    EXPECT_FALSE(ParseMp3Tag(t));
    EXPECT_FALSE(ParseMp3Tag(std::array<uint8_t, 128>{}));
}

TEST(Mp3Tag, TextIsDecodedFromWindows1252) {
    // "Café – €5" with the code page's é (0xE9), en dash (0x96), euro (0x80)
    // and one of its undefined bytes (0x81).
    const char title[] = {'C', 'a', 'f', '\xE9', ' ', '\x96', ' ', '\x80', '5', '\x81', 0};
    const auto tag = ParseMp3Tag(Trailer(title, "", 0));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "Caf\u00e9 \u2013 \u20ac5\u0081");
}

TEST(Id3Genres, TableHasTheNamesInOrder) {
    EXPECT_EQ(Id3GenreName(0), "Blues");
    EXPECT_EQ(Id3GenreName(67), "Psychadelic");
    EXPECT_EQ(Id3GenreName(80), "Folk");
    EXPECT_EQ(Id3GenreName(125), "Dance Hall");
    EXPECT_EQ(Id3GenreName(126), "");
    EXPECT_EQ(Id3GenreName(-1), "");
}

} // namespace
} // namespace corvane
