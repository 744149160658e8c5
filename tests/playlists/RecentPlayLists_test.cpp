#include "PlayListFixture.h"
#include "playlists/RecentPlayLists.h"

namespace corvane {
namespace {

class RecentPlayListsTest : public test::PlayListFixture {
protected:
    void SaveAt(const std::string& path, int minute) {
        recent.Remember(path, EncodeDateTime({2026, 3, 1, 10, minute, 0, 0}));
    }
    RecentPlayLists recent{data.PlayListHistory};
};

TEST_F(RecentPlayListsTest, ListsAtMostFifteenPathsNewestFirst) {
    EXPECT_TRUE(recent.Entries().empty());
    for (int i = 0; i < 17; ++i)
        SaveAt("/lists/" + std::to_string(i) + ".ply", i);
    const auto entries = recent.Entries();
    ASSERT_EQ(entries.size(), 15u);
    EXPECT_EQ(entries.front(), "/lists/16.ply");
    EXPECT_EQ(entries.back(), "/lists/2.ply");
    // The table keeps its own order; the newest-first index is gone again.
    EXPECT_EQ(data.PlayListHistory.IndexName(), "");
    EXPECT_TRUE(data.PlayListHistory.Indexes().empty());
}

TEST_F(RecentPlayListsTest, SavingAPathAgainRefreshesItsOneEntry) {
    SaveAt("/lists/Morning.ply", 1);
    SaveAt("/lists/evening.ply", 2);
    SaveAt("/LISTS/morning.PLY", 3);
    EXPECT_EQ(recent.Entries(), (std::vector<std::string>{"/LISTS/morning.PLY", "/lists/evening.ply"}));
    EXPECT_EQ(data.PlayListHistory.StoredRowCount(), 2);
}

TEST_F(RecentPlayListsTest, ClearForgetsEverything) {
    SaveAt("/lists/a.ply", 1);
    recent.Clear();
    EXPECT_TRUE(recent.Entries().empty());
}

} // namespace
} // namespace corvane
