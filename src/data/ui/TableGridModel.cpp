#include "data/ui/TableGridModel.h"

#include "data/ui/CellText.h"
#include "platform/ExceptionGuard.h"

#include <QMimeData>
#include <set>

namespace corvane {

TableGridModel::TableGridModel(Table& table, std::vector<GridColumn> columns, QObject* parent, RowDrag drag)
    : QAbstractTableModel(parent), table_(table), rows_(table.Name() + "Grid"),
      requested_(std::move(columns)), drag_(std::move(drag)) {
    table_.AddObserver(*this);
    Reload();
}

TableGridModel::~TableGridModel() {
    table_.RemoveObserver(*this);
}

int TableGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int TableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fields_.size());
}

bool TableGridModel::MoveTo(int row) const {
    if (row < 0 || row >= rowCount_ || !rows_.Active())
        return false;
    rows_.MoveBy(row - (rows_.RecNo() - 1));
    return rows_.RecNo() - 1 == row;
}

QVariant TableGridModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() ||
        index.column() >= static_cast<int>(fieldIndexes_.size()))
        return {};
    QVariant value;
    Guarded(table_.Name().c_str(), [&] {
        const int field = fieldIndexes_[static_cast<size_t>(index.column())];
        if (field >= 0 && MoveTo(index.row()))
            value = role == Qt::DisplayRole ? CellText(rows_.FieldAt(field).AsString())
                                            : QString::fromStdString(rows_.FieldAt(field).AsString());
    });
    return value;
}

bool TableGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const Bookmark bookmark = BookmarkAt(index.row());
    bool written = false;
    Guarded(table_.Name().c_str(), [&] {
        const int field = fieldIndexes_[static_cast<size_t>(index.column())];
        if (field < 0 || !bookmark || table_.State() != TableState::Browse || !table_.GotoBookmark(bookmark))
            return;
        table_.Edit();
        try {
            table_.FieldAt(field).SetAsString(value.toString().toStdString());
            table_.Post();
        } catch (...) {
            table_.Cancel();
            throw;
        }
        written = true;
    });
    if (written)
        emit RowEdited();
    return written;
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return captions_.value(section);
}

Qt::ItemFlags TableGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid())
        return drag_.acceptsDrops ? flags | Qt::ItemIsDropEnabled : flags;
    if (drag_.pack)
        flags |= Qt::ItemIsDragEnabled;
    if (index.column() < static_cast<int>(editable_.size()) && editable_[static_cast<size_t>(index.column())])
        flags |= Qt::ItemIsEditable;
    return flags;
}

QStringList TableGridModel::mimeTypes() const {
    return drag_.pack || drag_.acceptsDrops ? QStringList{drag_.mimeType} : QStringList{};
}

QMimeData* TableGridModel::mimeData(const QModelIndexList& indexes) const {
    if (!drag_.pack)
        return nullptr;
    return drag_.pack(Bookmarks(indexes)).release();
}

void TableGridModel::SetCaption(int column, const QString& caption) {
    if (column < 0 || column >= captions_.size())
        return;
    captions_[column] = caption;
    customCaptions_.insert(fields_[column], caption);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

Bookmark TableGridModel::BookmarkAt(int row) const {
    return MoveTo(row) ? rows_.GetBookmark() : 0;
}

int TableGridModel::CurrentRow() const {
    if (!table_.Active() || table_.IsEmpty())
        return -1;
    return table_.RecNo() - 1;
}

std::vector<Bookmark> TableGridModel::Bookmarks(const QModelIndexList& indexes) const {
    std::set<int> gridRows;
    for (const QModelIndex& index : indexes)
        if (index.isValid())
            gridRows.insert(index.row());
    std::vector<Bookmark> bookmarks;
    for (const int row : gridRows)
        if (const Bookmark b = BookmarkAt(row))
            bookmarks.push_back(b);
    return bookmarks;
}

void TableGridModel::MakeCurrent(int row) {
    const Bookmark bookmark = BookmarkAt(row);
    if (bookmark && table_.State() == TableState::Browse && bookmark != table_.GetBookmark())
        Guarded(table_.Name().c_str(), [&] { table_.GotoBookmark(bookmark); });
}

void TableGridModel::TableDataChanged(Table&) {
    Reload();
}

void TableGridModel::TableScrolled(Table&) {
    emit CurrentRowMoved(CurrentRow());
}

void TableGridModel::TableStateChanged(Table&) {
    // An edited or inserted row shows its new values once posted; a new row
    // in insert state is not among the stored rows yet.
    if (table_.State() == TableState::Browse)
        Reload();
}

// The table may have been opened, reloaded, re-sorted or filtered since: the
// second cursor is made afresh with the table's order and filter, so the grid
// shows what the table's cursor shows. Rows that only changed keep the
// grid's selection.
void TableGridModel::Reload() {
    QStringList fields, captions;
    std::vector<bool> editable;
    std::vector<int> indexes;
    int count = 0;
    const auto add = [&](const QString& name, const QString& label, bool canEdit, int index) {
        fields.push_back(name);
        captions.push_back(customCaptions_.value(name, label));
        editable.push_back(canEdit);
        indexes.push_back(index);
    };
    Guarded(table_.Name().c_str(), [&] {
        if (rows_.Active())
            rows_.Close();
        if (!table_.Active())
            return;
        rows_.CloneCursor(table_);
        count = rows_.RecordCount();
        rows_.First();
    });
    const FieldDefs& defs = table_.FieldDefinitions();
    const auto labelOf = [&](int index) {
        const FieldDef& def = defs[static_cast<size_t>(index)];
        return QString::fromStdString(def.displayLabel.empty() ? def.name : def.displayLabel);
    };
    if (requested_.empty()) {
        for (int i = 0; i < static_cast<int>(defs.size()); ++i)
            if (!defs[static_cast<size_t>(i)].hidden)
                add(QString::fromStdString(defs[static_cast<size_t>(i)].name), labelOf(i), false, i);
    } else {
        // Named columns stay while the table is closed, so a window can lay
        // out its grid before the table opens.
        for (const GridColumn& column : requested_) {
            const int i = table_.FieldIndex(column.field.toStdString());
            const QString label = !column.header.isEmpty() ? column.header
                                  : i >= 0                 ? labelOf(i)
                                                           : column.field;
            add(column.field, label, column.editable, i);
        }
    }
    if (fields != fields_ || count != rowCount_) {
        beginResetModel();
        fields_ = fields;
        captions_ = captions;
        editable_ = std::move(editable);
        fieldIndexes_ = std::move(indexes);
        rowCount_ = count;
        endResetModel();
    } else if (rowCount_ > 0) {
        emit dataChanged(index(0, 0), index(rowCount_ - 1, static_cast<int>(fields_.size()) - 1));
    }
    emit CurrentRowMoved(CurrentRow());
}

} // namespace corvane
