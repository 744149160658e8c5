// The cursor's view of the rows: order, filter and master link.
#include "data/DataErrors.h"
#include "data/FilterExpression.h"
#include "data/Table.h"

#include <algorithm>

namespace corvane {

void Table::StorageChanged() {
    ++storage_->version;
    for (Table* cursor : storage_->cursors) {
        if (cursor != this) {
            cursor->viewDirty_ = true;
            cursor->NotifyDataChanged();
        }
    }
}

void Table::MoveTo(int position) {
    pos_ = position;
    current_ = position >= 0 && position < static_cast<int>(view_.size())
                   ? view_[static_cast<size_t>(position)]->seq
                   : 0;
}

// Brings the view up to date when the rows were changed through another
// cursor, or the order, filter or master row changed. Keeps the current row
// where it is still shown.
void Table::Sync() {
    if (!viewDirty_ && viewVersion_ == storage_->version)
        return;
    RebuildView();
}

void Table::RebuildView() {
    // The old view may point at rows that are gone: only the current row's
    // identity is carried over.
    const Bookmark keep = current_;
    view_.clear();
    if (Active()) {
        view_.reserve(storage_->rows.size());
        for (const auto& row : storage_->rows)
            if (Visible(*row))
                view_.push_back(row.get());
        SortView();
    }
    viewDirty_ = false;
    viewVersion_ = storage_->version;
    int found = -1;
    for (size_t i = 0; keep != 0 && i < view_.size(); ++i)
        if (view_[i]->seq == keep)
            found = static_cast<int>(i);
    if (found >= 0)
        MoveTo(found);
    else
        MoveTo(std::min(std::max(pos_, 0), static_cast<int>(view_.size()) - 1));
    if (view_.empty())
        eof_ = bof_ = true;
}

bool Table::Visible(const TableRow& row) const {
    if (master_) {
        if (detailField_ < 0)
            return false;
        const Value key = MasterKey();
        if (IsNull(key) ||
            CompareValues(row.values[static_cast<size_t>(detailField_)],
                          ConvertValue(key, storage_->defs[static_cast<size_t>(detailField_)].type, ""),
                          CaseSensitivity::Sensitive) != 0)
            return false;
    }
    return !filtered_ || !filter_ || filter_->Matches(row.values, filterOptions_);
}

// Sorts the whole view by the current order. Keys that ignore case are folded
// once per row rather than at every comparison.
void Table::SortView() {
    if (order_.empty())
        return;
    struct Keyed {
        TableRow* row;
        std::vector<Value> keys;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(view_.size());
    for (TableRow* row : view_) {
        Keyed k{row, {}};
        k.keys.reserve(order_.size());
        for (const SortKey& key : order_) {
            const Value& v = row->values[static_cast<size_t>(key.field)];
            const auto* text = std::get_if<std::string>(&v);
            k.keys.push_back(
                text && key.caseSensitivity == CaseSensitivity::Insensitive ? Value(FoldCase(*text)) : v);
        }
        keyed.push_back(std::move(k));
    }
    std::sort(keyed.begin(), keyed.end(), [this](const Keyed& a, const Keyed& b) {
        for (size_t i = 0; i < order_.size(); ++i) {
            const int c = CompareValues(a.keys[i], b.keys[i], CaseSensitivity::Sensitive);
            if (c != 0)
                return order_[i].direction == SortDirection::Descending ? c > 0 : c < 0;
        }
        return a.row->seq < b.row->seq;
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        view_[i] = keyed[i].row;
}

// Rows with equal keys keep the order in which they were created.
bool Table::RowBefore(const TableRow& a, const TableRow& b) const {
    for (const SortKey& key : order_) {
        const int c = CompareValues(a.values[static_cast<size_t>(key.field)],
                                    b.values[static_cast<size_t>(key.field)], key.caseSensitivity);
        if (c != 0)
            return key.direction == SortDirection::Descending ? c > 0 : c < 0;
    }
    return a.seq < b.seq;
}

// Puts a just-posted row at its place in the current order (or at `fallback`
// in natural order) and makes it current; a row the filter hides is left out
// and the cursor stays near where it was.
void Table::PlaceInView(TableRow* row, size_t fallback) {
    StorageChanged();
    viewVersion_ = storage_->version;
    viewDirty_ = false;
    if (!Visible(*row)) {
        MoveTo(std::min(static_cast<int>(fallback), static_cast<int>(view_.size()) - 1));
        eof_ = bof_ = view_.empty();
        return;
    }
    auto at = view_.begin() + static_cast<std::ptrdiff_t>(std::min(fallback, view_.size()));
    if (!order_.empty())
        at = std::upper_bound(view_.begin(), view_.end(), row,
                              [this](const TableRow* a, const TableRow* b) { return RowBefore(*a, *b); });
    // Insert first, then measure: the insertion may move the view's storage,
    // and the two operands of a subtraction are evaluated in no fixed order.
    const auto inserted = view_.insert(at, row);
    MoveTo(static_cast<int>(inserted - view_.begin()));
    eof_ = bof_ = false;
}

std::vector<Table::SortKey> Table::ParseSortFields(const std::string& fields, SortDirection direction,
                                                   CaseSensitivity sensitivity) const {
    std::vector<SortKey> keys;
    size_t start = 0;
    while (start <= fields.size()) {
        size_t end = fields.find(';', start);
        if (end == std::string::npos)
            end = fields.size();
        std::string name = fields.substr(start, end - start);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        if (!name.empty()) {
            const int index = FieldIndex(name);
            if (index < 0 || !storage_->defs[static_cast<size_t>(index)].Stored())
                throw EDatabaseError(name_ + ": Field '" + name + "' not found");
            keys.push_back({index, direction, sensitivity});
        }
        start = end + 1;
    }
    return keys;
}

void Table::SetOrder(std::vector<SortKey> order) {
    if (Active())
        CheckBrowseMode();
    order_ = std::move(order);
    viewDirty_ = true;
    Sync();
    NotifyDataChanged();
}

void Table::SetIndexFieldNames(std::string fields) {
    auto keys = ParseSortFields(fields, SortDirection::Ascending, CaseSensitivity::Sensitive);
    indexFieldNames_ = std::move(fields);
    indexName_.clear();
    SetOrder(std::move(keys));
}

void Table::AddIndex(IndexDef index) {
    ParseSortFields(index.fields, index.direction, index.caseSensitivity);
    auto same = std::find_if(indexes_.begin(), indexes_.end(),
                             [&](const IndexDef& d) { return SameTextIgnoringCase(d.name, index.name); });
    if (same != indexes_.end())
        throw EDatabaseError(name_ + ": Index '" + index.name + "' already exists");
    indexes_.push_back(std::move(index));
}

void Table::DeleteIndex(std::string_view name) {
    auto found = std::find_if(indexes_.begin(), indexes_.end(),
                              [&](const IndexDef& d) { return SameTextIgnoringCase(d.name, name); });
    if (found == indexes_.end())
        throw EDatabaseError(name_ + ": Index '" + std::string(name) + "' not found");
    const bool inUse = SameTextIgnoringCase(indexName_, name);
    indexes_.erase(found);
    if (inUse) {
        indexName_.clear();
        SetOrder({});
    }
}

void Table::SetIndexName(std::string name) {
    if (name.empty()) {
        indexName_.clear();
        indexFieldNames_.clear();
        SetOrder({});
        return;
    }
    auto found = std::find_if(indexes_.begin(), indexes_.end(),
                              [&](const IndexDef& d) { return SameTextIgnoringCase(d.name, name); });
    if (found == indexes_.end())
        throw EDatabaseError(name_ + ": Index '" + name + "' not found");
    auto keys = ParseSortFields(found->fields, found->direction, found->caseSensitivity);
    indexName_ = found->name;
    indexFieldNames_.clear();
    SetOrder(std::move(keys));
}

void Table::SetFilter(std::string expression) {
    auto parsed = FilterExpression::Parse(expression, storage_->defs);
    filter_ = std::move(parsed);
    filterText_ = std::move(expression);
    if (filtered_) {
        viewDirty_ = true;
        NotifyDataChanged();
    }
}

void Table::SetFiltered(bool filtered) {
    if (filtered_ == filtered)
        return;
    if (Active())
        CheckBrowseMode();
    filtered_ = filtered;
    RestartView();
}

void Table::SetFilterOptions(FilterOptions options) {
    filterOptions_ = options;
    if (filtered_) {
        viewDirty_ = true;
        NotifyDataChanged();
    }
}

// --- Master link and clones ---

Value Table::MasterKey() const {
    if (!master_ || !master_->Active())
        return {};
    const int field = master_->FieldIndex(masterField_);
    return field < 0 ? Value{} : master_->ReadValue(field);
}

void Table::SetMasterSource(Table* master, std::string masterField, std::string indexField) {
    const int detailField = master ? FieldIndex(indexField) : -1;
    if (master && master->FieldIndex(masterField) < 0)
        throw EDatabaseError(master->Name() + ": Field '" + masterField + "' not found");
    if (master && detailField < 0)
        throw EDatabaseError(name_ + ": Field '" + indexField + "' not found");
    if (master_) {
        master_->RemoveObserver(*masterLink_);
        auto& siblings = master_->details_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    master_ = master;
    masterField_ = std::move(masterField);
    detailField_ = detailField;
    if (master_) {
        if (!masterLink_)
            masterLink_ = std::make_unique<MasterLink>(*this);
        master_->AddObserver(*masterLink_);
        master_->details_.push_back(this);
    }
    RestartView();
}

// The rows shown changed as a whole (filter switched, master row moved): the
// cursor starts again at the first row.
void Table::RestartView() {
    viewDirty_ = true;
    if (Active()) {
        Sync();
        MoveTo(view_.empty() ? -1 : 0);
        eof_ = bof_ = view_.empty();
    }
    NotifyDataChanged();
}

void Table::CloneCursor(Table& source) {
    if (&source == this)
        return;
    if (Active())
        Close();
    auto& cursors = storage_->cursors;
    cursors.erase(std::remove(cursors.begin(), cursors.end(), this), cursors.end());
    storage_ = source.storage_;
    storage_->cursors.push_back(this);
    RebuildFields();
    order_ = source.order_;
    indexFieldNames_ = source.indexFieldNames_;
    indexName_ = source.indexName_;
    indexes_ = source.indexes_;
    filterText_ = source.filterText_;
    filterOptions_ = source.filterOptions_;
    filtered_ = source.filtered_;
    filter_ = filterText_.empty() ? nullptr : FilterExpression::Parse(filterText_, storage_->defs);
    fileName_.clear();
    if (source.Active())
        Activate();
}

} // namespace corvane
