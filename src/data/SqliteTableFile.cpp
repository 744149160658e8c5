#include "data/SqliteTableFile.h"

#include "data/DateTimeText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <sqlite3.h>
#include <stdexcept>

namespace corvane {
namespace {

constexpr int FormatVersion = 1;

// SQLite's text with the system's reason behind it, when there is one:
// "unable to open database file" alone does not say whether the folder is
// missing, read-only or something else.
std::string WithSystemReason(sqlite3* db, std::string why) {
    const int error = db != nullptr ? sqlite3_system_errno(db) : 0;
    if (error != 0)
        why += " (" + std::string(std::strerror(error)) + ")";
    return why;
}

// Owns a connection and turns SQLite failures into exceptions with its text.
class Database {
public:
    Database(const std::string& path, int flags) {
        const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const std::string why = db_ ? WithSystemReason(db_, sqlite3_errmsg(db_)) : sqlite3_errstr(rc);
            sqlite3_close(db_);
            throw std::runtime_error(why);
        }
        sqlite3_extended_result_codes(db_, 1);
        // A hostile file must not reach beyond plain reading and writing.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string why = WithSystemReason(db_, error ? error : sqlite3_errmsg(db_));
            sqlite3_free(error);
            throw std::runtime_error(why);
        }
    }
    sqlite3* Handle() const { return db_; }
    [[noreturn]] void Fail() const { throw std::runtime_error(WithSystemReason(db_, sqlite3_errmsg(db_))); }

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(Database& db, const std::string& sql) : db_(db) {
        if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
            db.Fail();
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // True while there is a row to read.
    bool Step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            db_.Fail();
        return false;
    }
    void Reset() { sqlite3_reset(stmt_); }
    sqlite3_stmt* Handle() const { return stmt_; }

private:
    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

std::string ColumnText(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(s, column))) : std::string();
}

void Bind(sqlite3_stmt* s, int column, const Value& v, FieldType type) {
    std::visit(
        [&](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                sqlite3_bind_null(s, column);
            else if constexpr (std::is_same_v<T, std::string>) {
                if (type == FieldType::Blob)
                    sqlite3_bind_blob64(s, column, x.data(), x.size(), SQLITE_STATIC);
                else
                    sqlite3_bind_text64(s, column, x.data(), x.size(), SQLITE_STATIC, SQLITE_UTF8);
            } else if constexpr (std::is_same_v<T, double>)
                sqlite3_bind_double(s, column, x);
            else
                sqlite3_bind_int64(s, column, static_cast<sqlite3_int64>(x));
        },
        v);
}

// A stored value must have the kind its field declares; anything else means a
// damaged or foreign file.
Value ReadColumn(sqlite3_stmt* s, int column, const FieldDef& def, size_t row) {
    const int kind = sqlite3_column_type(s, column);
    if (kind == SQLITE_NULL)
        return std::monostate{};
    const auto bad = [&]() -> Value {
        throw std::runtime_error("row " + std::to_string(row + 1) +
                                 " has a value of the wrong kind in field '" + def.name + "'");
    };
    if (IsTextType(def.type)) {
        if (kind == SQLITE_BLOB) {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(s, column));
            return std::string(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(s, column)));
        }
        return kind == SQLITE_TEXT ? Value(ColumnText(s, column)) : bad();
    }
    if (IsFloatType(def.type)) {
        const double d = sqlite3_column_double(s, column);
        const bool valid = std::isfinite(d) && (def.type == FieldType::Float || IsValidDateTime(d));
        return (kind == SQLITE_FLOAT || kind == SQLITE_INTEGER) && valid ? Value(d) : bad();
    }
    if (kind != SQLITE_INTEGER)
        return bad();
    const int64_t n = sqlite3_column_int64(s, column);
    if (def.type == FieldType::Boolean)
        return n != 0;
    if (def.type != FieldType::LargeInt &&
        (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max()))
        return bad();
    return n;
}

} // namespace

