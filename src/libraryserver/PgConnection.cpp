#include "libraryserver/PgConnection.h"

#include "platform/NameLookup.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <poll.h>

namespace corvane {

namespace {

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

// The numeric address of the one host `server` names by name, "" when it
// names none, an address, a socket folder or several hosts (libpq's own).
std::string LookUpHost(const std::string& server, const PgLimits& limits, const std::string& unreachable) {
    // Anything else is a database's name, as libpq takes it.
    if (server.find('=') == std::string::npos && server.rfind("postgresql://", 0) != 0 &&
        server.rfind("postgres://", 0) != 0)
        return {};
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(server.c_str(), &error);
    if (options == nullptr) {
        const std::string why = error != nullptr ? Trimmed(error) : "out of memory";
        PQfreemem(error);
        throw ELibraryServerError(unreachable + ": " + why);
    }
    std::string host;
    bool hostaddr = false;
    for (const PQconninfoOption* o = options; o->keyword != nullptr; ++o) {
        if (o->val == nullptr || *o->val == '\0')
            continue;
        if (std::string_view(o->keyword) == "host")
            host = o->val;
        else if (std::string_view(o->keyword) == "hostaddr")
            hostaddr = true;
    }
    PQconninfoFree(options);
    if (host.empty() || hostaddr || host.front() == '/' || host.front() == '@' ||
        host.find(',') != std::string::npos || NameLookup::IsNumeric(host))
        return {};
    const auto stopping = [&] {
        pollfd stop{limits.stopFd, POLLIN, 0};
        return limits.stopFd >= 0 && ::poll(&stop, 1, 0) > 0;
    };
    const NameLookup::Answer found =
        NameLookup::Shared().FindUntil(host, SOCK_STREAM, limits.answer, stopping);
    if (found.state == NameLookup::State::Found)
        return found.addresses.front().Numeric();
    if (found.state == NameLookup::State::Failed)
        throw ELibraryServerError(unreachable + ": " + host + ": " + found.error);
    throw ELibraryServerError(
        unreachable + ": " +
        (stopping() ? "the connection was closed" : "no answer from the name server for " + host));
}

} // namespace

long long PgResult::Integer(int row, int column) const {
    const std::string_view text = Text(row, column);
    long long value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        throw ELibraryServerError("The library server sent \"" + std::string(text) + "\" for a number");
    return value;
}

PgConnection::PgConnection(const std::string& server, PgLimits limits)
    : limits_(limits), conn_(nullptr, &PQfinish) {
    // Defaults first: what the connection string names overrides them.
    const std::string timeout = std::to_string(
        std::max<long long>(2, std::chrono::duration_cast<std::chrono::seconds>(limits_.answer).count()));
    const std::string unreachable = "The library server cannot be reached";
    // libpq looks the server's name up inside PQconnectStart, where a name
    // server that does not answer holds the caller for many seconds; the
    // address is looked up here instead, within the answer time, and handed
    // over beside the name (which still serves for authentication).
    const std::string address = LookUpHost(server, limits_, unreachable);
    const char* keys[] = {"connect_timeout",
                          "keepalives_idle",
                          "keepalives_interval",
                          "keepalives_count",
                          "application_name",
                          "dbname",
                          address.empty() ? nullptr : "hostaddr",
                          nullptr};
    const char* values[] = {timeout.c_str(), "5",    "2", "2", "corvane", server.c_str(),
                            address.c_str(), nullptr};
    conn_.reset(PQconnectStartParams(keys, values, 1));
    if (!conn_)
        throw ELibraryServerError(unreachable + ": out of memory");
    if (PQstatus(conn_.get()) == CONNECTION_BAD)
        throw ELibraryServerError(unreachable + ": " + Trimmed(PQerrorMessage(conn_.get())));
    auto deadline = std::chrono::steady_clock::now() + limits_.answer;
    for (PostgresPollingStatusType polling = PGRES_POLLING_WRITING; polling != PGRES_POLLING_OK;
         polling = PQconnectPoll(conn_.get())) {
        if (polling == PGRES_POLLING_FAILED)
            throw ELibraryServerError(unreachable + ": " + Trimmed(PQerrorMessage(conn_.get())));
        WaitFor(polling == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadline, unreachable);
    }
    if (PQsetnonblocking(conn_.get(), 1) != 0)
        Broke(unreachable + ": " + Trimmed(PQerrorMessage(conn_.get())));
    // The server's notices ("terminating connection …") are not the
    // console's to print; failures reach the caller as errors.
    PQsetNoticeProcessor(
        conn_.get(), [](void*, const char*) {}, nullptr);
    Exec("SET client_min_messages = warning; SET extra_float_digits = 3; SET statement_timeout = " +
         std::to_string(limits_.statement.count()));
}

void PgConnection::Broke(const std::string& why) {
    broken_ = true;
    throw ELibraryServerError(why);
}

void PgConnection::WaitFor(short events, std::chrono::steady_clock::time_point& deadline,
                           std::string_view what) {
    const int socket = PQsocket(conn_.get());
    if (socket < 0)
        Broke(std::string(what) + ": " + Trimmed(PQerrorMessage(conn_.get())));
    pollfd waits[2] = {{socket, events, 0}, {limits_.stopFd, POLLIN, 0}};
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            Broke(std::string(what) + ": no answer within " +
                  std::to_string((limits_.answer.count() + 500) / 1000) + " s");
        const int ready =
            ::poll(waits, limits_.stopFd >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR)
            Broke(std::string(what) + ": " + std::strerror(errno));
        if (ready <= 0)
            continue;
        if (waits[1].revents != 0)
            Broke(std::string(what) + ": the connection was closed");
        // Whatever the server sends counts as an answer: a long result keeps
        // coming for as long as it needs.
        deadline = std::chrono::steady_clock::now() + limits_.answer;
        return;
    }
}

