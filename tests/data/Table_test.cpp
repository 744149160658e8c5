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

// Whatever cursor changes a row, the one listener on the rows hears it with
// the row before and after; a cancelled edit and a load are not row changes.
TEST_F(Titles, TheRowListenerHearsChangesThroughEveryCursor) {
    struct Heard final : RowChangeListener {
        std::vector<std::string> lines;
        void RowChanged(uint64_t, const std::vector<Value>* before,
                        const std::vector<Value>* after) override {
            auto name = [](const std::vector<Value>* row) {
                return row ? std::get<std::string>((*row)[1]) : std::string("-");
            };
            lines.push_back(name(before) + ">" + name(after));
        }
    } heard;
    table.SetRowChangeListener(&heard);
    Add("One");
    Table clone("clone");
    clone.CloneCursor(table);
    clone.First();
    clone.Edit();
    clone.FieldByName("Name").SetAsString("Uno");
    clone.Post();
    clone.Edit();
    clone.FieldByName("Name").SetAsString("Cancelled");
    clone.Cancel();
    EXPECT_FALSE(table.AnyCursorEditing());
    clone.Edit();
    EXPECT_TRUE(table.AnyCursorEditing());
    clone.Cancel();
    table.First();
    table.Delete();
    TableStorage rows;
    rows.defs = TitleFields();
    rows.AddRow({int64_t{5}, std::string("Loaded"), int64_t{0}, 1.0});
    table.LoadRows(std::move(rows));
    EXPECT_EQ(heard.lines, (std::vector<std::string>{"->One", "One>Uno", "Uno>-"}));
    EXPECT_EQ(Names(), std::vector<std::string>{"Loaded"});
    table.SetRowChangeListener(nullptr);
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

namespace corvane {
namespace {

TEST_F(Titles, NavigationStopsAtEitherEnd) {
    for (const char* n : {"a", "b", "c", "d"})
        Add(n);
    table.First();
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.MoveBy(2), 2);
    EXPECT_EQ(table.FieldByName("Name").AsString(), "c");
    EXPECT_EQ(table.MoveBy(10), 1);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.MoveBy(-10), -3);
    EXPECT_TRUE(table.Bof());
    EXPECT_FALSE(table.Eof());
    table.Prior();
    EXPECT_EQ(table.RecNo(), 1);
    table.Last();
    table.Next();
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.FieldByName("Name").AsString(), "d");
}

TEST_F(Titles, BookmarksSurviveResortingFilteringAndOtherRowsDeletion) {
    for (const char* n : {"c", "a", "d", "b"})
        Add(n);
    table.Locate("Name", std::string("d"));
    const Bookmark d = table.GetBookmark();
    table.SetIndexFieldNames("Name");
    table.First();
    table.Delete(); // "a"
    table.AddIndex({"ixDown", "Name", SortDirection::Descending});
    table.SetIndexName("ixDown");
    ASSERT_TRUE(table.GotoBookmark(d));
    EXPECT_EQ(table.FieldByName("Name").AsString(), "d");
    EXPECT_EQ(table.RecNo(), 1);
    table.SetFilter("Name <> 'd'");
    table.SetFiltered(true);
    EXPECT_FALSE(table.BookmarkValid(d));
    EXPECT_FALSE(table.GotoBookmark(d));
    table.SetFiltered(false);
    EXPECT_TRUE(table.GotoBookmark(d));
}

TEST_F(Titles, IndexOptionsAndDeletion) {
    for (const char* n : {"b", "A", "a", "B"})
        Add(n);
    table.SetIndexFieldNames("Name");
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B", "a", "b"}));
    table.AddIndex({"ixNoCase", "Name", SortDirection::Ascending, CaseSensitivity::Insensitive});
    table.SetIndexName("ixNoCase");
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "a", "b", "B"}));
    EXPECT_THROW(table.AddIndex({"IXNOCASE", "Name"}), EDatabaseError);
    EXPECT_THROW(table.AddIndex({"ixBad", "NoSuchField"}), EDatabaseError);
    table.DeleteIndex("ixnocase");
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "A", "a", "B"}));
    EXPECT_THROW(table.SetIndexName("ixNoCase"), EDatabaseError);
}

