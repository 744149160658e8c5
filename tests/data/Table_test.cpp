#include "data/DataErrors.h"
#include "data/Table.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

FieldDefs TitleFields() {
    return {MakeField("ID", FieldType::AutoInc), MakeField("Name", FieldType::String, 20),
            MakeField("Plays", FieldType::Integer), MakeField("Length", FieldType::Float)};
}

// A small open table with the given names appended in order.
struct Titles : ::testing::Test {
    Table table{"titles", TitleFields()};
    void SetUp() override { table.CreateDataSet(); }
    void Add(const std::string& name, int plays = 0) {
        table.Append();
        table.FieldByName("Name").SetAsString(name);
        table.FieldByName("Plays").SetAsInteger(plays);
        table.Post();
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (table.First(); !table.Eof(); table.Next())
            names.push_back(table.FieldByName("Name").AsString());
        return names;
    }
};

TEST_F(Titles, RowsAreAppendedEditedAndDeletedWithAutoIncNeverReused) {
    Add("a");
    Add("b");
    Add("c");
    EXPECT_EQ(table.RecordCount(), 3);
    table.Last();
    EXPECT_EQ(table.FieldByName("id").AsInteger(), 3);
    table.Delete();
    Add("d");
    EXPECT_EQ(table.FieldByName("ID").AsInteger(), 4);
    table.First();
    table.Edit();
    table.FieldByName("Name").SetAsString("A");
    table.Cancel();
    EXPECT_EQ(table.FieldByName("Name").AsString(), "a");
    table.Edit();
    table.FieldByName("Name").SetAsString("A");
    table.Post();
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "b", "d"}));
}

TEST_F(Titles, EmptyIsDistinctFromZero) {
    table.Append();
    table.FieldByName("Name").SetAsString("x");
    table.Post();
    EXPECT_TRUE(table.FieldByName("Plays").IsNull());
    EXPECT_EQ(table.FieldByName("Plays").AsInteger(), 0);
    table.Edit();
    table.FieldByName("Plays").SetAsInteger(0);
    table.Post();
    EXPECT_FALSE(table.FieldByName("Plays").IsNull());
}

TEST_F(Titles, IndexOrderKeepsInsertionOrderForTiesAndPlacesPostedRows) {
    Add("b", 2);
    Add("a", 1);
    Add("c", 2);
    table.AddIndex({"ixPlays", "Plays"});
    table.SetIndexName("ixPlays");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
    Add("d", 1);
    EXPECT_EQ(table.FieldByName("Name").AsString(), "d");
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "d", "b", "c"}));
}

TEST_F(Titles, LocateTakesValuesLiterally) {
    Add("O'Brien*");
    Add("o'brien*");
    EXPECT_TRUE(table.Locate("Name", std::string("o'brien*")));
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_TRUE(table.Locate("NAME", std::string("O'BRIEN*"), CaseSensitivity::Insensitive));
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_FALSE(table.Locate("Name", std::string("O'Brien")));
}

} // namespace
} // namespace corvane
