#include "scheduling/ArtistNames.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(ArtistNames, CreditsSplitAndFoldToTheSameArtists) {
    const struct {
        const char* credit;
        std::vector<std::string> artists;
    } cases[] = {
        {"The Beatles", {"beatles"}},
        {"  the   BEATLES ", {"beatles"}},
        {"A feat. B", {"a", "b"}},
        {"A Feat. B", {"a", "b"}},
        {"A ft. B & C", {"a", "b", "c"}},
        {"A featuring B", {"a", "b"}},
        {"A, B / C", {"a", "b", "c"}},
        {"A vs. The B", {"a", "b"}},
        {"A&B", {"a", "b"}},
        {"A & A", {"a"}},
        {"The The", {"the"}},         // a band called "The The" keeps its second word
        {"Theodore", {"theodore"}},   // "The" only as a word of its own
        {"Daft Punk", {"daft punk"}}, // "ft" inside a word is no separator
        {"Left.Featherweight", {"left.featherweight"}},
        {"", {}},
        {" & , / ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalisedArtists(c.credit), c.artists) << c.credit;
}

TEST(ArtistNames, TitlesAndAlbumsFoldCaseAndBlanksOnly) {
    EXPECT_EQ(NormalisedName("  Let  It BE "), "let it be");
    EXPECT_EQ(NormalisedName("A feat. B"), "a feat. b");
}

} // namespace
} // namespace corvane
