#include "playlists/RecentPlayLists.h"

#include "data/Table.h"

#include <algorithm>
#include <cctype>

namespace corvane {
namespace {

constexpr const char* FileField = "PlayListFile";
constexpr const char* DateField = "DateCreated";
constexpr const char* NewestFirstIndex = "OnCreationDate";

bool HasIndex(const Table& table, const char* name) {
    const auto& indexes = table.Indexes();
    return std::any_of(indexes.begin(), indexes.end(), [name](const IndexDef& i) { return i.name == name; });
}

// Puts the table back into the order it had and drops the newest-first
// index, also after an error.
class OrderRestorer {
public:
    explicit OrderRestorer(Table& table)
        : table_(table), indexName_(table.IndexName()), indexFields_(table.IndexFieldNames()) {}
    ~OrderRestorer() {
        if (!indexFields_.empty())
            table_.SetIndexFieldNames(indexFields_);
        else if (indexName_ != NewestFirstIndex)
            table_.SetIndexName(indexName_);
        if (HasIndex(table_, NewestFirstIndex))
            table_.DeleteIndex(NewestFirstIndex);
    }
    OrderRestorer(const OrderRestorer&) = delete;
    OrderRestorer& operator=(const OrderRestorer&) = delete;

private:
    Table& table_;
    std::string indexName_;
    std::string indexFields_;
};

bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

std::vector<std::string> RecentPlayLists::Entries() {
    std::vector<std::string> entries;
    if (!history_.Active())
        return entries;
    const Bookmark here = history_.IsEmpty() ? 0 : history_.GetBookmark();
    {
        OrderRestorer restore(history_);
        if (HasIndex(history_, NewestFirstIndex))
            history_.DeleteIndex(NewestFirstIndex);
        history_.AddIndex({NewestFirstIndex, DateField, SortDirection::Descending});
        history_.SetIndexName(NewestFirstIndex);
        for (history_.First(); !history_.Eof() && static_cast<int>(entries.size()) < MaxEntries;
             history_.Next())
            entries.push_back(history_.FieldByName(FileField).AsString());
    }
    if (here)
        history_.GotoBookmark(here);
    return entries;
}

void RecentPlayLists::Remember(const std::string& path, TDateTime savedAt) {
    if (!history_.Active())
        history_.CreateDataSet();
    bool found = false;
    for (history_.First(); !history_.Eof(); history_.Next())
        if (SamePathIgnoringCase(history_.FieldByName(FileField).AsString(), path)) {
            found = true;
            break;
        }
    found ? history_.Edit() : history_.Append();
    try {
        history_.FieldByName(FileField).SetAsString(path);
        history_.FieldByName(DateField).SetAsDateTime(savedAt);
        history_.Post();
    } catch (...) {
        history_.Cancel();
        throw;
    }
}

void RecentPlayLists::Clear() {
    if (history_.Active())
        history_.EmptyDataSet();
}

} // namespace corvane
