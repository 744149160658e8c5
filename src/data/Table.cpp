#include "data/Table.h"

#include "data/DataErrors.h"
#include "data/FilterExpression.h"
#include "data/TableFile.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

namespace corvane {

struct Table::LookupCache {
    int keyField = -1;
    uint64_t version = 0;
    std::unordered_map<std::string, const TableRow*> rows;
};

Table::Table(std::string name, FieldDefs defs)
    : name_(std::move(name)), storage_(std::make_shared<TableStorage>()) {
    storage_->defs = std::move(defs);
    storage_->cursors.push_back(this);
    RebuildFields();
}

Table::~Table() {
    observers_.clear(); // nobody is told of a table going away
    if (master_)
        SetMasterSource(nullptr);
    for (Table* detail : std::vector<Table*>(details_))
        detail->SetMasterSource(nullptr);
    auto& cursors = storage_->cursors;
    cursors.erase(std::remove(cursors.begin(), cursors.end(), this), cursors.end());
}

void Table::RebuildFields() {
    fields_.clear();
    fields_.reserve(storage_->defs.size());
    for (size_t i = 0; i < storage_->defs.size(); ++i)
        fields_.emplace_back(*this, static_cast<int>(i));
}

void Table::CheckActive() const {
    if (state_ == TableState::Inactive)
        throw EDatabaseError(name_ + ": Cannot perform this operation on a closed dataset");
}

void Table::CheckBrowseMode() {
    CheckActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert)
        Post();
}

// --- Life ---

void Table::SetFieldDefs(FieldDefs defs) {
    if (Active())
        throw EDatabaseError(name_ + ": Cannot change the fields of an open dataset");
    storage_->defs = std::move(defs);
    ClearRows();
    RebuildFields();
    order_.clear();
    indexFieldNames_.clear();
    indexName_.clear();
    filter_.reset();
    filterText_.clear();
}

void Table::ClearRows() {
    storage_->rows.clear();
    storage_->nextAutoInc = 1;
    storage_->changesPending = false;
    StorageChanged();
}

void Table::CreateDataSet() {
    if (Active())
        Close();
    if (hooks.BeforeOpen)
        hooks.BeforeOpen(*this);
    ClearRows();
    Activate();
}

