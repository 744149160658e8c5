#include "loudness/LoudnessStore.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::TempFolder;

LoudnessAnalysis Measured(double lufs, std::optional<int> segue) {
    LoudnessAnalysis a;
    a.integratedLufs = lufs;
    a.rangeLu = 4.5;
    a.truePeakDbtp = -1.25;
    a.cueInMs = 120;
    a.cueOutMs = 179500;
    a.segueMs = segue;
    a.durationMs = 180000;
    return a;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// What was measured is there after a restart, "not analysed" with its reason
// too, so a damaged file is not decoded again at every start.
TEST(LoudnessStore, ResultsSurviveARestart) {
    TempFolder folder;
    const auto db = folder.Path() / LoudnessStoreFileName;
    const auto song = (folder.Path() / "song.mp3").string();
    const auto jingle = (folder.Path() / "jingle.wav").string();
    const auto broken = (folder.Path() / "broken.wav").string();
    Write(song, "song");
    Write(jingle, "jingle");
    Write(broken, "broken");
    {
        LoudnessStore store(db);
        store.Save(song, *CurrentFileVersion(song), {Measured(-14.2, 91000), {}});
        store.Save(jingle, *CurrentFileVersion(jingle), {Measured(-9.5, std::nullopt), {}});
        store.Save(broken, *CurrentFileVersion(broken), AnalysisResult::NotAnalysed("the file is silent"));
    }
    LoudnessStore store(db);
    EXPECT_EQ(store.FindAnalysis(song), Measured(-14.2, 91000));
    EXPECT_EQ(store.FindAnalysis(jingle), Measured(-9.5, std::nullopt));
    const auto notAnalysed = store.Find(broken);
    ASSERT_TRUE(notAnalysed);
    EXPECT_FALSE(notAnalysed->Analysed());
    EXPECT_EQ(notAnalysed->reason, "the file is silent");
    EXPECT_FALSE(store.FindAnalysis(broken));
    EXPECT_TRUE(store.NeedsAnalysis((folder.Path() / "never.wav").string()));
}

// A file replaced or changed since it was measured is measured again: its
// old measurement is never applied to the new audio.
TEST(LoudnessStore, AChangedOrReplacedFileNeedsAnalysisAgain) {
    TempFolder folder;
    LoudnessStore store(folder.Path() / LoudnessStoreFileName);
    const auto path = (folder.Path() / "song.wav").string();
    const auto other = (folder.Path() / "other.wav").string();
    Write(path, "first");
    store.Save(path, *CurrentFileVersion(path), {Measured(-14, 1000), {}});
    ASSERT_FALSE(store.NeedsAnalysis(path));

    // Same size, another modification time.
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
    EXPECT_TRUE(store.NeedsAnalysis(path));
    store.Save(path, *CurrentFileVersion(path), {Measured(-14, 1000), {}});
    ASSERT_FALSE(store.NeedsAnalysis(path));

    // Replaced by another file of another size, with the old time.
    const auto time = std::filesystem::last_write_time(path);
    Write(other, "a longer file");
    std::filesystem::last_write_time(other, time);
    std::filesystem::rename(other, path);
    EXPECT_TRUE(store.NeedsAnalysis(path));

    std::filesystem::remove(path);
    EXPECT_TRUE(store.NeedsAnalysis(path));
}

// The store can always be measured again: a damaged one is kept aside and
// the console starts with an empty one instead of failing.
TEST(LoudnessStore, ADamagedStoreIsMovedAsideAndStartedAfresh) {
    TempFolder folder;
    const auto db = folder.Path() / LoudnessStoreFileName;
    Write(db, std::string(4096, '\x5a'));
    const auto path = (folder.Path() / "song.wav").string();
    Write(path, "song");
    LoudnessStore store(db);
    EXPECT_TRUE(store.NeedsAnalysis(path));
    store.Save(path, *CurrentFileVersion(path), {Measured(-20, std::nullopt), {}});
    EXPECT_FALSE(store.NeedsAnalysis(path));
    EXPECT_TRUE(std::filesystem::exists(db.string() + ".damaged"));
}

} // namespace
} // namespace corvane
