#include "console/ui/ScheduleGridModel.h"

#include "console/ui/GridColumns.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>

namespace corvane {

ScheduleGridModel::ScheduleGridModel(Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    table_.AddObserver(*this);
    Reload();
}

ScheduleGridModel::~ScheduleGridModel() {
    table_.RemoveObserver(*this);
}

int ScheduleGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int ScheduleGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fieldNames_.size());
}

QVariant ScheduleGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(cells_.size()))
        return {};
    return cells_[static_cast<size_t>(index.row())].value(index.column());
}

QVariant ScheduleGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return headers_.value(section);
}

// Rows are replaced without a model reset while the columns stay the same, so
// the grid keeps the operator's column order, widths and hidden columns.
void ScheduleGridModel::Reload() {
    const GridColumns columns = GridColumns::Of(table_.FieldDefinitions());
    const QStringList& fieldNames = columns.fieldNames;
    const QStringList& headers = columns.headers;
    const std::vector<int>& shown = columns.fieldIndexes;
    std::vector<Bookmark> bookmarks;
    std::vector<QStringList> cells;
    if (table_.Active()) {
        Guarded("dxgSchedule", [&] {
            Table rows(table_.Name() + "Grid");
            rows.CloneCursor(table_);
            for (rows.First(); !rows.Eof(); rows.Next()) {
                QStringList line;
                for (int field : shown)
                    line << QString::fromStdString(rows.FieldAt(field).AsString());
                bookmarks.push_back(rows.GetBookmark());
                cells.push_back(std::move(line));
            }
        });
    }
    if (fieldNames != fieldNames_) {
        beginResetModel();
        fieldNames_ = fieldNames;
        headers_ = headers;
        bookmarks_ = std::move(bookmarks);
        cells_ = std::move(cells);
        endResetModel();
        emit CurrentRowMoved(CurrentRow());
        return;
    }
    if (!cells_.empty()) {
        beginRemoveRows({}, 0, static_cast<int>(cells_.size()) - 1);
        bookmarks_.clear();
        cells_.clear();
        endRemoveRows();
    }
    if (!cells.empty()) {
        beginInsertRows({}, 0, static_cast<int>(cells.size()) - 1);
        bookmarks_ = std::move(bookmarks);
        cells_ = std::move(cells);
        endInsertRows();
    }
    // The rows were replaced: the grid follows the table's cursor again (a
    // moved or pasted row stays the current one).
    emit CurrentRowMoved(CurrentRow());
}

Bookmark ScheduleGridModel::BookmarkAt(int row) const {
    return row >= 0 && row < static_cast<int>(bookmarks_.size()) ? bookmarks_[static_cast<size_t>(row)] : 0;
}

int ScheduleGridModel::CurrentRow() {
    if (!table_.Active() || table_.IsEmpty())
        return -1;
    const auto it = std::find(bookmarks_.begin(), bookmarks_.end(), table_.GetBookmark());
    return it == bookmarks_.end() ? -1 : static_cast<int>(it - bookmarks_.begin());
}

void ScheduleGridModel::MakeCurrent(int row) {
    if (row < 0 || row >= static_cast<int>(bookmarks_.size()) || !table_.Active())
        return;
    Guarded("dxgSchedule", [&] { table_.GotoBookmark(bookmarks_[static_cast<size_t>(row)]); });
}

void ScheduleGridModel::TableDataChanged(Table&) {
    Reload();
}

void ScheduleGridModel::TableScrolled(Table&) {
    emit CurrentRowMoved(CurrentRow());
}

void ScheduleGridModel::TableStateChanged(Table&) {
    // The row being edited shows its posted values once the table is back in browse mode.
    if (table_.State() == TableState::Browse)
        Reload();
}

} // namespace corvane
