#pragma once

#include <libpq-fe.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace corvane {

// The library server could not be reached, or refused a statement; the text
// is libpq's or the server's own.
class ELibraryServerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A parameter of a statement in the server's text form; nullopt is NULL.
using PgParam = std::optional<std::string>;

// One result of a statement. Values are read in the server's text form.
class PgResult {
public:
    explicit PgResult(PGresult* result) : result_(result, &PQclear) {}
    int Rows() const { return PQntuples(result_.get()); }
    bool IsNull(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }
    std::string_view Text(int row, int column) const {
        return {PQgetvalue(result_.get(), row, column),
                static_cast<size_t>(PQgetlength(result_.get(), row, column))};
    }
    PgParam Param(int row, int column) const {
        return IsNull(row, column) ? PgParam() : PgParam(std::string(Text(row, column)));
    }
    long long Integer(int row, int column) const;

private:
    std::unique_ptr<PGresult, decltype(&PQclear)> result_;
};

// One connection to the library server (libpq). Connecting waits at most a
// few seconds for a server that does not answer, unless the connection string
// says otherwise. A connection is used by one thread at a time.
class PgConnection {
public:
    // `server` is a libpq connection string or URI. Raises ELibraryServerError.
    explicit PgConnection(const std::string& server);
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs `sql` (one or more statements when there are no parameters).
    PgResult Exec(const std::string& sql);
    PgResult Exec(const std::string& sql, const std::vector<PgParam>& params);
    // COPY … FROM STDIN with `data` in COPY's text form.
    void CopyIn(const std::string& sql, const std::string& data);
    // Runs `work` in one transaction: committed when it returns, rolled back
    // when it throws (the error goes on).
    template <class Work> auto Transaction(Work&& work) {
        Exec("BEGIN");
        try {
            if constexpr (std::is_void_v<decltype(work())>) {
                work();
                Exec("COMMIT");
            } else {
                auto result = work();
                Exec("COMMIT");
                return result;
            }
        } catch (...) {
            if (Usable())
                PQclear(PQexec(conn_.get(), "ROLLBACK"));
            throw;
        }
    }

    // The socket to wait on for notifications; -1 when the connection is gone.
    int Socket() const { return PQsocket(conn_.get()); }
    // Reads what arrived and returns the notifications' channels; raises when
    // the connection broke.
    std::vector<std::string> TakeNotifications();
    bool Usable() const { return PQstatus(conn_.get()) == CONNECTION_OK; }
    // `text` as a quoted SQL literal.
    std::string Literal(std::string_view text) const;

private:
    PgResult Checked(PGresult* result, std::string_view sql);
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn_;
};

// `name` as a quoted SQL identifier (field names keep their letter case).
std::string QuoteIdentifier(std::string_view name);

} // namespace corvane
