#pragma once

#include "data/Field.h"
#include "data/FieldDef.h"
#include "data/TableObserver.h"
#include "data/TableStorage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class FilterExpression;

enum class TableState { Inactive, Browse, Edit, Insert, CalcFields };
enum class SortDirection { Ascending, Descending };
enum class WriteOnClose { Yes, No };

// A named index: one or more fields (separated by ';') and its options.
struct IndexDef {
    std::string name;
    std::string fields;
    SortDirection direction = SortDirection::Ascending;
    CaseSensitivity caseSensitivity = CaseSensitivity::Sensitive;
};

// How a filter compares text. With Asterisk::Wildcard a literal ending in '*'
// compared with = or <> matches every text that starts with the part before it.
struct FilterOptions {
    enum class Asterisk { Wildcard, Ordinary };
    CaseSensitivity caseSensitivity = CaseSensitivity::Sensitive;
    Asterisk asterisk = Asterisk::Wildcard;
};

// The table's rules. Each runs on the main thread with the table; a rule
// withdraws the operation silently by calling Abort() (the EAbort then reaches
// the caller, and the table is left as before the operation).
struct TableHooks {
    std::function<void(Table&)> BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    std::function<void(Table&)> OnNewRecord; // a new row was started (append or insert)
    std::function<void(Table&)> BeforePost, AfterPost;
    std::function<void(Table&)> BeforeDelete, AfterDelete;
    std::function<void(Table&)> OnCalcFields; // sets the calculated fields of the current row
    std::function<void(Table&)> AfterScroll;
};

// A row's identity within its table; it survives re-sorting, filtering and
// the insertion or deletion of other rows. 0 is no row.
using Bookmark = uint64_t;

// An in-memory table of typed, named fields with a cursor: the store behind
// every table of the console. Rows live in memory in their natural order
// ("as added"); the cursor shows them in the current order (an index or sort
// fields), limited by the filter and the master link. A table with a file name
// loads it on Open and writes it on Close. Main thread only.
class Table {
public:
    explicit Table(std::string name, FieldDefs defs = {});
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const std::string& Name() const { return name_; }