TableStorage ReadSqliteTable(const std::string& path) {
    Database db(path, SQLITE_OPEN_READONLY);
    TableStorage storage;
    int format = 0;
    {
        Statement facts(db, "SELECT key, value FROM corvane_table");
        while (facts.Step()) {
            const std::string key = ColumnText(facts.Handle(), 0);
            const sqlite3_int64 value = sqlite3_column_int64(facts.Handle(), 1);
            if (key == "format")
                format = static_cast<int>(value);
            else if (key == "next_autoinc")
                storage.nextAutoInc = value;
            else if (key == "changes_pending")
                storage.changesPending = value != 0;
        }
    }
    if (format != FormatVersion)
        throw std::runtime_error("unknown table format " + std::to_string(format));
    {
        Statement fields(db,
                         "SELECT position, name, type, size, required, readonly, hidden FROM corvane_fields "
                         "ORDER BY position");
        while (fields.Step()) {
            sqlite3_stmt* s = fields.Handle();
            FieldDef def;
            def.name = ColumnText(s, 1);
            const auto type = FieldTypeFromName(ColumnText(s, 2));
            if (sqlite3_column_int64(s, 0) != static_cast<sqlite3_int64>(storage.defs.size()) ||
                !IsStorableFieldName(def.name) || !type)
                throw std::runtime_error("damaged field list");
            for (const auto& other : storage.defs)
                if (SameTextIgnoringCase(other.name, def.name))
                    throw std::runtime_error("field '" + def.name + "' appears twice");
            def.type = *type;
            def.size = static_cast<int>(std::clamp<sqlite3_int64>(sqlite3_column_int64(s, 3), 0, 1 << 30));
            def.required = sqlite3_column_int(s, 4) != 0;
            def.readOnly = sqlite3_column_int(s, 5) != 0;
            def.hidden = sqlite3_column_int(s, 6) != 0;
            storage.defs.push_back(std::move(def));
        }
    }
    if (storage.defs.empty())
        throw std::runtime_error("the table has no fields");
    Statement rows(db, "SELECT * FROM corvane_rows ORDER BY rowid");
    if (sqlite3_column_count(rows.Handle()) != static_cast<int>(storage.defs.size()))
        throw std::runtime_error("the rows do not match the field list");
    while (rows.Step()) {
        std::vector<Value> values;
        values.reserve(storage.defs.size());
        for (size_t i = 0; i < storage.defs.size(); ++i)
            values.push_back(
                ReadColumn(rows.Handle(), static_cast<int>(i), storage.defs[i], storage.rows.size()));
        storage.AddRow(std::move(values));
    }
    if (storage.nextAutoInc < 1)
        throw std::runtime_error("damaged AutoInc value");
    return storage;
}

void WriteSqliteTable(const std::string& path, const TableStorage& storage) {
    Database db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // The file is flushed and renamed into place by the caller, so SQLite's own
    // journal would only slow the write down.
    db.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA page_size=8192;");
    db.Exec("BEGIN");
    db.Exec(
        "CREATE TABLE corvane_table(key TEXT PRIMARY KEY, value INTEGER) WITHOUT ROWID;"
        "CREATE TABLE corvane_fields(position INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT NULL,"
        " size INTEGER, required INTEGER, readonly INTEGER, hidden INTEGER)");
    {
        Statement fact(db, "INSERT INTO corvane_table VALUES(?, ?)");
        const std::pair<const char*, sqlite3_int64> facts[] = {
            {"format", FormatVersion},
            {"next_autoinc", storage.nextAutoInc},
            {"changes_pending", storage.changesPending ? 1 : 0}};
        for (const auto& [key, value] : facts) {
            sqlite3_bind_text(fact.Handle(), 1, key, -1, SQLITE_STATIC);
            sqlite3_bind_int64(fact.Handle(), 2, value);
            fact.Step();
            fact.Reset();
        }
    }
    std::vector<size_t> stored;
    {
        Statement field(db, "INSERT INTO corvane_fields VALUES(?, ?, ?, ?, ?, ?, ?)");
        for (size_t i = 0; i < storage.defs.size(); ++i) {
            const FieldDef& def = storage.defs[i];
            if (!def.Stored())
                continue;
            if (!IsStorableFieldName(def.name))
                throw std::runtime_error("field '" + def.name + "' has a name that cannot be stored");
            sqlite3_stmt* s = field.Handle();
            sqlite3_bind_int64(s, 1, static_cast<sqlite3_int64>(stored.size()));
            sqlite3_bind_text(s, 2, def.name.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 3, FieldTypeName(def.type), -1, SQLITE_STATIC);
            sqlite3_bind_int(s, 4, def.size);
            sqlite3_bind_int(s, 5, def.required);
            sqlite3_bind_int(s, 6, def.readOnly);
            sqlite3_bind_int(s, 7, def.hidden);
            field.Step();
            field.Reset();
            stored.push_back(i);
        }
    }
    if (stored.empty())
        throw std::runtime_error("the table has no stored fields");
    std::string create = "CREATE TABLE corvane_rows(";
    std::string insert = "INSERT INTO corvane_rows VALUES(";
    for (size_t i = 0; i < stored.size(); ++i) {
        create += (i ? ", f" : "f") + std::to_string(i);
        insert += i ? ", ?" : "?";
    }
    db.Exec(create + ")");
    {
        Statement row(db, insert + ")");
        for (const auto& r : storage.rows) {
            for (size_t i = 0; i < stored.size(); ++i)
                Bind(row.Handle(), static_cast<int>(i + 1), r->values[stored[i]],
                     storage.defs[stored[i]].type);
            row.Step();
            row.Reset();
        }
    }
    db.Exec("COMMIT");
}

} // namespace corvane
