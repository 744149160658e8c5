#include "PlayListFixture.h"
#include "playlists/PlayListGeneration.h"

#include <map>

namespace corvane {
namespace {

using test::PlayListFixture;

TEST(NumberOfSongsTest, ReadsTheAnswerAsADecimalIntegerOrTen) {
    const std::vector<std::pair<std::optional<std::string>, std::optional<int>>> cases = {
        {"  7  ", 7},        {"7", 7},    {"\t12\t", 12},
        {"seven", 10},       {"", 10},    {"   ", 10},
        {"7 songs", 10},     {"0", 0},    {"-3", -3},
        {"+5", 5},           {"3.5", 10}, {"0x10", 10},
        {"99999999999", 10}, {"--1", 10}, {std::nullopt, std::nullopt},
    };
    for (const auto& [answer, expected] : cases)
        EXPECT_EQ(NumberOfSongs(answer), expected) << (answer ? "\"" + *answer + "\"" : "cancelled");
}

class PlayListGenerationTest : public PlayListFixture {};

// Over many draws every title comes up about equally often: a chi-square
// test at a significance of 1e-4, so a fair draw fails it once in ten
// thousand runs while a draw that favours or misses titles fails it always.
TEST_F(PlayListGenerationTest, DrawsEveryTitleEquallyOften) {
    const auto ids = AddTitles(10);
    constexpr int Draws = 20000;
    GeneratePlayList(data, Draws);
    std::map<int64_t, int> counts;
    int repeats = 0;
    int64_t previous = -1;
    for (int64_t id : TitleIds(data.cdsPlayList)) {
        ++counts[id];
        repeats += id == previous;
        previous = id;
    }
    ASSERT_EQ(counts.size(), ids.size());
    const double expected = Draws / 10.0;
    double chiSquare = 0;
    for (const auto& [id, count] : counts)
        chiSquare += (count - expected) * (count - expected) / expected;
    EXPECT_LT(chiSquare, 33.72); // 9 degrees of freedom, p = 1e-4
    // Independent draws repeat the previous title about one time in ten.
    EXPECT_GT(repeats, Draws / 10 - 400);
    EXPECT_LT(repeats, Draws / 10 + 400);
}

TEST_F(PlayListGenerationTest, EachGenerationDrawsAnew) {
    AddTitles(1000);
    GeneratePlayList(data, 30);
    const auto first = TitleIds(data.cdsPlayList);
    data.cdsPlayList.EmptyDataSet();
    GeneratePlayList(data, 30);
    EXPECT_NE(TitleIds(data.cdsPlayList), first);
}

TEST_F(PlayListGenerationTest, AppendsAfterTheRowsThereAndLeavesTheLibraryWhereItWas) {
    const auto ids = AddTitles(5);
    AddTitle("gone", FileThere::No);
    WritePlayList(Path("unused.ply"), {});
    data.cdsPlayList.Append();
    data.cdsPlayList.FieldByName("TitleID").SetAsInteger(ids[2]);
    data.cdsPlayList.Post();
    data.cdsAudioLibrary.Locate("TitleID", Value(ids[3]));
    const Bookmark libraryRow = data.cdsAudioLibrary.GetBookmark();

    GeneratePlayList(data, 200);

    const auto rows = TitleIds(data.cdsPlayList);
    ASSERT_EQ(rows.size(), 201u);
    EXPECT_EQ(rows.front(), ids[2]);
    // Titles whose file is gone are drawn like any other.
    EXPECT_NE(std::find(rows.begin() + 1, rows.end(), ids.size() + 1), rows.end());
    EXPECT_EQ(data.cdsAudioLibrary.GetBookmark(), libraryRow);
}

TEST_F(PlayListGenerationTest, SmallLibrariesAndCounts) {
    GeneratePlayList(data, 3);
    EXPECT_EQ(TitleIds(data.cdsPlayList), (std::vector<int64_t>{0, 0, 0})) << "empty library";
    EXPECT_EQ(TitleNames(data.cdsPlayList), (std::vector<std::string>{"", "", ""}));
    data.cdsPlayList.EmptyDataSet();

    const int64_t only = AddTitle("only");
    GeneratePlayList(data, 4);
    EXPECT_EQ(TitleIds(data.cdsPlayList), (std::vector<int64_t>(4, only))) << "one title";
    data.cdsPlayList.EmptyDataSet();

    GeneratePlayList(data, 0);
    GeneratePlayList(data, -5);
    EXPECT_EQ(data.cdsPlayList.RecordCount(), 0);
}

} // namespace
} // namespace corvane