    // --- Life ---
    // Replaces the field list (the table must be closed).
    void SetFieldDefs(FieldDefs defs);
    const FieldDefs& FieldDefinitions() const { return storage_->defs; }
    // Opens the table empty, discarding any rows.
    void CreateDataSet();
    // Opens the table: from its file if it has one and the file exists, else
    // empty. A file that cannot be read raises ETableFileError and leaves the
    // table closed.
    void Open();
    // Closes the table; a table with a file name first writes itself to it
    // when its rows changed since the file was read or written (unless told
    // not to). A failed write raises and leaves the table open.
    void Close();
    bool Active() const { return state_ != TableState::Inactive; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
    const std::string& FileName() const { return fileName_; }
    void SetWriteOnClose(WriteOnClose write) { writeOnClose_ = write; }

    // --- Files ---
    // Replaces all rows from a file in either form (the table is closed and
    // reopened, running its rules). A failed load raises ETableFileError and
    // leaves the table as it was.
    void LoadFromFile(const std::string& path);
    // Writes the rows atomically: a name ending ".xml" gives an XML data packet,
    // any other the binary form. A failed write leaves the previous file intact.
    void SaveToFile(const std::string& path);
    // Replaces all rows with `rows` (fitted to this table's fields by name),
    // as a load from a file does: the table is closed and reopened, running
    // its rules. The table's file then counts as changed.
    void LoadRows(TableStorage&& rows);

    // --- Rows ---
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Removes every row without running the per-row rules.
    void EmptyDataSet();
    TableState State() const { return state_; }
    // Rows the cursor shows (filter and master link applied).
    int RecordCount();
    bool IsEmpty() { return RecordCount() == 0; }
    // Every row held, whatever the filter and master link show.
    int StoredRowCount() const { return static_cast<int>(storage_->rows.size()); }
    // The largest value of an integer field over every row held; 0 when none.
    int64_t MaxStoredInteger(std::string_view fieldName);
    // True once rows were added, changed or deleted since the table was created
    // (or since the loaded file's last such change); writing does not clear it.
    bool ChangesPending() const { return storage_->changesPending; }
    // The next value an AutoInc field will get.
    int64_t NextAutoIncValue() const { return storage_->nextAutoInc; }
    // Differs after every change of the rows, also after they were replaced
    // by a load, so that a writer can tell whether its last copy is current.
    struct DataVersion {
        const void* storage = nullptr;
        uint64_t version = 0;
        friend bool operator==(const DataVersion&, const DataVersion&) = default;
    };
    DataVersion CurrentDataVersion() const { return {storage_.get(), storage_->version}; }
    // False while the table's file holds the rows as they are (read from it or
    // last written to it by SaveToFile, and still there), so that an unchanged
    // table is not written again; a table never read from its file counts as
    // changed.
    bool ChangedSinceFile() const;
    // A copy of the stored fields and rows as the file keeps them, to be
    // written elsewhere (on another thread) while the table goes on.
    std::shared_ptr<const TableStorage> Snapshot() const;
    // The same in pieces, for a large table copied over several main-thread
    // turns: the fields and file values without rows, then rows [from,
    // from + count) appended; returns how many were copied. The pieces make
    // one copy only while CurrentDataVersion stays the same.
    std::shared_ptr<TableStorage> SnapshotHead() const;
    size_t SnapshotRows(TableStorage& into, size_t from, size_t count) const;

    // --- Fields ---
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    Field& FieldAt(int index);
    Field& FieldByName(std::string_view name);
    Field* FindField(std::string_view name);
    // -1 when there is no such field; the name ignores letter case.
    int FieldIndex(std::string_view name) const;

    // --- Navigation ---
    void First();
    void Last();
    void Next();
    void Prior();
    // Moves by `count` rows, stopping at either end; returns how far it moved.
    int MoveBy(int count);
    bool Eof();
    bool Bof();
    // 1-based position of the current row in the current order; 0 when empty.
    int RecNo();
    Bookmark GetBookmark();
    bool BookmarkValid(Bookmark bookmark);
    // Returns false (and stays) when the row is gone or hidden.
    bool GotoBookmark(Bookmark bookmark);

    // --- Locate ---
    // Moves to the first row in the current order whose field equals `value`.
    bool Locate(std::string_view fieldName, const Value& value,
                CaseSensitivity sensitivity = CaseSensitivity::Sensitive);
    // The `resultField` of the first row (natural order) whose `keyField`
    // equals `key`, without moving the cursor; empty when there is none.
    Value Lookup(std::string_view keyField, const Value& key, std::string_view resultField);

    // --- Order ---
    // Sorts ascending by the fields named (separated by ';'); "" for natural order.
    void SetIndexFieldNames(std::string fields);
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void AddIndex(IndexDef index);
    void DeleteIndex(std::string_view name);
    // Chooses a named index; "" for natural order.
    void SetIndexName(std::string name);
    const std::string& IndexName() const { return indexName_; }
    const std::vector<IndexDef>& Indexes() const { return indexes_; }

    // --- Filter ---
    // Sets the filter expression; an invalid expression raises EDatabaseError
    // and leaves the previous filter.
    void SetFilter(std::string expression);
    const std::string& Filter() const { return filterText_; }
    void SetFiltered(bool filtered);
    bool Filtered() const { return filtered_; }
    void SetFilterOptions(FilterOptions options);
    FilterOptions GetFilterOptions() const { return filterOptions_; }

    // --- Master link and clones ---
    // Limits the rows to those whose `indexField` equals the current row's
    // `masterField` of `master`, following it as it moves. nullptr ends the
    // link; so does the master's destruction.
    void SetMasterSource(Table* master, std::string masterField = {}, std::string indexField = {});
    // Makes this table a second cursor over `source`'s rows, with the same
    // order and filter to start with; changes through either show in both.
    void CloneCursor(Table& source);

    // --- Display ---
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return controlsDisabled_ > 0; }
    void AddObserver(TableObserver& observer);
    // `listener` hears every row change through any cursor over these rows
    // (nullptr: none). One listener per set of rows.
    void SetRowChangeListener(RowChangeListener* listener) { storage_->rowListener = listener; }
    // Whether this table or a cursor over the same rows is editing or
    // inserting a row.
    bool AnyCursorEditing() const;
    void RemoveObserver(TableObserver& observer);

