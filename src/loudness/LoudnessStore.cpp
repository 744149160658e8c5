#include "loudness/LoudnessStore.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace corvane {

namespace {

constexpr const char* Schema = "CREATE TABLE IF NOT EXISTS TitleLoudness ("
                               " Path TEXT PRIMARY KEY NOT NULL,"
                               " FileSize INTEGER NOT NULL,"
                               " FileModifiedNs INTEGER NOT NULL,"
                               " Analysed INTEGER NOT NULL,"
                               " IntegratedLufs REAL, RangeLu REAL, TruePeakDbtp REAL,"
                               " CueInMs INTEGER, CueOutMs INTEGER, SegueMs INTEGER, DurationMs INTEGER,"
                               " Reason TEXT NOT NULL DEFAULT '',"
                               " ContentHash INTEGER, DcOffset REAL)";
// The columns of the first layout, and those this one added to it.
const std::vector<std::string> FirstColumns = {"Path",           "FileSize", "FileModifiedNs", "Analysed",
                                               "IntegratedLufs", "RangeLu",  "TruePeakDbtp",   "CueInMs",
                                               "CueOutMs",       "SegueMs",  "DurationMs",     "Reason"};
const std::vector<std::string> AddedColumns = {"ContentHash", "DcOffset"};

// The blocks of a file its content hash reads (bytes each).
constexpr int64_t HashBlocks = 16;
constexpr int64_t HashBlockBytes = 4096;

// An error of the database, with SQLite's code: a busy or locked database is
// another process's work in progress, not damage.
class StoreError : public std::runtime_error {
public:
    StoreError(const std::string& what, int code) : std::runtime_error(what), code_(code) {}
    bool Busy() const {
        const int primary = code_ & 0xff;
        return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
    }

private:
    int code_;
};

[[noreturn]] void Raise(sqlite3* db, const std::string& what) {
    std::string why = "loudness store: " + what + sqlite3_errmsg(db);
    // The system's reason says which: a missing folder, a read-only one, …
    if (const int error = sqlite3_system_errno(db); error != 0)
        why += " (" + std::string(std::strerror(error)) + ")";
    throw StoreError(why, sqlite3_extended_errcode(db));
}

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            Raise(db, "");
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
            Raise(db_, "");
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

bool IsNull(sqlite3_stmt* s, int column) {
    return sqlite3_column_type(s, column) == SQLITE_NULL;
}

bool IsNumber(sqlite3_stmt* s, int column) {
    const int type = sqlite3_column_type(s, column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

} // namespace

std::optional<FileVersion> CurrentFileVersion(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    FileVersion version{static_cast<int64_t>(st.st_size),
                        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, 0};
    // FNV-1a (64 bits) over the size and the blocks.
    uint64_t hash = 14695981039346656037ull;
    const auto mix = [&](const unsigned char* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            hash ^= bytes[i];
            hash *= 1099511628211ull;
        }
    };
    mix(reinterpret_cast<const unsigned char*>(&version.size), sizeof version.size);
    std::array<unsigned char, HashBlockBytes> block{};
    const int64_t last = std::max<int64_t>(0, version.size - HashBlockBytes);
    for (int64_t i = 0; i < HashBlocks; ++i) {
        const int64_t at = last * i / (HashBlocks - 1);
        const ssize_t got = ::pread(fd, block.data(), block.size(), static_cast<off_t>(at));
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        mix(block.data(), static_cast<size_t>(got));
        if (last == 0)
            break;
    }
    ::close(fd);
    version.contentHash = hash;
    return version;
}

bool IsPlausible(const LoudnessAnalysis& a) {
    const auto within = [](double value, double low, double high) {
        return std::isfinite(value) && value >= low && value <= high;
    };
    // libebur128 gates at −70 LUFS; a full-scale square wave, the loudest a
    // file holds, reads about +3 LUFS. A true peak lies at most a few dB
    // below the loudness (a K-weighted high tone), never far above full scale.
    return within(a.integratedLufs, -70.5, 6.0) && within(a.rangeLu, 0.0, 100.0) &&
           within(a.truePeakDbtp, -120.0, 24.0) && a.integratedLufs <= a.truePeakDbtp + 8.0 &&
           within(a.dcOffset, 0.0, 1.0) && a.durationMs > 0 && a.cueInMs >= 0 && a.cueInMs < a.cueOutMs &&
           a.cueOutMs <= a.durationMs && (!a.segueMs || (*a.segueMs >= 0 && *a.segueMs < a.cueOutMs));
}

bool FitsLoadedLength(const LoudnessAnalysis& a, int32_t loadedMs) {
    // The decoders' own length and the measured one differ by a frame or
    // two for MP3 (an estimate from the header against the frames decoded).
    const int64_t slack = std::max<int64_t>(1000, int64_t{loadedMs} / 50);
    return loadedMs > 0 && std::abs(int64_t{a.durationMs} - loadedMs) <= slack &&
           int64_t{a.cueOutMs} <= int64_t{loadedMs} + slack;
}

LoudnessStore::LoudnessStore(const std::filesystem::path& file, std::chrono::milliseconds busyWait)
    : file_(file), busyWait_(busyWait) {
    try {
        Open();
    } catch (const StoreError& e) {
        sqlite3_close(db_);
        db_ = nullptr;
        if (e.Busy()) {
            // Another program holds it (a render, an import, a copy under
            // way): its measurements are fine and must not be lost.
            notice_ = "The loudness store " + file_.string() +
                      " is in use by another program: titles play without their measurements in this run";
            return;
        }
        // Measurements can always be taken again; a store that cannot be
        // read must not keep the console from starting.
        MoveAside(e.what());
        Open();
    }
}

LoudnessStore::~LoudnessStore() {
    sqlite3_close(db_);
}

void LoudnessStore::MoveAside(const std::string& why) {
    std::error_code ec;
    std::string aside = file_.string() + ".damaged";
    for (int n = 1; std::filesystem::exists(std::filesystem::symlink_status(aside, ec)); ++n)
        aside = file_.string() + ".damaged." + std::to_string(n);
    std::filesystem::rename(file_, aside, ec);
    // Its journal goes with it: a journal left behind would be applied to
    // the new store.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        if (std::filesystem::exists(file_.string() + suffix, ec))
            std::filesystem::rename(file_.string() + suffix, aside + suffix, ec);
    notice_ = "The loudness store " + file_.string() + " was damaged (" + why + "): moved aside as " + aside +
              (ec ? " (failed: " + ec.message() + ")" : std::string()) + "; the titles are measured again";
}

void LoudnessStore::Open() {
    if (sqlite3_open_v2(file_.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
        Raise(db_, "cannot open " + file_.string() + ": ");
    // The console and a render may read while the other writes.
    sqlite3_busy_timeout(db_, static_cast<int>(busyWait_.count()));
    CheckLayout();
}

void LoudnessStore::CheckLayout() {
    std::vector<std::string> columns;
    {
        Statement s(db_, "PRAGMA table_info(TitleLoudness)");
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(*s)) == SQLITE_ROW)
            columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(*s, 1)));
        if (step != SQLITE_DONE)
            Raise(db_, "");
    }
    if (columns.empty()) {
        Statement tables(db_, "SELECT count(*) FROM sqlite_master");
        if (sqlite3_step(*tables) != SQLITE_ROW)
            Raise(db_, "");
        if (sqlite3_column_int(*tables, 0) != 0)
            throw StoreError("loudness store: it holds tables of another program", SQLITE_CORRUPT);
        Execute(Schema);
        return;
    }
    std::vector<std::string> current = FirstColumns;
    current.insert(current.end(), AddedColumns.begin(), AddedColumns.end());
    if (columns == current)
        return;
    if (columns != FirstColumns)
        throw StoreError("loudness store: another layout of its table", SQLITE_CORRUPT);
    // The first layout: its rows lack the content hash, so each counts as
    // not measured until it is measured again.
    Execute("BEGIN; ALTER TABLE TitleLoudness ADD COLUMN ContentHash INTEGER;"
            " ALTER TABLE TitleLoudness ADD COLUMN DcOffset REAL; COMMIT");
}

