#include "rack/ui/EditableGridModel.h"

#include "platform/ExceptionGuard.h"

#include <algorithm>

namespace corvane {

EditableGridModel::EditableGridModel(Table& table, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(table.Name() + "Grid"), columns_(std::move(columns)) {
    table_.AddObserver(*this);
    Reload();
}

EditableGridModel::~EditableGridModel() {
    table_.RemoveObserver(*this);
}

int EditableGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int EditableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant EditableGridModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() || index.row() >= rowCount() ||
        index.column() >= columnCount())
        return {};
    return cells_[static_cast<size_t>(index.row())].value(index.column());
}

bool EditableGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    bool written = false;
    Guarded(table_.Name(), [&] {
        if (!table_.GotoBookmark(bookmarks_[static_cast<size_t>(index.row())]))
            return;
        table_.Edit();
        try {
            table_.FieldByName(columns_[static_cast<size_t>(index.column())].field.toStdString())
                .SetAsString(value.toString().toStdString());
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

QVariant EditableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= columnCount())
        return {};
    return columns_[static_cast<size_t>(section)].header;
}

Qt::ItemFlags EditableGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() < columnCount() &&
        columns_[static_cast<size_t>(index.column())].editable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

void EditableGridModel::MakeCurrent(int row) {
    if (row < 0 || row >= rowCount() || table_.State() != TableState::Browse)
        return;
    Guarded(table_.Name(), [&] { table_.GotoBookmark(bookmarks_[static_cast<size_t>(row)]); });
}

int EditableGridModel::CurrentRow() {
    if (!table_.Active() || table_.IsEmpty())
        return -1;
    const auto found = std::find(bookmarks_.begin(), bookmarks_.end(), table_.GetBookmark());
    return found == bookmarks_.end() ? -1 : static_cast<int>(found - bookmarks_.begin());
}

void EditableGridModel::TableDataChanged(Table&) {
    Reload();
}

void EditableGridModel::Reload() {
    beginResetModel();
    bookmarks_.clear();
    cells_.clear();
    Guarded(table_.Name(), [&] {
        if (!table_.Active())
            return;
        rows_.CloneCursor(table_);
        for (rows_.First(); !rows_.Eof(); rows_.Next()) {
            QStringList cells;
            for (const GridColumn& column : columns_) {
                const Field* field = rows_.FindField(column.field.toStdString());
                cells << (field ? QString::fromStdString(field->AsString()) : QString());
            }
            bookmarks_.push_back(rows_.GetBookmark());
            cells_.push_back(std::move(cells));
        }
    });
    endResetModel();
}

} // namespace corvane
