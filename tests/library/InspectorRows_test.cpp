#include "data/Table.h"
#include "library/InspectorRows.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Every kind of field a parameter table can hold, with the row it gives.
TEST(InspectorRows, OneRowPerFieldInFieldOrderWithItsKind) {
    Table lookup("cdsKinds",
                 {MakeField("Code", FieldType::Integer), MakeField("Name", FieldType::String, 20)});
    lookup.CreateDataSet();
    Table table("cdsParams",
                {MakeField("Flag", FieldType::String, 1),
                 MakeField("Name", FieldType::String, 40).Label("Its Name"),
                 MakeField("Price", FieldType::Float).Format("$#,##0.00"),
                 MakeField("Ratio", FieldType::Float), MakeField("Notes", FieldType::Memo),
                 MakeField("When", FieldType::DateTime), MakeField("Count", FieldType::Integer),
                 MakeField("ID", FieldType::AutoInc).Hide(), MakeField("KindCode", FieldType::Integer),
                 MakeField("Kind", FieldType::String, 20).LookupFrom("KindCode", lookup, "Code", "Name")});
    table.CreateDataSet();
    const auto rows = BuildInspectorRows(table);
    const std::vector<std::pair<std::string, InspectorRowKind>> expected = {
        {"Flag", InspectorRowKind::CheckBox},  {"Its Name", InspectorRowKind::Plain},
        {"Price", InspectorRowKind::Currency}, {"Ratio", InspectorRowKind::Plain},
        {"Notes", InspectorRowKind::Memo},     {"When", InspectorRowKind::Date},
        {"Count", InspectorRowKind::Plain},    {"ID", InspectorRowKind::Plain},
        {"KindCode", InspectorRowKind::Plain}, {"Kind", InspectorRowKind::DropDown}};
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].caption, expected[i].first) << i;
        EXPECT_EQ(rows[i].kind, expected[i].second) << rows[i].caption;
    }
    EXPECT_EQ(rows[1].field, "Name");
}

class InspectorEdits : public ::testing::Test {
protected:
    void SetUp() override {
        kinds.CreateDataSet();
        for (auto [code, name] : {std::pair{1, "Jingle"}, {2, "Spot"}, {3, "Jingle"}}) {
            kinds.Append();
            kinds.FieldByName("Code").SetAsInteger(code);
            kinds.FieldByName("Name").SetAsString(name);
            kinds.Post();
        }
        table.CreateDataSet();
        table.Append();
        table.FieldByName("Flag").SetAsString("F");
        table.Post();
    }
    InspectorRow Row(const std::string& field) {
        for (auto& row : BuildInspectorRows(table))
            if (row.field == field)
                return row;
        throw std::runtime_error(field);
    }

    Table kinds{"cdsKinds",
                {MakeField("Code", FieldType::Integer), MakeField("Name", FieldType::String, 20)}};
    Table table{"cdsParams",
                {MakeField("Flag", FieldType::String, 1), MakeField("Count", FieldType::Integer),
                 MakeField("KindCode", FieldType::Integer),
                 MakeField("Kind", FieldType::String, 20).LookupFrom("KindCode", kinds, "Code", "Name")}};
};

TEST_F(InspectorEdits, BrowsingRowIsPostedAtOnceEditedRowWaitsForItsSave) {
    WriteInspectorText(table, Row("Flag"), "T");
    EXPECT_EQ(table.State(), TableState::Browse);
    EXPECT_EQ(table.FieldByName("Flag").AsString(), "T");

    table.Edit();
    WriteInspectorText(table, Row("Count"), "42");
    EXPECT_EQ(table.State(), TableState::Edit);
    table.Cancel();
    EXPECT_TRUE(table.FieldByName("Count").IsNull());

    WriteInspectorText(table, Row("Count"), "7");
    WriteInspectorText(table, Row("Count"), "");
    EXPECT_TRUE(table.FieldByName("Count").IsNull());
}

TEST_F(InspectorEdits, BadTextLeavesTheRowAsItWasAndRaises) {
    WriteInspectorText(table, Row("Count"), "5");
    EXPECT_ANY_THROW(WriteInspectorText(table, Row("Count"), "five"));
    EXPECT_EQ(table.State(), TableState::Browse);
    EXPECT_EQ(table.FieldByName("Count").AsInteger(), 5);
}

TEST_F(InspectorEdits, DropDownOffersEachResultOnceAndStoresItsKey) {
    const InspectorRow kind = Row("Kind");
    EXPECT_EQ(DropDownChoices(table, kind), (std::vector<std::string>{"Jingle", "Spot"}));
    WriteInspectorText(table, kind, "Spot");
    EXPECT_EQ(table.FieldByName("KindCode").AsInteger(), 2);
    EXPECT_EQ(InspectorText(table, kind), "Spot");
}

TEST_F(InspectorEdits, ReadOnlyRowsAndEmptyTablesAreNeverWritten) {
    const auto rows = InspectorRowsFor(table, {"Count", "Missing", "Flag"}, {"Count"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].access, RowAccess::ReadOnly);
    WriteInspectorText(table, rows[0], "9");
    EXPECT_TRUE(table.FieldByName("Count").IsNull());
    table.EmptyDataSet();
    WriteInspectorText(table, rows[1], "T");
    EXPECT_EQ(table.RecordCount(), 0);
}

} // namespace
} // namespace corvane