void LoudnessStore::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        const int code = sqlite3_extended_errcode(db_);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw StoreError("loudness store: " + text, code);
    }
}

void LoudnessStore::Drop(const std::string& path) {
    Statement drop(db_, "DELETE FROM TitleLoudness WHERE Path = ?1");
    drop.Text(1, path);
    sqlite3_step(*drop);
}

void LoudnessStore::Forget(const std::string& path) {
    std::lock_guard guard(lock_);
    if (db_ != nullptr)
        Drop(path);
}

std::optional<AnalysisResult> LoudnessStore::Find(const std::string& path) {
    const auto version = CurrentFileVersion(path);
    if (!version)
        return std::nullopt;
    std::lock_guard guard(lock_);
    if (db_ == nullptr)
        return std::nullopt;
    Statement s(db_, "SELECT FileSize, FileModifiedNs, Analysed, IntegratedLufs, RangeLu, TruePeakDbtp,"
                     " CueInMs, CueOutMs, SegueMs, DurationMs, Reason, ContentHash, DcOffset"
                     " FROM TitleLoudness WHERE Path = ?1");
    s.Text(1, path);
    if (sqlite3_step(*s) != SQLITE_ROW)
        return std::nullopt;
    if (IsNull(*s, 11))
        return std::nullopt;
    const FileVersion stored{sqlite3_column_int64(*s, 0), sqlite3_column_int64(*s, 1),
                             static_cast<uint64_t>(sqlite3_column_int64(*s, 11))};
    if (!(stored == *version))
        return std::nullopt;
    if (sqlite3_column_int(*s, 2) == 0)
        return AnalysisResult::NotAnalysed(
            IsNull(*s, 10) ? std::string() : reinterpret_cast<const char*>(sqlite3_column_text(*s, 10)));
    std::optional<LoudnessAnalysis> a;
    // An empty figure (or text) is no figure: never read as 0.
    const bool numbers = IsNumber(*s, 3) && IsNumber(*s, 4) && IsNumber(*s, 5) && IsNumber(*s, 6) &&
                         IsNumber(*s, 7) && IsNumber(*s, 9) && (IsNull(*s, 8) || IsNumber(*s, 8)) &&
                         (IsNull(*s, 12) || IsNumber(*s, 12));
    if (numbers) {
        a.emplace();
        a->integratedLufs = sqlite3_column_double(*s, 3);
        a->rangeLu = sqlite3_column_double(*s, 4);
        a->truePeakDbtp = sqlite3_column_double(*s, 5);
        a->cueInMs = sqlite3_column_int(*s, 6);
        a->cueOutMs = sqlite3_column_int(*s, 7);
        if (!IsNull(*s, 8))
            a->segueMs = sqlite3_column_int(*s, 8);
        a->durationMs = sqlite3_column_int(*s, 9);
        a->dcOffset = IsNull(*s, 12) ? 0.0 : sqlite3_column_double(*s, 12);
        // Whole numbers that did not fit an int read as something else.
        for (const int column : {6, 7, 8, 9})
            if (!IsNull(*s, column) && sqlite3_column_int64(*s, column) != sqlite3_column_int(*s, column))
                a.reset();
    }
    if (!a || !IsPlausible(*a)) {
        // Dropped, so that the title counts as not measured and is measured again.
        Drop(path);
        return std::nullopt;
    }
    return AnalysisResult{a, {}};
}

std::optional<LoudnessAnalysis> LoudnessStore::FindAnalysis(const std::string& path) {
    auto found = Find(path);
    return found ? found->analysis : std::nullopt;
}

void LoudnessStore::Save(const std::string& path, const FileVersion& version, const AnalysisResult& result) {
    std::lock_guard guard(lock_);
    if (db_ == nullptr)
        return; // in use by another program: this run keeps nothing
    Statement s(
        db_, "INSERT OR REPLACE INTO TitleLoudness (Path, FileSize, FileModifiedNs, Analysed,"
             " IntegratedLufs, RangeLu, TruePeakDbtp, CueInMs, CueOutMs, SegueMs, DurationMs, Reason,"
             " ContentHash, DcOffset) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
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
        sqlite3_bind_double(*s, 14, a->dcOffset);
    }
    s.Text(12, result.reason);
    sqlite3_bind_int64(*s, 13, static_cast<int64_t>(version.contentHash));
    s.Done();
}

} // namespace corvane
