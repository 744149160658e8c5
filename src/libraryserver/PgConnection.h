#pragma once

#include <chrono>
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

// How long a connection waits on the server, and what ends a wait early.
struct PgLimits {
    // Connecting, and each statement, fail when the server sends nothing for
    // this long (a server whose processes are stopped, a network that drops
    // everything): the kernel may still acknowledge what is sent, so only
    // the answer tells a live server.
    std::chrono::milliseconds answer{5000};
    // The server ends a statement that runs longer (its statement_timeout).
    std::chrono::milliseconds statement{30000};
    // A descriptor that becomes readable when the owner is ending: every wait
    // on the server returns then, with an error (-1: none).
    int stopFd = -1;
};

// One connection to the library server (libpq). Nothing waits on the server
// for longer than the limits: libpq works without blocking and every wait is
// a poll with a deadline. A connection is used by one thread at a time.
class PgConnection {
public:
    // `server` is a libpq connection string or URI. Raises ELibraryServerError.
    explicit PgConnection(const std::string& server, PgLimits limits = {});
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
            RollBack();
            throw;
        }
    }

    // The socket to wait on for notifications; -1 when the connection is gone.
    int Socket() const { return PQsocket(conn_.get()); }
    // Reads what arrived and returns the notifications' channels; raises when
    // the connection broke.
    std::vector<std::string> TakeNotifications();
    bool Usable() const { return !broken_ && PQstatus(conn_.get()) == CONNECTION_OK; }
    // `text` as a quoted SQL literal.
    std::string Literal(std::string_view text) const;

private:
    PgResult Checked(PGresult* result, std::string_view sql);
    // The result of the statement sent, waiting at most the limits.
    PGresult* Results(std::string_view sql);
    // Waits until libpq has sent what it holds and has a result to give.
    void Await(std::string_view what);
    // Waits for the socket to be `events`-ready, the stop descriptor or the
    // deadline; raises on the last two.
    void WaitFor(short events, std::chrono::steady_clock::time_point& deadline, std::string_view what);
    [[noreturn]] void Broke(const std::string& why);
    void RollBack() noexcept;

    const PgLimits limits_;
    bool broken_ = false;
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn_;
};

// `name` as a quoted SQL identifier (field names keep their letter case).
std::string QuoteIdentifier(std::string_view name);

} // namespace corvane
