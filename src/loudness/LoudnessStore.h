#pragma once

#include "loudness/LoudnessAnalysis.h"
#include "loudness/LoudnessLookup.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

struct sqlite3;

namespace corvane {

// The file name of the analysis store in the program folder, beside the
// library's table files, whose layout it leaves alone.
inline constexpr const char* LoudnessStoreFileName = "loudness.db";

// What identifies the version of a file that was measured: a file replaced or
// changed since has another size, modification time or content and is
// measured again. The content is a hash of blocks read across the file (its
// head, its tail and evenly between, 64 KB in all), so that a file rewritten
// with the same size and time (a copy that keeps times, a tool that restores
// them) is not taken for the one measured, while looking costs a few reads
// even for 100,000 titles.
struct FileVersion {
    int64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t contentHash = 0;
    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// The file's version now; none when it cannot be looked at or read.
std::optional<FileVersion> CurrentFileVersion(const std::string& path);

// Whether a measurement can be one of a real file: every figure within what
// a meter gives, the cue points inside the title in order. A store written by
// hand, by another program or damaged can hold anything; what does not fit is
// never applied.
bool IsPlausible(const LoudnessAnalysis& analysis);

// Whether a measurement fits the file as a deck opened it (`loadedMs`, the
// length the deck reads): the measured length within a second (or 2 %) of it
// and cue-out not beyond it. One that does not is another file's.
bool FitsLoadedLength(const LoudnessAnalysis& analysis, int32_t loadedMs);

// The measurements of the titles, one row per path, in an SQLite database of
// its own. Each save is one transaction, so a crash keeps the rows saved
// before it. A database that cannot be read or has another layout is damaged:
// it is moved aside ("loudness.db.damaged", then ".damaged.1", ".damaged.2", …:
// no earlier copy is overwritten) and started afresh, and Notice says so;
// every row can be measured again. A database another process holds locked
// is not damaged: it is left as it is, and this run goes without measurements
// (Notice says so too). A row that does not fit (IsPlausible) counts as not
// measured and is dropped, so the title is measured again. Any thread (calls
// are serialised).
class LoudnessStore final : public LoudnessLookup {
public:
    // `busyWait`: how long a call waits for another program's write to end.
    explicit LoudnessStore(const std::filesystem::path& file,
                           std::chrono::milliseconds busyWait = std::chrono::seconds(5));
    ~LoudnessStore() override;
    LoudnessStore(const LoudnessStore&) = delete;
    LoudnessStore& operator=(const LoudnessStore&) = delete;

    // The stored result for the file as it is now (also "not analysed" with
    // its reason); none when it was never measured or has changed since.
    std::optional<AnalysisResult> Find(const std::string& path);
    // Keeps the result for the version of the file that was measured.
    void Save(const std::string& path, const FileVersion& version, const AnalysisResult& result);
    // Whether the file as it is now still needs measuring.
    bool NeedsAnalysis(const std::string& path) { return !Find(path).has_value(); }

    std::optional<LoudnessAnalysis> FindAnalysis(const std::string& path) override;
    // Drops the stored result for `path`: it counts as not measured from now
    // on (the store itself measures nothing; the queue's workers do).
    void MeasureAgain(const std::string& path) override { Forget(path); }
    void Forget(const std::string& path);

    const std::filesystem::path& File() const { return file_; }
    // What happened to the store when it was opened ("" when nothing worth
    // telling): moved aside as damaged, or in use by another process.
    const std::string& Notice() const { return notice_; }
    // Whether the store holds and keeps measurements in this run.
    bool Usable() const { return db_ != nullptr; }

private:
    void Open();
    // Brings an older layout up to this one; raises for a layout it does not know.
    void CheckLayout();
    void Execute(const char* sql);
    void MoveAside(const std::string& why);
    // Deletes the row of `path`; with the lock held.
    void Drop(const std::string& path);

    std::filesystem::path file_;
    const std::chrono::milliseconds busyWait_;
    sqlite3* db_ = nullptr;
    std::string notice_;
    std::mutex lock_;
};

} // namespace corvane