void PgConnection::Await(std::string_view what) {
    auto deadline = std::chrono::steady_clock::now() + limits_.answer;
    for (;;) {
        const int flushed = PQflush(conn_.get());
        if (flushed < 0)
            Broke(std::string(what) + ": " + Trimmed(PQerrorMessage(conn_.get())));
        if (flushed == 0 && PQisBusy(conn_.get()) == 0)
            return;
        WaitFor(static_cast<short>(POLLIN | (flushed == 1 ? POLLOUT : 0)), deadline, what);
        if (PQconsumeInput(conn_.get()) == 0)
            Broke(std::string(what) + ": " + Trimmed(PQerrorMessage(conn_.get())));
    }
}

PGresult* PgConnection::Results(std::string_view sql) {
    const std::string what = "The library server did not answer \"" + std::string(sql.substr(0, 60)) + "\"";
    // The first failure or else the last result, as PQexec gives them.
    PGresult* kept = nullptr;
    try {
        for (;;) {
            Await(what);
            PGresult* result = PQgetResult(conn_.get());
            if (result == nullptr)
                return kept;
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT || status == PGRES_COPY_BOTH) {
                PQclear(kept);
                return result;
            }
            if (kept != nullptr && PQresultStatus(kept) == PGRES_FATAL_ERROR) {
                PQclear(result);
            } else {
                PQclear(kept);
                kept = result;
            }
        }
    } catch (...) {
        PQclear(kept);
        throw;
    }
}

void PgConnection::RollBack() noexcept {
    if (!Usable())
        return;
    try {
        Exec("ROLLBACK");
    } catch (const ELibraryServerError&) {
        // The transaction's own error is the one the caller hears about.
    }
}

PgResult PgConnection::Checked(PGresult* result, std::string_view sql) {
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_COPY_IN)
        return PgResult(result);
    const std::string message = Trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_.get()));
    if (result)
        PQclear(result);
    throw ELibraryServerError("The library server refused \"" + std::string(sql.substr(0, 60)) +
                              "\": " + (message.empty() ? Trimmed(PQerrorMessage(conn_.get())) : message));
}

PgResult PgConnection::Exec(const std::string& sql) {
    if (PQsendQuery(conn_.get(), sql.c_str()) == 0)
        return Checked(nullptr, sql);
    return Checked(Results(sql), sql);
}

PgResult PgConnection::Exec(const std::string& sql, const std::vector<PgParam>& params) {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const PgParam& p : params)
        values.push_back(p ? p->c_str() : nullptr);
    if (PQsendQueryParams(conn_.get(), sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                          nullptr, nullptr, 0) == 0)
        return Checked(nullptr, sql);
    return Checked(Results(sql), sql);
}

void PgConnection::CopyIn(const std::string& sql, const std::string& data) {
    Exec(sql);
    const std::string what = "The library server cannot take the titles";
    auto deadline = std::chrono::steady_clock::now() + limits_.answer;
    int put = 0;
    // 0: libpq's buffer is full until the socket takes more.
    const auto room = [&] {
        WaitFor(POLLOUT, deadline, what);
        if (PQflush(conn_.get()) < 0)
            Broke(what + ": " + Trimmed(PQerrorMessage(conn_.get())));
    };
    while ((put = PQputCopyData(conn_.get(), data.data(), static_cast<int>(data.size()))) == 0)
        room();
    while (put == 1 && (put = PQputCopyEnd(conn_.get(), nullptr)) == 0)
        room();
    if (put != 1)
        throw ELibraryServerError(what + ": " + Trimmed(PQerrorMessage(conn_.get())));
    Checked(Results(sql), sql);
}

std::vector<std::string> PgConnection::TakeNotifications() {
    if (PQconsumeInput(conn_.get()) == 0 || !Usable())
        throw ELibraryServerError("The connection to the library server broke: " +
                                  Trimmed(PQerrorMessage(conn_.get())));
    std::vector<std::string> channels;
    while (PGnotify* n = PQnotifies(conn_.get())) {
        channels.emplace_back(n->relname);
        PQfreemem(n);
    }
    return channels;
}

std::string PgConnection::Literal(std::string_view text) const {
    char* quoted = PQescapeLiteral(conn_.get(), text.data(), text.size());
    if (!quoted)
        throw ELibraryServerError("Cannot quote a text for the library server");
    std::string result(quoted);
    PQfreemem(quoted);
    return result;
}

std::string QuoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace corvane