TEST_F(Titles, InsertPlacesTheRowBeforeTheCurrentOne) {
    Add("a");
    Add("c");
    table.Last();
    table.Insert();
    table.FieldByName("Name").SetAsString("b");
    table.Post();
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(Titles, FieldsAreFoundIgnoringCaseAndTypedValuesAreChecked) {
    EXPECT_EQ(table.FieldByName("pLaYs").Index(), 2);
    EXPECT_EQ(table.FindField("nothing"), nullptr);
    EXPECT_THROW(table.FieldByName("nothing"), EDatabaseError);
    EXPECT_EQ(table.FieldAt(1).FieldName(), "Name");
    EXPECT_THROW(table.FieldByName("Name").SetAsString("x"), EDatabaseError); // not editing
    table.Append();
    EXPECT_THROW(table.FieldByName("Plays").SetAsString("twelve"), EDatabaseError);
    EXPECT_THROW(table.FieldByName("Plays").SetAsInteger(int64_t{1} << 40), EDatabaseError);
    table.FieldByName("Plays").SetAsString(" 12 ");
    table.FieldByName("Length").SetAsString("2.5");
    // A text longer than the declared width is kept whole, never cut.
    const std::string longName(300, 'x');
    table.FieldByName("Name").SetAsString(longName);
    table.Post();
    EXPECT_EQ(table.FieldByName("Plays").AsInteger(), 12);
    EXPECT_EQ(table.FieldByName("Plays").AsString(), "12");
    EXPECT_DOUBLE_EQ(table.FieldByName("Length").AsFloat(), 2.5);
    EXPECT_EQ(table.FieldByName("Name").AsString(), longName);
}

TEST_F(Titles, PendingChangesFollowRowChangesOnly) {
    EXPECT_FALSE(table.ChangesPending());
    table.Append();
    table.Cancel();
    EXPECT_FALSE(table.ChangesPending());
    table.EmptyDataSet();
    EXPECT_FALSE(table.ChangesPending());
    Add("a");
    EXPECT_TRUE(table.ChangesPending());
    table.CreateDataSet();
    EXPECT_FALSE(table.ChangesPending());
    Add("a");
    table.CreateDataSet();
    table.Append();
    table.Post();
    table.Delete();
    EXPECT_TRUE(table.ChangesPending());
}

TEST_F(Titles, ARuleCanWithdrawANewRowOrRefuseAPost) {
    table.hooks.OnNewRecord = [](Table& t) {
        if (t.Tag == 1)
            Abort();
        t.FieldByName("Plays").SetAsInteger(7);
    };
    table.hooks.BeforePost = [](Table& t) {
        if (t.FieldByName("Name").AsString().empty())
            Abort();
    };
    table.Tag = 1;
    EXPECT_THROW(table.Append(), EAbort);
    EXPECT_EQ(table.State(), TableState::Browse);
    table.Tag = 0;
    table.Append();
    EXPECT_EQ(table.FieldByName("Plays").AsInteger(), 7);
    EXPECT_THROW(table.Post(), EAbort);
    EXPECT_EQ(table.State(), TableState::Insert);
    table.FieldByName("Name").SetAsString("x");
    table.Post();
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(Titles, DeleteRulesRunAroundTheDeletion) {
    Add("a");
    Add("b");
    std::vector<std::string> seen;
    table.hooks.BeforeDelete = [&](Table& t) {
        seen.push_back("before " + t.FieldByName("Name").AsString());
    };
    table.hooks.AfterDelete = [&](Table& t) { seen.push_back("after " + std::to_string(t.RecordCount())); };
    table.First();
    table.Delete();
    EXPECT_EQ(seen, (std::vector<std::string>{"before a", "after 1"}));
    EXPECT_EQ(table.FieldByName("Name").AsString(), "b");
    table.hooks.BeforeDelete = [](Table&) { Abort(); };
    EXPECT_THROW(table.Delete(), EAbort);
    EXPECT_EQ(table.RecordCount(), 1);
}

struct CountingObserver : TableObserver {
    int data = 0, scrolls = 0, states = 0;
    void TableDataChanged(Table&) override { ++data; }
    void TableScrolled(Table&) override { ++scrolls; }
    void TableStateChanged(Table&) override { ++states; }
};

TEST_F(Titles, SuspendedDisplayHearsOneChangeOnResume) {
    CountingObserver grid;
    table.AddObserver(grid);
    Add("a");
    EXPECT_GT(grid.data, 0);
    grid = {};
    table.DisableControls();
    table.DisableControls();
    Add("b");
    table.First();
    table.EnableControls();
    EXPECT_EQ(grid.data + grid.scrolls + grid.states, 0);
    table.EnableControls();
    EXPECT_EQ(grid.data, 1);
    EXPECT_EQ(grid.scrolls, 0);
    table.Next();
    EXPECT_EQ(grid.scrolls, 1);
    table.RemoveObserver(grid);
}

TEST_F(Titles, CalculatedAndLookupFieldsAreComputedNotStored) {
    Table names("names", {MakeField("Key", FieldType::Integer), MakeField("Text", FieldType::String, 10)});
    names.CreateDataSet();
    for (int i = 1; i <= 3; ++i) {
        names.Append();
        names.FieldByName("Key").SetAsInteger(i);
        names.FieldByName("Text").SetAsString("name" + std::to_string(i));
        names.Post();
    }
    Table list("list", {MakeField("Key", FieldType::Integer),
                        MakeField("Text", FieldType::String, 10).LookupFrom("Key", names, "Key", "Text"),
                        MakeField("Twice", FieldType::Integer).Calculated()});
    list.hooks.OnCalcFields = [](Table& t) {
        t.FieldByName("Twice").SetAsInteger(t.FieldByName("Key").AsInteger() * 2);
    };
    list.CreateDataSet();
    for (int key : {2, 9}) {
        list.Append();
        list.FieldByName("Key").SetAsInteger(key);
        list.Post();
    }
    list.First();
    EXPECT_EQ(list.FieldByName("Text").AsString(), "name2");
    EXPECT_EQ(list.FieldByName("Twice").AsInteger(), 4);
    list.Next();
    EXPECT_TRUE(list.FieldByName("Text").IsNull());
    EXPECT_EQ(list.FieldByName("Twice").AsInteger(), 18);
    names.Locate("Key", int64_t{2});
    names.Edit();
    names.FieldByName("Text").SetAsString("renamed");
    names.Post();
    list.First();
    EXPECT_EQ(list.FieldByName("Text").AsString(), "renamed");
    list.Edit();
    EXPECT_THROW(list.FieldByName("Twice").SetAsInteger(1), EDatabaseError);
    list.Cancel();
}

TEST_F(Titles, MasterLinkLimitsAndFollowsTheMasterRow) {
    Table plays("plays",
                {MakeField("TitleName", FieldType::String, 20), MakeField("Day", FieldType::Integer)});
    plays.CreateDataSet();
    for (auto [name, day] : {std::pair{"a", 1}, {"b", 1}, {"a", 2}, {"a", 3}}) {
        plays.Append();
        plays.FieldByName("TitleName").SetAsString(name);
        plays.FieldByName("Day").SetAsInteger(day);
        plays.Post();
    }
    Add("a");
    Add("b");
    Add("c");
    plays.SetMasterSource(&table, "Name", "TitleName");
    table.First();
    EXPECT_EQ(plays.RecordCount(), 3);
    table.Next();
    EXPECT_EQ(plays.RecordCount(), 1);
    EXPECT_EQ(plays.FieldByName("Day").AsInteger(), 1);
    plays.Append(); // takes the master's key
    plays.FieldByName("Day").SetAsInteger(5);
    plays.Post();
    EXPECT_EQ(plays.RecordCount(), 2);
    table.Next();
    EXPECT_TRUE(plays.IsEmpty());
    plays.SetMasterSource(nullptr);
    EXPECT_EQ(plays.RecordCount(), 5);
    EXPECT_THROW(plays.SetMasterSource(&table, "Name", "NoSuchField"), EDatabaseError);
    EXPECT_EQ(plays.RecordCount(), 5);
    {
        Table master("master", {MakeField("Name", FieldType::String, 20)});
        master.CreateDataSet();
        plays.SetMasterSource(&master, "Name", "TitleName");
        EXPECT_TRUE(plays.IsEmpty());
    }
    EXPECT_EQ(plays.RecordCount(), 5); // the link ended with its master
}

TEST_F(Titles, CloneSharesRowsButNotThePosition) {
    Add("a");
    Add("b");
    Table clone("clone");
    clone.CloneCursor(table);
    ASSERT_TRUE(clone.Active());
    clone.Last();
    table.First();
    EXPECT_EQ(clone.FieldByName("Name").AsString(), "b");
    clone.Edit();
    clone.FieldByName("Name").SetAsString("B");
    clone.Post();
    table.Last();
    EXPECT_EQ(table.FieldByName("Name").AsString(), "B");
    Add("c");
    EXPECT_EQ(clone.RecordCount(), 3);
    clone.SetIndexFieldNames("Name");
    clone.First();
    EXPECT_EQ(clone.FieldByName("Name").AsString(), "B");
    table.First();
    EXPECT_EQ(table.FieldByName("Name").AsString(), "a");
}

} // namespace
} // namespace corvane
