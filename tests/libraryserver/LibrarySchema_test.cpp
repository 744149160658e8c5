#include "data/QelTableSchemas.h"
#include "libraryserver/LibrarySchema.h"
#include "libraryserver/LibraryServer.h"
#include "support/PostgresCluster.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::PostgresCluster;

class LibrarySchemaTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { cluster = new PostgresCluster(); }
    static void TearDownTestSuite() { delete cluster; }
    static PostgresCluster* cluster;
    TitleColumns columns{AudioLibraryFields()};
};
PostgresCluster* LibrarySchemaTest::cluster = nullptr;

TEST_F(LibrarySchemaTest, AnEmptyDatabaseGetsTheWholeSchemaOnce) {
    PgConnection db(cluster->CreateDatabase("empty"));
    EXPECT_EQ(LibrarySchema::Version(db), 0);
    EXPECT_EQ(LibrarySchema::Migrate(db, columns), 0);
    EXPECT_EQ(LibrarySchema::Version(db), LibrarySchema::CurrentVersion);
    EXPECT_EQ(LibrarySchema::Migrate(db, columns), LibrarySchema::CurrentVersion);
    // Every stored field of the library has its column.
    const PgResult names =
        db.Exec("SELECT column_name FROM information_schema.columns WHERE table_name = 'titles'");
    std::set<std::string> present;
    for (int row = 0; row < names.Rows(); ++row)
        present.emplace(names.Text(row, 0));
    for (const FieldDef& def : columns.Fields())
        EXPECT_TRUE(present.contains(def.name)) << def.name;
    EXPECT_TRUE(present.contains("edited_at"));
}

// A server set up by the first version keeps its titles and statistics and
// gains what the later versions add.
TEST_F(LibrarySchemaTest, AnOlderSchemaIsMigratedKeepingItsTitles) {
    PgConnection db(cluster->CreateDatabase("older"));
    LibrarySchema::Migrate(db, columns, 1);
    db.Exec("INSERT INTO titles (\"TitleID\", \"TitleName\", \"TimesPlayed\") VALUES (5, 'Kept', 12)");
    EXPECT_EQ(LibrarySchema::Migrate(db, columns), 1);
    EXPECT_EQ(LibrarySchema::Version(db), LibrarySchema::CurrentVersion);
    ServerLibrary library = LibraryServer(db, columns).Load();
    ASSERT_EQ(library.titles.rows.size(), 1u);
    const auto& values = library.titles.rows[0]->values;
    EXPECT_EQ(values[static_cast<size_t>(columns.IndexOf("TitleName"))], Value(std::string("Kept")));
    EXPECT_EQ(values[static_cast<size_t>(columns.IndexOf("TimesPlayed"))], Value(int64_t{12}));
    EXPECT_EQ(db.Exec("SELECT count(*) FROM notices").Integer(0, 0), 0);
}

TEST_F(LibrarySchemaTest, ASchemaNewerThanTheConsoleIsRefused) {
    PgConnection db(cluster->CreateDatabase("newer"));
    LibrarySchema::Migrate(db, columns);
    db.Exec("UPDATE corvane_schema SET version = 99");
    EXPECT_THROW(LibrarySchema::Migrate(db, columns), ELibraryServerError);
}

// Every field kind goes to the server and comes back exactly.
TEST_F(LibrarySchemaTest, ValuesOfEveryKindComeBackExactly) {
    const std::vector<std::pair<Value, FieldType>> cases = {
        {std::string("Ünïcødé \"quoted\" 'single'\ttab\nline"), FieldType::String},
        {int64_t{-9007199254740993}, FieldType::LargeInt},
        {46027.123456789012, FieldType::DateTime},
        {1e+20, FieldType::Float},
        {5e-324, FieldType::Float},
        {true, FieldType::Boolean},
        {std::string("\x01\xff\x80 bytes", 9), FieldType::Blob},
    };
    PgConnection db(cluster->CreateDatabase("kinds"));
    for (const auto& [value, type] : cases) {
        const PgResult back = db.Exec(std::string("SELECT $1::") + TitleColumns::SqlType(type),
                                      {TitleColumns::ToText(value, type)});
        EXPECT_EQ(TitleColumns::FromText(back.Text(0, 0), type), value) << FieldTypeName(type);
    }
}

} // namespace
} // namespace corvane