void Table::Activate() {
    state_ = TableState::Browse;
    viewDirty_ = true;
    Sync();
    MoveTo(view_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = view_.empty();
    if (hooks.AfterOpen)
        hooks.AfterOpen(*this);
    NotifyDataChanged();
}

void Table::Open() {
    if (Active())
        return;
    if (hooks.BeforeOpen)
        hooks.BeforeOpen(*this);
    // Anything at the path that is not a readable file (a folder, a FIFO, a
    // link to a share not mounted) is reported by the reader rather than taken
    // for a missing file, which would start the table empty and later write
    // the empty table over it.
    if (!fileName_.empty() && CheckFile(fileName_).kind != FileKind::Missing) {
        AdoptLoaded(ReadFitting(fileName_));
        fileVersion_ = CurrentDataVersion();
    } else {
        ClearRows();
    }
    Activate();
}

void Table::Close() {
    if (!Active())
        return;
    if (state_ == TableState::Edit || state_ == TableState::Insert)
        Cancel();
    if (hooks.BeforeClose)
        hooks.BeforeClose(*this);
    if (!fileName_.empty() && writeOnClose_ == WriteOnClose::Yes && ChangedSinceFile())
        SaveToFile(fileName_);
    Deactivate();
    if (hooks.AfterClose)
        hooks.AfterClose(*this);
}

void Table::Deactivate() {
    state_ = TableState::Inactive;
    const bool shared = std::any_of(storage_->cursors.begin(), storage_->cursors.end(),
                                    [this](Table* t) { return t != this && t->Active(); });
    if (!shared)
        ClearRows();
    view_.clear();
    MoveTo(-1);
    eof_ = bof_ = true;
    NotifyDataChanged();
}

// --- Files ---

void Table::AdoptLoaded(TableStorage&& loaded) {
    auto& own = *storage_;
    const bool sameLayout =
        own.defs.empty() ||
        (own.defs.size() == loaded.defs.size() &&
         std::equal(own.defs.begin(), own.defs.end(), loaded.defs.begin(),
                    [](const FieldDef& a, const FieldDef& b) {
                        return a.Stored() && SameTextIgnoringCase(a.name, b.name) && a.type == b.type;
                    }));
    std::vector<std::unique_ptr<TableRow>> rows;
    if (sameLayout) {
        rows = std::move(loaded.rows);
    } else {
        // The file's fields are matched to ours by name; ours that the file
        // lacks stay empty, and the file's that we lack are not kept.
        std::vector<int> source(own.defs.size(), -1);
        for (size_t i = 0; i < own.defs.size(); ++i) {
            if (!own.defs[i].Stored())
                continue;
            for (size_t j = 0; j < loaded.defs.size(); ++j)
                if (SameTextIgnoringCase(own.defs[i].name, loaded.defs[j].name))
                    source[i] = static_cast<int>(j);
        }
        rows.reserve(loaded.rows.size());
        for (auto& row : loaded.rows) {
            std::vector<Value> values(own.defs.size());
            for (size_t i = 0; i < own.defs.size(); ++i)
                if (source[i] >= 0)
                    values[i] = std::move(row->values[static_cast<size_t>(source[i])]);
            rows.push_back(std::make_unique<TableRow>(TableRow{0, std::move(values)}));
        }
    }
    // Only now, with nothing left to fail, are the rows replaced.
    if (own.defs.empty()) {
        own.defs = std::move(loaded.defs);
        RebuildFields();
    }
    own.rows = std::move(rows);
    own.nextSeq = 1;
    for (auto& row : own.rows)
        row->seq = own.nextSeq++;
    own.nextAutoInc = loaded.nextAutoInc;
    own.changesPending = loaded.changesPending;
    StorageChanged();
}

// Reads a file and fits its rows to this table's fields, without touching the
// table; a file that does not fit is reported as a fault of that file.
TableStorage Table::ReadFitting(const std::string& path) const {
    TableStorage loaded = ReadTableFile(path);
    try {
        for (size_t j = 0; j < loaded.defs.size(); ++j) {
            const int i = FieldIndex(loaded.defs[j].name);
            if (i < 0)
                continue;
            const FieldDef& def = storage_->defs[static_cast<size_t>(i)];
            if (!def.Stored() || def.type == loaded.defs[j].type)
                continue;
            for (auto& row : loaded.rows)
                row->values[j] = ConvertValue(row->values[j], def.type, def.name);
            loaded.defs[j].type = def.type;
        }
    } catch (const EDatabaseError& e) {
        throw ETableFileError(path, std::string("does not fit the table: ") + e.what());
    }
    return loaded;
}

void Table::LoadFromFile(const std::string& path) {
    LoadRows(ReadFitting(path));
    if (path == fileName_)
        fileVersion_ = CurrentDataVersion();
}

void Table::LoadRows(TableStorage&& loaded) {
    if (Active()) {
        if (state_ == TableState::Edit || state_ == TableState::Insert)
            Cancel();
        if (hooks.BeforeClose)
            hooks.BeforeClose(*this);
        state_ = TableState::Inactive;
        if (hooks.AfterClose)
            hooks.AfterClose(*this);
    }
    if (hooks.BeforeOpen)
        hooks.BeforeOpen(*this);
    AdoptLoaded(std::move(loaded));
    Activate();
}

bool Table::AnyCursorEditing() const {
    return std::any_of(storage_->cursors.begin(), storage_->cursors.end(), [](const Table* cursor) {
        return cursor->state_ == TableState::Edit || cursor->state_ == TableState::Insert;
    });
}

std::shared_ptr<TableStorage> Table::SnapshotHead() const {
    auto copy = std::make_shared<TableStorage>();
    copy->defs = storage_->defs;
    copy->nextAutoInc = storage_->nextAutoInc;
    copy->nextSeq = storage_->nextSeq;
    copy->changesPending = storage_->changesPending;
    copy->version = storage_->version;
    copy->rows.reserve(storage_->rows.size());
    return copy;
}

size_t Table::SnapshotRows(TableStorage& into, size_t from, size_t count) const {
    const auto& rows = storage_->rows;
    const size_t end = std::min(rows.size(), from + count);
    for (size_t i = from; i < end; ++i)
        into.rows.push_back(std::make_unique<TableRow>(*rows[i]));
    return end > from ? end - from : 0;
}

std::shared_ptr<const TableStorage> Table::Snapshot() const {
    auto copy = SnapshotHead();
    SnapshotRows(*copy, 0, storage_->rows.size());
    return copy;
}

bool Table::ChangedSinceFile() const {
    return CurrentDataVersion() != fileVersion_ || CheckFile(fileName_).kind == FileKind::Missing;
}

void Table::SaveToFile(const std::string& path) {
    CheckActive();
    WriteTableFile(path, *storage_);
    if (path == fileName_)
        fileVersion_ = CurrentDataVersion();
}

// --- Rows ---

void Table::StartNewRow(NewRow where) {
    CheckBrowseMode();
    Sync();
    buffer_.assign(storage_->defs.size(), Value{});
    newRow_ = where;
    editing_ = 0;
    state_ = TableState::Insert;
    if (master_ && detailField_ >= 0)
        buffer_[static_cast<size_t>(detailField_)] =
            ConvertValue(MasterKey(), storage_->defs[static_cast<size_t>(detailField_)].type, "");
    try {
        if (hooks.OnNewRecord)
            hooks.OnNewRecord(*this);
    } catch (...) {
        Cancel();
        throw;
    }
    NotifyStateChanged();
}

void Table::Append() {
    StartNewRow(NewRow::Append);
}
void Table::Insert() {
    StartNewRow(NewRow::Insert);
}

void Table::Edit() {
    CheckActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert)
        return;
    Sync();
    TableRow* row = CurrentRow();
    if (!row) {
        Append();
        return;
    }
    buffer_ = row->values;
    editing_ = row->seq;
    state_ = TableState::Edit;
    NotifyStateChanged();
}

