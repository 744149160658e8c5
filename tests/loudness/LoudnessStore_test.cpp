#include "loudness/LoudnessStore.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>

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

// Runs `sql` on the store's file through a connection of its own, as another
// program (or a hand) would.
void Tamper(const std::filesystem::path& db, const std::string& sql) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    char* error = nullptr;
    const int result = sqlite3_exec(other, sql.c_str(), nullptr, nullptr, &error);
    const std::string text = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(other);
    ASSERT_EQ(result, SQLITE_OK) << text;
}

// Figures a meter cannot give, and cue points that do not fit the title, are
// never applied: the title counts as not measured (it plays whole, at unity)
// and is measured again.
TEST(LoudnessStore, StoredFiguresThatDoNotFitAreNeverApplied) {
    const struct {
        const char* what;
        const char* set;
    } cases[] = {
        {"cue-in after cue-out", "CueInMs = 170000, CueOutMs = 1000"},
        {"a negative cue-in", "CueInMs = -5000"},
        {"cue-out beyond the end", "CueOutMs = 900000"},
        {"a segue beyond cue-out", "SegueMs = 179900"},
        {"a segue before the start", "SegueMs = -1"},
        {"no length", "DurationMs = 0"},
        {"a cue point beyond any int", "CueOutMs = 5000000000, DurationMs = 5000000001"},
        {"an absurdly quiet loudness", "IntegratedLufs = -1e308"},
        {"a loudness above anything a file holds", "IntegratedLufs = 40"},
        {"an empty loudness", "IntegratedLufs = NULL"},
        {"an empty true peak", "TruePeakDbtp = NULL"},
        {"a loudness far above the true peak", "IntegratedLufs = -3, TruePeakDbtp = -30"},
        {"a loudness that is text", "IntegratedLufs = 'loud'"},
        {"a negative loudness range", "RangeLu = -4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const auto db = folder.Path() / LoudnessStoreFileName;
        const auto path = (folder.Path() / "song.mp3").string();
        Write(path, "song");
        {
            LoudnessStore store(db);
            store.Save(path, *CurrentFileVersion(path), {Measured(-14.2, 91000), {}});
            ASSERT_EQ(store.FindAnalysis(path), Measured(-14.2, 91000));
        }
        Tamper(db, std::string("UPDATE TitleLoudness SET ") + c.set);
        LoudnessStore store(db);
        EXPECT_FALSE(store.FindAnalysis(path));
        EXPECT_TRUE(store.NeedsAnalysis(path));
    }
}

// A file rewritten with other audio of the same size, its modification time
// put back (a copy that keeps times), is not the file that was measured.
TEST(LoudnessStore, AFileRewrittenWithTheSameSizeAndTimeNeedsAnalysisAgain) {
    TempFolder folder;
    LoudnessStore store(folder.Path() / LoudnessStoreFileName);
    const auto path = (folder.Path() / "song.wav").string();
    const struct {
        const char* what;
        size_t from, length;
    } rewrites[] = {{"all of it", 0, 300000}, {"its head", 0, 100}, {"its tail", 299900, 100}};
    for (const auto& r : rewrites) {
        SCOPED_TRACE(r.what);
        Write(path, std::string(300000, 'a'));
        const auto time = std::filesystem::last_write_time(path);
        store.Save(path, *CurrentFileVersion(path), {Measured(-60, std::nullopt), {}});
        ASSERT_FALSE(store.NeedsAnalysis(path));
        std::string content(300000, 'a');
        content.replace(r.from, r.length, std::string(r.length, 'b'));
        Write(path, content);
        std::filesystem::last_write_time(path, time);
        EXPECT_TRUE(store.NeedsAnalysis(path));
    }
}

// A store whose table has another layout (another program's, an older or
// newer one not known here) cannot be used as it is: it is moved aside and
// started afresh, never read or written as if it were this one.
TEST(LoudnessStore, AStoreOfAnotherLayoutIsMovedAsideAndStartedAfresh) {
    const char* layouts[] = {"CREATE TABLE TitleLoudness (Path TEXT PRIMARY KEY, Gain REAL)",
                             "CREATE TABLE Other (Id INTEGER)"};
    for (const char* layout : layouts) {
        SCOPED_TRACE(layout);
        TempFolder folder;
        const auto db = folder.Path() / LoudnessStoreFileName;
        Tamper(db, layout);
        const auto path = (folder.Path() / "song.wav").string();
        Write(path, "song");
        LoudnessStore store(db);
        EXPECT_NO_THROW(store.Save(path, *CurrentFileVersion(path), {Measured(-20, std::nullopt), {}}));
        EXPECT_EQ(store.FindAnalysis(path), Measured(-20, std::nullopt));
        EXPECT_TRUE(std::filesystem::exists(db.string() + ".damaged"));
    }
}

// A healthy store another program holds locked is not damaged: it is left as
// it is (the run goes without it, and says so) and its measurements are there
// once the lock is gone. A damaged store is moved aside, told, and every
// earlier damaged copy is kept.
TEST(LoudnessStore, ABusyStoreIsLeftAsItIsAndDamagedOnesKeepEveryEarlierCopy) {
    TempFolder folder;
    const auto db = folder.Path() / LoudnessStoreFileName;
    const auto path = (folder.Path() / "song.wav").string();
    Write(path, "song");
    {
        LoudnessStore store(db);
        store.Save(path, *CurrentFileVersion(path), {Measured(-20, std::nullopt), {}});
    }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        LoudnessStore busy(db, std::chrono::milliseconds(100));
        EXPECT_FALSE(busy.Usable());
        EXPECT_NE(busy.Notice().find("in use by another program"), std::string::npos) << busy.Notice();
        EXPECT_FALSE(busy.FindAnalysis(path));
        EXPECT_NO_THROW(busy.Save(path, *CurrentFileVersion(path), {Measured(-9, std::nullopt), {}}));
    }
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_FALSE(std::filesystem::exists(db.string() + ".damaged"));
    {
        LoudnessStore store(db);
        EXPECT_EQ(store.Notice(), "");
        EXPECT_EQ(store.FindAnalysis(path), Measured(-20, std::nullopt));
    }

    const std::string copies[] = {".damaged", ".damaged.1", ".damaged.2"};
    for (const std::string& copy : copies) {
        Write(db, "not a database: " + copy + std::string(4096, 'z'));
        LoudnessStore store(db);
        EXPECT_NE(store.Notice().find("was damaged"), std::string::npos) << store.Notice();
        EXPECT_NE(store.Notice().find(db.string() + copy), std::string::npos) << store.Notice();
    }
    for (const std::string& copy : copies)
        EXPECT_EQ(testing::ReadText(db.string() + copy).substr(0, 16 + copy.size()),
                  "not a database: " + copy);
}

// A measurement fits the file a deck opened only when the lengths agree (a
// second's slack, or 2 % of a long title) and cue-out lies within it.
TEST(LoudnessStore, AMeasurementFitsOnlyTheLengthItWasTakenFrom) {
    const struct {
        int durationMs, cueOutMs, loadedMs;
        bool fits;
    } cases[] = {{180000, 179500, 180000, true},     {180000, 179500, 180900, true},
                 {180000, 180000, 179200, true},     {180000, 179500, 60000, false},
                 {180000, 179500, 0, false},         {7200000, 7190000, 7230000, true},
                 {7200000, 7190000, 7400000, false}, {3000, 2900, 1500, false}};
    for (const auto& c : cases) {
        LoudnessAnalysis a = Measured(-20, std::nullopt);
        a.durationMs = c.durationMs;
        a.cueOutMs = c.cueOutMs;
        EXPECT_EQ(FitsLoadedLength(a, c.loadedMs), c.fits)
            << c.durationMs << " " << c.cueOutMs << " " << c.loadedMs;
    }
}

} // namespace
} // namespace corvane
