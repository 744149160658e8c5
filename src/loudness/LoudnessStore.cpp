#include "loudness/LoudnessStore.h"

#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>

namespace corvane {

namespace {

constexpr const char* Schema = "CREATE TABLE IF NOT EXISTS TitleLoudness ("
                               " Path TEXT PRIMARY KEY NOT NULL,"
                               " FileSize INTEGER NOT NULL,"
                               " FileModifiedNs INTEGER NOT NULL,"
                               " Analysed INTEGER NOT NULL,"
                               " IntegratedLufs REAL, RangeLu REAL, TruePeakDbtp REAL,"
                               " CueInMs INTEGER, CueOutMs INTEGER, SegueMs INTEGER, DurationMs INTEGER,"
                               " Reason TEXT NOT NULL DEFAULT '')";

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("loudness store: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* operator*() const { return stmt_; }
    void Text(int i, const std::string& s) {
        sqlite3_bind_text(stmt_, i, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void Done() {
        if (sqlite3_step(stmt_) != SQLITE_DONE)
            throw std::runtime_error(std::string("loudness store: ") + sqlite3_errmsg(db_));
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace

std::optional<FileVersion> CurrentFileVersion(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileVersion{static_cast<int64_t>(st.st_size),
                       static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

LoudnessStore::LoudnessStore(const std::filesystem::path& file) : file_(file) {
    try {
        Open();
    } catch (const std::exception&) {
        // Measurements can always be taken again; a store that cannot be
        // read must not keep the console from starting.
        sqlite3_close(db_);
        db_ = nullptr;
        std::error_code ec;
        std::filesystem::rename(file_, file_.string() + ".damaged", ec);
        Open();
    }
}

LoudnessStore::~LoudnessStore() {
    sqlite3_close(db_);
}

void LoudnessStore::Open() {
    if (sqlite3_open_v2(file_.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
        throw std::runtime_error("loudness store: cannot open " + file_.string());
    // The console and a render may read while the other writes.
    sqlite3_busy_timeout(db_, 5000);
    Execute(Schema);
}

void LoudnessStore::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("loudness store: " + text);
    }
}

std::optional<AnalysisResult> LoudnessStore::Find(const std::string& path) {
    const auto version = CurrentFileVersion(path);
    if (!version)
        return std::nullopt;
    std::lock_guard guard(lock_);
    Statement s(db_, "SELECT FileSize, FileModifiedNs, Analysed, IntegratedLufs, RangeLu, TruePeakDbtp,"
                     " CueInMs, CueOutMs, SegueMs, DurationMs, Reason FROM TitleLoudness WHERE Path = ?1");
    s.Text(1, path);
    if (sqlite3_step(*s) != SQLITE_ROW)
        return std::nullopt;
    const FileVersion stored{sqlite3_column_int64(*s, 0), sqlite3_column_int64(*s, 1)};
    if (!(stored == *version))
        return std::nullopt;
    if (sqlite3_column_int(*s, 2) == 0)
        return AnalysisResult::NotAnalysed(reinterpret_cast<const char*>(sqlite3_column_text(*s, 10)));
    LoudnessAnalysis a;
    a.integratedLufs = sqlite3_column_double(*s, 3);
    a.rangeLu = sqlite3_column_double(*s, 4);
    a.truePeakDbtp = sqlite3_column_double(*s, 5);
    a.cueInMs = sqlite3_column_int(*s, 6);
    a.cueOutMs = sqlite3_column_int(*s, 7);
    if (sqlite3_column_type(*s, 8) != SQLITE_NULL)
        a.segueMs = sqlite3_column_int(*s, 8);
    a.durationMs = sqlite3_column_int(*s, 9);
    return AnalysisResult{a, {}};
}

std::optional<LoudnessAnalysis> LoudnessStore::FindAnalysis(const std::string& path) {
    auto found = Find(path);
    return found ? found->analysis : std::nullopt;
}

void LoudnessStore::Save(const std::string& path, const FileVersion& version, const AnalysisResult& result) {
    std::lock_guard guard(lock_);
    Statement s(db_, "INSERT OR REPLACE INTO TitleLoudness (Path, FileSize, FileModifiedNs, Analysed,"
                     " IntegratedLufs, RangeLu, TruePeakDbtp, CueInMs, CueOutMs, SegueMs, DurationMs, Reason)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    s.Text(1, path);
    sqlite3_bind_int64(*s, 2, version.size);
    sqlite3_bind_int64(*s, 3, version.modifiedNs);
    sqlite3_bind_int(*s, 4, result.Analysed() ? 1 : 0);
    if (const auto& a = result.analysis) {
        sqlite3_bind_double(*s, 5, a->integratedLufs);
        sqlite3_bind_double(*s, 6, a->rangeLu);
        sqlite3_bind_double(*s, 7, a->truePeakDbtp);
        sqlite3_bind_int(*s, 8, a->cueInMs);
        sqlite3_bind_int(*s, 9, a->cueOutMs);
        if (a->segueMs)
            sqlite3_bind_int(*s, 10, *a->segueMs);
        sqlite3_bind_int(*s, 11, a->durationMs);
    }
    s.Text(12, result.reason);
    s.Done();
}

} // namespace corvane