void Table::Post() {
    CheckActive();
    if (state_ != TableState::Edit && state_ != TableState::Insert)
        return;
    if (hooks.BeforePost)
        hooks.BeforePost(*this);
    auto& defs = storage_->defs;
    for (size_t i = 0; i < defs.size(); ++i) {
        if (defs[i].Stored() && defs[i].required && IsNull(buffer_[i]) && defs[i].type != FieldType::AutoInc)
            throw EDatabaseError("Field '" + defs[i].name + "' must have a value");
    }
    for (size_t i = 0; i < defs.size(); ++i) {
        if (defs[i].type != FieldType::AutoInc || !defs[i].Stored())
            continue;
        if (IsNull(buffer_[i]) && state_ == TableState::Insert)
            buffer_[i] = storage_->nextAutoInc;
        if (const auto* n = std::get_if<int64_t>(&buffer_[i]))
            storage_->nextAutoInc = std::max(storage_->nextAutoInc, *n + 1);
    }
    Sync();
    TableRow* row = nullptr;
    size_t fallback = 0;
    std::vector<Value> before;
    if (state_ == TableState::Insert) {
        auto owned = std::make_unique<TableRow>(TableRow{storage_->nextSeq++, std::move(buffer_)});
        row = owned.get();
        auto& rows = storage_->rows;
        TableRow* current = CurrentRow();
        auto at = rows.end();
        if (newRow_ == NewRow::Insert && current)
            at = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.get() == current; });
        rows.insert(at, std::move(owned));
        fallback = newRow_ == NewRow::Insert && pos_ >= 0 ? static_cast<size_t>(pos_) : view_.size();
    } else {
        row = CurrentRow();
        if (!row || row->seq != editing_)
            throw EDatabaseError(name_ + ": The row being edited is no longer there");
        if (storage_->rowListener)
            before = std::move(row->values);
        row->values = std::move(buffer_);
        fallback = static_cast<size_t>(pos_);
        view_.erase(view_.begin() + pos_);
    }
    buffer_.clear();
    const bool wasInsert = state_ == TableState::Insert;
    state_ = TableState::Browse;
    storage_->changesPending = true;
    const bool maxKnown = maxCache_.field >= 0 && maxCache_.version == storage_->version;
    PlaceInView(row, fallback);
    // A new row can only raise the largest value, so the cache follows it
    // (appending titles one by one to a large library stays linear).
    if (maxKnown && wasInsert) {
        if (const auto* n = std::get_if<int64_t>(&row->values[static_cast<size_t>(maxCache_.field)]))
            maxCache_.value = std::max(maxCache_.value, *n);
        maxCache_.version = storage_->version;
    }
    if (storage_->rowListener)
        storage_->rowListener->RowChanged(row->seq, wasInsert ? nullptr : &before, &row->values);
    if (hooks.AfterPost)
        hooks.AfterPost(*this);
    NotifyDataChanged();
}

