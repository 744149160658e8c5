#pragma once

#include "loudness/LoudnessAnalysis.h"
#include "loudness/LoudnessLookup.h"

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
// changed since has another size or modification time and is measured again.
struct FileVersion {
    int64_t size = 0;
    int64_t modifiedNs = 0;
    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// The file's version now; none when it cannot be looked at.
std::optional<FileVersion> CurrentFileVersion(const std::string& path);

// The measurements of the titles, one row per path, in an SQLite database of
// its own. Each save is one transaction, so a crash keeps the rows saved
// before it. A damaged database is moved aside ("loudness.db.damaged") and
// started afresh: every row can be measured again. Any thread (calls are
// serialised).
class LoudnessStore final : public LoudnessLookup {
public:
    explicit LoudnessStore(const std::filesystem::path& file);
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

    const std::filesystem::path& File() const { return file_; }

private:
    void Open();
    void Execute(const char* sql);

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
    std::mutex lock_;
};

} // namespace corvane