    // --- Rules and tag ---
    TableHooks hooks;
    int Tag = 0;

private:
    friend class Field;
    // Follows the master table: every move or change there re-limits the detail.
    class MasterLink final : public TableObserver {
    public:
        explicit MasterLink(Table& detail) : detail_(detail) {}
        void TableDataChanged(Table&) override { detail_.RestartView(); }
        void TableScrolled(Table&) override { detail_.RestartView(); }

    private:
        Table& detail_;
    };
    struct SortKey {
        int field;
        SortDirection direction;
        CaseSensitivity caseSensitivity;
    };
    enum class NewRow { Append, Insert };

    void RebuildFields();
    void CheckActive() const;
    void CheckBrowseMode();
    void Sync();
    void RebuildView();
    void SortView();
    void StorageChanged();
    bool Visible(const TableRow& row) const;
    bool RowBefore(const TableRow& a, const TableRow& b) const;
    void PlaceInView(TableRow* row, size_t fallback);
    void SetOrder(std::vector<SortKey> order);
    std::vector<SortKey> ParseSortFields(const std::string& fields, SortDirection direction,
                                         CaseSensitivity sensitivity) const;
    void StartNewRow(NewRow where);
    void ClearRows();
    void Activate();
    void Deactivate();
    void AdoptLoaded(TableStorage&& loaded);
    TableStorage ReadFitting(const std::string& path) const;
    TableRow* CurrentRow();
    void MoveTo(int position);
    void Scrolled();
    void NotifyDataChanged();
    void NotifyStateChanged();
    void RestartView();
    Value ReadValue(int field);
    void WriteValue(int field, const Value& value);
    Value CalculatedValue(int field);
    Value LookupValue(int field);
    Value MasterKey() const;

    std::string name_;
    std::shared_ptr<TableStorage> storage_;
    std::vector<Field> fields_;
    std::string fileName_;
    WriteOnClose writeOnClose_ = WriteOnClose::Yes;
    DataVersion fileVersion_;
    TableState state_ = TableState::Inactive;

    std::vector<TableRow*> view_;
    uint64_t viewVersion_ = 0;
    bool viewDirty_ = true;
    int pos_ = -1;
    Bookmark current_ = 0; // the row at pos_, kept apart from the view
    bool eof_ = true;
    bool bof_ = true;

    std::vector<Value> buffer_; // the row being edited or inserted
    NewRow newRow_ = NewRow::Append;
    Bookmark editing_ = 0;

    std::vector<Value> calcBuffer_;
    Bookmark calcRow_ = 0;
    uint64_t calcVersion_ = 0;
    const std::vector<Value>* calcSource_ = nullptr;

    std::vector<SortKey> order_;
    std::string indexFieldNames_;
    std::string indexName_;
    std::vector<IndexDef> indexes_;

    std::string filterText_;
    bool filtered_ = false;
    FilterOptions filterOptions_;
    std::unique_ptr<FilterExpression> filter_;

    Table* master_ = nullptr;
    std::vector<Table*> details_; // tables linked to this one as their master
    std::string masterField_;
    int detailField_ = -1;
    std::unique_ptr<MasterLink> masterLink_;

    std::vector<TableObserver*> observers_;
    int controlsDisabled_ = 0;
    bool dataChangedWhileDisabled_ = false;

    struct MaxCache {
        int field = -1;
        uint64_t version = 0;
        int64_t value = 0;
    } maxCache_;

    // Lookup cache: the first row for each key text of one key field.
    struct LookupCache;
    std::unique_ptr<LookupCache> lookupCache_;
};

} // namespace corvane
