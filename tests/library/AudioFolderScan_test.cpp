#include "library/AudioFolderScan.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Scan(const std::string& folder) {
    std::vector<std::string> list;
    std::atomic<bool> cancel{false};
    EXPECT_EQ(ScanFolderForAudio(folder, list, cancel), ScanOutcome::Complete);
    return list;
}

TEST(AudioFolderScan, ExtensionsMatchInAnyCase) {
    for (const auto& [name, audio] : std::vector<std::pair<std::string, bool>>{{"a.mp3", true},
                                                                               {"b.WAV", true},
                                                                               {"d.Mp3", true},
                                                                               {".mp3", true},
                                                                               {"c.txt", false},
                                                                               {"x.mp3.txt", false},
                                                                               {"mp3", false},
                                                                               {"e.wave", false}})
        EXPECT_EQ(IsAudioFileName(name), audio) << name;
}

TEST(AudioFolderScan, FindsAudioFilesDepthFirstWhereTheSubFolderIsMet) {
    TempFolder root;
    fs::create_directories(root.File("sub/deeper"));
    for (const char* name : {"a.mp3", "b.WAV", "c.txt", "sub/d.Mp3", "sub/deeper/e.wav", ".hidden.mp3"})
        root.Write(name, "x");
    const auto list = Scan(root.Path());
    std::vector<std::string> expected = {root.File("a.mp3"), root.File("b.WAV"), root.File("sub/d.Mp3"),
                                         root.File("sub/deeper/e.wav"), root.File(".hidden.mp3")};
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()),
              std::set<std::string>(expected.begin(), expected.end()));
    // A sub-folder's files come together, right where the sub-folder was met.
    const auto d = std::find(list.begin(), list.end(), root.File("sub/d.Mp3"));
    const auto e = std::find(list.begin(), list.end(), root.File("sub/deeper/e.wav"));
    ASSERT_NE(d, list.end());
    EXPECT_EQ(std::abs(std::distance(d, e)), 1);
}

TEST(AudioFolderScan, LinkLoopsDanglingLinksAndUnreadableFoldersNeverStopTheWalk) {
    TempFolder root;
    fs::create_directories(root.File("music/locked"));
    root.Write("music/one.mp3", "x");
    root.Write("music/locked/hidden.mp3", "x");
    fs::create_directory_symlink(root.Path(), root.File("music/loop"));
    fs::create_directory_symlink(root.File("music"), root.File("alias"));
    fs::create_symlink(root.File("nowhere.mp3"), root.File("dangling.mp3"));
    fs::create_symlink(root.File("music/one.mp3"), root.File("linked.MP3"));
    fs::permissions(root.File("music/locked"), fs::perms::none);
    const auto list = Scan(root.Path());
    fs::permissions(root.File("music/locked"), fs::perms::owner_all);
    // Each folder is searched once whichever way it is reached; a linked file counts.
    EXPECT_EQ(
        std::count_if(list.begin(), list.end(), [](const std::string& p) { return p.ends_with("one.mp3"); }),
        1);
    EXPECT_NE(std::find(list.begin(), list.end(), root.File("linked.MP3")), list.end());
    if (::geteuid() != 0) // root reads folders whatever their permissions
        EXPECT_EQ(std::find(list.begin(), list.end(), root.File("music/locked/hidden.mp3")), list.end());
    EXPECT_EQ(std::find(list.begin(), list.end(), root.File("dangling.mp3")), list.end());
    EXPECT_TRUE(Scan(root.File("no such folder")).empty());
}

TEST(AudioFolderScan, CancelStopsTheWalkAndCountersFollowIt) {
    TempFolder root;
    fs::create_directories(root.File("a/b"));
    root.Write("a/b/x.wav", "x");
    root.Write("a/y.mp3", "x");
    std::vector<std::string> list;
    ScanCounters counters;
    std::atomic<bool> cancel{false};
    EXPECT_EQ(ScanFolderForAudio(root.Path().string() + "/", list, cancel, &counters), ScanOutcome::Complete);
    EXPECT_EQ(counters.folders.load(), 3);
    EXPECT_EQ(counters.files.load(), 2);
    EXPECT_EQ(list.front().find("//"), std::string::npos); // a trailing '/' is not doubled
    cancel = true;
    list.clear();
    EXPECT_EQ(ScanFolderForAudio(root.Path(), list, cancel), ScanOutcome::Cancelled);
    EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace corvane
