#include "data/DataErrors.h"
#include "data/SqliteTableFile.h"
#include "data/Table.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace corvane {
namespace {

void Execute(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// Databases that are SQLite but not a table file, or a table file tampered
// with: each is refused with the file's name, never loaded half or empty.
TEST(SqliteTableFile, ForeignAndTamperedDatabasesAreRefused) {
    TempFolder folder;
    Table good("good", {MakeField("Name", FieldType::String, 20), MakeField("N", FieldType::Integer),
                        MakeField("When", FieldType::DateTime)});
    good.CreateDataSet();
    good.Append();
    good.FieldByName("Name").SetAsString("a");
    good.FieldByName("N").SetAsInteger(1);
    good.Post();
    good.SaveToFile(folder.File("good.cds"));
    const std::string original = folder.Read("good.cds");

    const std::pair<const char*, const char*> cases[] = {
        {"other kind of database",
         "DROP TABLE corvane_table; DROP TABLE corvane_fields; DROP TABLE corvane_rows;"
         "CREATE TABLE songs(title TEXT);"},
        {"text in an Integer field", "UPDATE corvane_rows SET f1 = 'one'"},
        {"integer beyond 32 bits", "UPDATE corvane_rows SET f1 = 5000000000"},
        {"date-time out of range", "UPDATE corvane_rows SET f2 = 1e300"},
        {"unknown format", "UPDATE corvane_table SET value = 99 WHERE key = 'format'"},
        {"unknown type", "UPDATE corvane_fields SET type = 'Currency' WHERE position = 1"},
        {"field named twice", "UPDATE corvane_fields SET name = 'NAME' WHERE position = 1"},
        {"unusable field name", "UPDATE corvane_fields SET name = 'a b' WHERE position = 1"},
        {"gap in the field list", "UPDATE corvane_fields SET position = 7 WHERE position = 1"},
        {"rows not matching the fields", "ALTER TABLE corvane_rows ADD COLUMN f3"},
        {"damaged AutoInc value", "UPDATE corvane_table SET value = -4 WHERE key = 'next_autoinc'"},
    };
    for (const auto& [what, sql] : cases) {
        SCOPED_TRACE(what);
        folder.Write("t.cds", original);
        Execute(folder.File("t.cds"), sql);
        Table table("table");
        try {
            table.LoadFromFile(folder.File("t.cds"));
            ADD_FAILURE() << "loaded";
        } catch (const ETableFileError& e) {
            EXPECT_NE(std::string(e.what()).find(folder.File("t.cds")), std::string::npos) << e.what();
        }
        EXPECT_FALSE(table.Active());
    }
}

// A table file that cannot be opened says why in the system's words, not
// only SQLite's "unable to open database file": a missing folder, a "folder"
// that is a file.
TEST(SqliteTableFile, AFileThatCannotBeOpenedGivesTheSystemsReason) {
    testing::TempFolder folder;
    folder.Write("plain.txt", "not a folder");
    TableStorage storage;
    FieldDef name;
    name.name = "Name";
    name.size = 20;
    storage.defs.push_back(name);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {{folder.File("missing/table.cds"), "No such file or directory"},
                 {folder.File("plain.txt/table.cds"), "Not a directory"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            WriteSqliteTable(c.path, storage);
            ADD_FAILURE() << "written";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("(") + c.reason + ")"), std::string::npos)
                << e.what();
        }
    }
}

} // namespace
} // namespace corvane
