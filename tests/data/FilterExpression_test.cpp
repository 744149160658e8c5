#include "data/DataErrors.h"
#include "data/DateTimeText.h"
#include "data/Table.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Events as the event list keeps them: the filter language's main customer.
class Filters : public ::testing::Test {
protected:
    Table events{
        "events",
        {MakeField("EventStart", FieldType::DateTime), MakeField("EventStatus", FieldType::String, 20),
         MakeField("EventDescription", FieldType::String, 80), MakeField("Count", FieldType::Integer)}};

    void SetUp() override {
        events.CreateDataSet();
        struct Row {
            int hour;
            const char* status;
            const char* description;
            int count;
        };
        for (const Row& r : {Row{9, "Queued", "News at nine", 1}, Row{10, "Completed", "O'Neil show", 2},
                             Row{11, "queued", "Star* hits", 3}, Row{12, "", "Starting", 4}}) {
            events.Append();
            events.FieldByName("EventStart").SetAsDateTime(EncodeDateTime({2026, 1, 5, r.hour, 0, 0, 0}));
            if (*r.status)
                events.FieldByName("EventStatus").SetAsString(r.status);
            events.FieldByName("EventDescription").SetAsString(r.description);
            events.FieldByName("Count").SetAsInteger(r.count);
            events.Post();
        }
    }

    std::vector<int> Matching(const std::string& expression, FilterOptions options = {}) {
        events.SetFilterOptions(options);
        events.SetFilter(expression);
        events.SetFiltered(true);
        std::vector<int> counts;
        for (events.First(); !events.Eof(); events.Next())
            counts.push_back(events.FieldByName("Count").AsInteger());
        events.SetFiltered(false);
        return counts;
    }
};

TEST_F(Filters, ExpressionsSelectTheRightRows) {
    const std::string ten = FormatLocalDateTime(EncodeDateTime({2026, 1, 5, 10, 0, 0, 0}));
    struct Case {
        std::string expression;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"EventStatus = 'Queued'", {1}},
        {"eventstatus <> 'Completed'", {1, 3, 4}}, // an empty status differs too
        {"(EventStart > '" + ten + "') and (EventStatus <> 'Completed')", {3, 4}},
        {"EventStart >= '" + ten + "'", {2, 3, 4}},
        {"Count < 2 or Count > 3", {1, 4}},
        {"not (Count <= 2)", {3, 4}},
        {"[Count] = 2", {2}},
        {"Count = '3'", {3}},
        {"(Count = 1 or Count = 2) and EventDescription > 'N'", {1, 2}},
        {"EventDescription = 'O''Neil show'", {2}},
        {"EventDescription = 'Star*'", {3, 4}}, // a trailing asterisk matches the start
        {"EventDescription <> 'Star*'", {1, 2}},
        {"", {1, 2, 3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Matching(c.expression), c.expected) << c.expression;
}

TEST_F(Filters, TheScheduleOptionsIgnoreCaseAndTakeAsterisksLiterally) {
    const FilterOptions schedule{CaseSensitivity::Insensitive, FilterOptions::Asterisk::Ordinary};
    EXPECT_EQ(Matching("EventStatus = 'QUEUED'", schedule), (std::vector<int>{1, 3}));
    EXPECT_EQ(Matching("EventDescription = 'star* HITS'", schedule), (std::vector<int>{3}));
    EXPECT_EQ(Matching("EventDescription = 'Star*'", schedule), (std::vector<int>{}));
    EXPECT_EQ(Matching("EventStatus = 'QUEUED'"), (std::vector<int>{}));
}

TEST_F(Filters, AnInvalidExpressionRaisesAndKeepsThePreviousFilter) {
    events.SetFilter("Count = 2");
    for (const char* bad : {"Count = ", "Count 2", "(Count = 2", "Nothing = 'x'", "Count = 'x'",
                            "EventStart > 'yesterday'", "Count = 2 junk", "EventStatus = 'open", "and"}) {
        EXPECT_THROW(events.SetFilter(bad), EDatabaseError) << bad;
    }
    EXPECT_EQ(events.Filter(), "Count = 2");
    events.SetFiltered(true);
    EXPECT_EQ(events.RecordCount(), 1);
}

TEST_F(Filters, PostedRowsFollowTheFilter) {
    events.SetFilter("EventStatus = 'Queued'");
    events.SetFiltered(true);
    events.Append();
    events.FieldByName("EventStatus").SetAsString("Queued");
    events.FieldByName("Count").SetAsInteger(5);
    events.Post();
    EXPECT_EQ(events.RecordCount(), 2);
    events.Edit();
    events.FieldByName("EventStatus").SetAsString("Completed");
    events.Post();
    EXPECT_EQ(events.RecordCount(), 1);
    EXPECT_EQ(events.StoredRowCount(), 5);
}

} // namespace
} // namespace corvane