void Table::Cancel() {
    if (state_ != TableState::Edit && state_ != TableState::Insert)
        return;
    buffer_.clear();
    editing_ = 0;
    state_ = TableState::Browse;
    NotifyStateChanged();
    NotifyDataChanged();
}

void Table::Delete() {
    CheckActive();
    if (state_ == TableState::Insert) {
        Cancel();
        return;
    }
    if (state_ == TableState::Edit)
        Cancel();
    Sync();
    TableRow* row = CurrentRow();
    if (!row)
        throw EDatabaseError(name_ + ": Cannot perform this operation on an empty dataset");
    if (hooks.BeforeDelete)
        hooks.BeforeDelete(*this);
    auto& rows = storage_->rows;
    view_.erase(view_.begin() + pos_);
    const auto gone = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.get() == row; });
    const std::unique_ptr<TableRow> deleted = std::move(*gone);
    rows.erase(gone);
    storage_->changesPending = true;
    StorageChanged();
    viewVersion_ = storage_->version;
    viewDirty_ = false;
    MoveTo(std::min(pos_, static_cast<int>(view_.size()) - 1));
    eof_ = view_.empty();
    bof_ = view_.empty();
    if (storage_->rowListener)
        storage_->rowListener->RowChanged(deleted->seq, &deleted->values, nullptr);
    if (hooks.AfterDelete)
        hooks.AfterDelete(*this);
    NotifyDataChanged();
    Scrolled();
}

void Table::EmptyDataSet() {
    CheckActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert)
        Cancel();
    if (!storage_->rows.empty())
        storage_->changesPending = true;
    storage_->rows.clear();
    StorageChanged();
    Sync();
    MoveTo(-1);
    eof_ = bof_ = true;
    NotifyDataChanged();
}

int Table::RecordCount() {
    if (!Active())
        return 0;
    Sync();
    return static_cast<int>(view_.size());
}

int64_t Table::MaxStoredInteger(std::string_view fieldName) {
    const int index = FieldIndex(fieldName);
    if (index < 0)
        throw EDatabaseError(name_ + ": Field '" + std::string(fieldName) + "' not found");
    if (maxCache_.field == index && maxCache_.version == storage_->version)
        return maxCache_.value;
    int64_t largest = 0;
    for (const auto& row : storage_->rows)
        if (const auto* n = std::get_if<int64_t>(&row->values[static_cast<size_t>(index)]))
            largest = std::max(largest, *n);
    maxCache_ = {index, storage_->version, largest};
    return largest;
}

// --- Fields ---

Field& Table::FieldAt(int index) {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(name_ + ": Field index " + std::to_string(index) + " out of range");
    return fields_[static_cast<size_t>(index)];
}

int Table::FieldIndex(std::string_view name) const {
    const auto& defs = storage_->defs;
    for (size_t i = 0; i < defs.size(); ++i)
        if (SameTextIgnoringCase(defs[i].name, name))
            return static_cast<int>(i);
    return -1;
}

Field* Table::FindField(std::string_view name) {
    const int i = FieldIndex(name);
    return i < 0 ? nullptr : &fields_[static_cast<size_t>(i)];
}

Field& Table::FieldByName(std::string_view name) {
    Field* f = FindField(name);
    if (!f)
        throw EDatabaseError(name_ + ": Field '" + std::string(name) + "' not found");
    return *f;
}

// --- Navigation ---

TableRow* Table::CurrentRow() {
    if (pos_ < 0 || pos_ >= static_cast<int>(view_.size()))
        return nullptr;
    return view_[static_cast<size_t>(pos_)];
}

