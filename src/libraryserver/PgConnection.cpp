#include "libraryserver/PgConnection.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace corvane {

namespace {

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

} // namespace

long long PgResult::Integer(int row, int column) const {
    const std::string_view text = Text(row, column);
    long long value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        throw ELibraryServerError("The library server sent \"" + std::string(text) + "\" for a number");
    return value;
}

PgConnection::PgConnection(const std::string& server) : conn_(nullptr, &PQfinish) {
    // Defaults first: what the connection string names overrides them.
    const char* keys[] = {"connect_timeout",
                          "keepalives_idle",
                          "keepalives_interval",
                          "keepalives_count",
                          "application_name",
                          "dbname",
                          nullptr};
    const char* values[] = {"3", "5", "2", "2", "corvane", server.c_str(), nullptr};
    conn_.reset(PQconnectdbParams(keys, values, 1));
    if (!conn_)
        throw ELibraryServerError("The library server cannot be reached: out of memory");
    if (PQstatus(conn_.get()) != CONNECTION_OK)
        throw ELibraryServerError("The library server cannot be reached: " +
                                  Trimmed(PQerrorMessage(conn_.get())));
    // The server's notices ("terminating connection …") are not the
    // console's to print; failures reach the caller as errors.
    PQsetNoticeProcessor(
        conn_.get(), [](void*, const char*) {}, nullptr);
    Exec("SET client_min_messages = warning; SET extra_float_digits = 3");
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
    return Checked(PQexec(conn_.get(), sql.c_str()), sql);
}

PgResult PgConnection::Exec(const std::string& sql, const std::vector<PgParam>& params) {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const PgParam& p : params)
        values.push_back(p ? p->c_str() : nullptr);
    return Checked(PQexecParams(conn_.get(), sql.c_str(), static_cast<int>(values.size()), nullptr,
                                values.data(), nullptr, nullptr, 0),
                   sql);
}

void PgConnection::CopyIn(const std::string& sql, const std::string& data) {
    Checked(PQexec(conn_.get(), sql.c_str()), sql);
    if (PQputCopyData(conn_.get(), data.data(), static_cast<int>(data.size())) != 1 ||
        PQputCopyEnd(conn_.get(), nullptr) != 1)
        throw ELibraryServerError("The library server cannot take the titles: " +
                                  Trimmed(PQerrorMessage(conn_.get())));
    Checked(PQgetResult(conn_.get()), sql);
    while (PGresult* rest = PQgetResult(conn_.get()))
        PQclear(rest);
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
