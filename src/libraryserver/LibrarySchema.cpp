#include "libraryserver/LibrarySchema.h"

#include <string>

namespace corvane::LibrarySchema {

namespace {

// Any number unlikely to be used by another program on the same database.
constexpr const char* SchemaLock = "SELECT pg_advisory_xact_lock(2702)";

void MigrateTo1(PgConnection& server) {
    server.Exec("CREATE TABLE corvane_schema (version integer NOT NULL);"
                "INSERT INTO corvane_schema VALUES (0);"
                "CREATE SEQUENCE title_ids;"
                "CREATE SEQUENCE title_changes;"
                "CREATE TABLE titles (\"TitleID\" bigint PRIMARY KEY,"
                " change bigint NOT NULL DEFAULT nextval('title_changes'),"
                " deleted boolean NOT NULL DEFAULT false);"
                "CREATE INDEX titles_by_change ON titles (change);"
                "CREATE TABLE consoles (console_id text PRIMARY KEY, last_seq bigint NOT NULL DEFAULT 0)");
}

void MigrateTo2(PgConnection& server) {
    server.Exec(
        "ALTER TABLE titles ADD COLUMN edited_at double precision,"
        " ADD COLUMN edited_by text, ADD COLUMN changed_by text;"
        "CREATE TABLE notices (id bigserial PRIMARY KEY, console_id text NOT NULL, text text NOT NULL);"
        "CREATE INDEX notices_by_console ON notices (console_id)");
}

} // namespace

int Version(PgConnection& server) {
    if (server.Exec("SELECT to_regclass('corvane_schema') IS NULL").Text(0, 0) == "t")
        return 0;
    const PgResult version = server.Exec("SELECT version FROM corvane_schema");
    return version.Rows() == 0 ? 0 : static_cast<int>(version.Integer(0, 0));
}

int Migrate(PgConnection& server, const TitleColumns& columns, int upTo) {
    return server.Transaction([&] {
        server.Exec(SchemaLock);
        const int before = Version(server);
        if (before > CurrentVersion)
            throw ELibraryServerError(
                "The library server holds the library of a newer version of the console (" +
                std::to_string(before) + ")");
        using Step = void (*)(PgConnection&);
        const Step steps[] = {MigrateTo1, MigrateTo2};
        for (int version = before + 1; version <= upTo; ++version) {
            steps[version - 1](server);
            server.Exec("UPDATE corvane_schema SET version = " + std::to_string(version));
        }
        for (const FieldDef& def : columns.Fields())
            server.Exec("ALTER TABLE titles ADD COLUMN IF NOT EXISTS " + QuoteIdentifier(def.name) + " " +
                        TitleColumns::SqlType(def.type));
        return before;
    });
}

} // namespace corvane::LibrarySchema