void Table::First() {
    CheckBrowseMode();
    Sync();
    MoveTo(view_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = view_.empty();
    Scrolled();
}

void Table::Last() {
    CheckBrowseMode();
    Sync();
    MoveTo(static_cast<int>(view_.size()) - 1);
    eof_ = true;
    bof_ = view_.empty();
    Scrolled();
}

void Table::Next() {
    MoveBy(1);
}
void Table::Prior() {
    MoveBy(-1);
}

int Table::MoveBy(int count) {
    CheckBrowseMode();
    Sync();
    const int last = static_cast<int>(view_.size()) - 1;
    const int from = pos_;
    const int wanted = pos_ + count;
    MoveTo(std::clamp(wanted, view_.empty() ? -1 : 0, last));
    eof_ = view_.empty() || (count > 0 && wanted > last);
    bof_ = view_.empty() || (count < 0 && wanted < 0);
    if (pos_ != from)
        Scrolled();
    return pos_ - from;
}

bool Table::Eof() {
    Sync();
    return eof_ || view_.empty();
}

bool Table::Bof() {
    Sync();
    return bof_ || view_.empty();
}

int Table::RecNo() {
    Sync();
    return pos_ + 1;
}

Bookmark Table::GetBookmark() {
    Sync();
    const TableRow* row = CurrentRow();
    return row ? row->seq : 0;
}

bool Table::BookmarkValid(Bookmark bookmark) {
    Sync();
    return bookmark != 0 &&
           std::any_of(view_.begin(), view_.end(), [&](const TableRow* r) { return r->seq == bookmark; });
}

bool Table::GotoBookmark(Bookmark bookmark) {
    CheckBrowseMode();
    Sync();
    for (size_t i = 0; i < view_.size(); ++i) {
        if (view_[i]->seq == bookmark) {
            MoveTo(static_cast<int>(i));
            eof_ = bof_ = false;
            Scrolled();
            return true;
        }
    }
    return false;
}

// --- Locate and lookup ---

bool Table::Locate(std::string_view fieldName, const Value& value, CaseSensitivity sensitivity) {
    CheckBrowseMode();
    Sync();
    const int index = FieldIndex(fieldName);
    if (index < 0)
        throw EDatabaseError(name_ + ": Field '" + std::string(fieldName) + "' not found");
    const auto& def = storage_->defs[static_cast<size_t>(index)];
    Value wanted;
    try {
        wanted = ConvertValue(value, def.type, def.name);
    } catch (const EDatabaseError&) {
        return false; // a value the field cannot hold matches no row
    }
    if (!def.Stored())
        return false;
    const auto column = static_cast<size_t>(index);
    const auto* text = std::get_if<std::string>(&wanted);
    for (size_t i = 0; i < view_.size(); ++i) {
        const Value& v = view_[i]->values[column];
        // Equal texts have equal lengths: most rows are passed over on that alone.
        const auto* candidate = text ? std::get_if<std::string>(&v) : nullptr;
        const bool match = text ? candidate && candidate->size() == text->size() &&
                                      CompareText(*candidate, *text, sensitivity) == 0
                                : CompareValues(v, wanted, sensitivity) == 0;
        if (match) {
            MoveTo(static_cast<int>(i));
            eof_ = bof_ = false;
            Scrolled();
            return true;
        }
    }
    return false;
}

Value Table::Lookup(std::string_view keyField, const Value& key, std::string_view resultField) {
    const int keyIndex = FieldIndex(keyField);
    const int resultIndex = FieldIndex(resultField);
    if (keyIndex < 0 || resultIndex < 0 || IsNull(key))
        return {};
    if (!lookupCache_)
        lookupCache_ = std::make_unique<LookupCache>();
    auto& cache = *lookupCache_;
    const auto& keyDef = storage_->defs[static_cast<size_t>(keyIndex)];
    if (cache.keyField != keyIndex || cache.version != storage_->version || cache.rows.empty()) {
        cache.rows.clear();
        cache.keyField = keyIndex;
        cache.version = storage_->version;
        for (const auto& row : storage_->rows)
            cache.rows.emplace(ValueText(row->values[static_cast<size_t>(keyIndex)], keyDef.type), row.get());
    }
    Value wanted;
    try {
        wanted = ConvertValue(key, keyDef.type, keyDef.name);
    } catch (const EDatabaseError&) {
        return {};
    }
    const auto found = cache.rows.find(ValueText(wanted, keyDef.type));
    return found == cache.rows.end() ? Value{} : found->second->values[static_cast<size_t>(resultIndex)];
}

// --- Display ---

void Table::DisableControls() {
    ++controlsDisabled_;
}

void Table::EnableControls() {
    if (controlsDisabled_ > 0 && --controlsDisabled_ == 0) {
        dataChangedWhileDisabled_ = false;
        NotifyDataChanged();
    }
}

void Table::AddObserver(TableObserver& observer) {
    observers_.push_back(&observer);
}

void Table::RemoveObserver(TableObserver& observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), &observer), observers_.end());
}

void Table::NotifyDataChanged() {
    if (controlsDisabled_ > 0) {
        dataChangedWhileDisabled_ = true;
        return;
    }
    for (TableObserver* o : std::vector<TableObserver*>(observers_))
        o->TableDataChanged(*this);
}

void Table::NotifyStateChanged() {
    if (controlsDisabled_ > 0)
        return;
    for (TableObserver* o : std::vector<TableObserver*>(observers_))
        o->TableStateChanged(*this);
}

void Table::Scrolled() {
    if (hooks.AfterScroll)
        hooks.AfterScroll(*this);
    if (controlsDisabled_ > 0)
        return;
    for (TableObserver* o : std::vector<TableObserver*>(observers_))
        o->TableScrolled(*this);
}

// --- Values ---

Value Table::ReadValue(int field) {
    const auto& def = storage_->defs[static_cast<size_t>(field)];
    if (def.kind == FieldKind::Calculated)
        return CalculatedValue(field);
    if (def.kind == FieldKind::Lookup)
        return LookupValue(field);
    if (state_ == TableState::CalcFields && calcSource_)
        return (*calcSource_)[static_cast<size_t>(field)];
    if (state_ == TableState::Edit || state_ == TableState::Insert)
        return buffer_[static_cast<size_t>(field)];
    if (!Active())
        return {};
    Sync();
    const TableRow* row = CurrentRow();
    return row ? row->values[static_cast<size_t>(field)] : Value{};
}

void Table::WriteValue(int field, const Value& value) {
    const auto& def = storage_->defs[static_cast<size_t>(field)];
    if (state_ == TableState::CalcFields) {
        if (def.kind != FieldKind::Calculated)
            throw EDatabaseError(name_ + ": Field '" + def.name + "' cannot be modified while calculating");
        calcBuffer_[static_cast<size_t>(field)] = ConvertValue(value, def.type, def.name);
        return;
    }
    if (state_ != TableState::Edit && state_ != TableState::Insert)
        throw EDatabaseError(name_ + ": Dataset not in edit or insert mode");
    if (def.kind != FieldKind::Data)
        throw EDatabaseError(name_ + ": Field '" + def.name + "' cannot be modified");
    buffer_[static_cast<size_t>(field)] = ConvertValue(value, def.type, def.name);
    NotifyStateChanged();
}

Value Table::CalculatedValue(int field) {
    if (!hooks.OnCalcFields || !Active() || state_ == TableState::CalcFields)
        return state_ == TableState::CalcFields ? calcBuffer_[static_cast<size_t>(field)] : Value{};
    const bool editing = state_ == TableState::Edit || state_ == TableState::Insert;
    Sync();
    const TableRow* row = CurrentRow();
    const Bookmark current = editing ? 0 : (row ? row->seq : 0);
    if (editing || current != calcRow_ || calcVersion_ != storage_->version || calcBuffer_.empty()) {
        if (!editing && !row)
            return {};
        calcBuffer_.assign(storage_->defs.size(), Value{});
        const TableState saved = state_;
        calcSource_ = editing ? &buffer_ : &row->values;
        state_ = TableState::CalcFields;
        try {
            hooks.OnCalcFields(*this);
        } catch (...) {
            state_ = saved;
            calcSource_ = nullptr;
            throw;
        }
        state_ = saved;
        calcSource_ = nullptr;
        calcRow_ = current;
        calcVersion_ = storage_->version;
    }
    return calcBuffer_[static_cast<size_t>(field)];
}

Value Table::LookupValue(int field) {
    const auto& lookup = storage_->defs[static_cast<size_t>(field)].lookup;
    const int source = FieldIndex(lookup.sourceField);
    if (!lookup.table || source < 0)
        return {};
    return lookup.table->Lookup(lookup.keyField, ReadValue(source), lookup.resultField);
}

} // namespace corvane
