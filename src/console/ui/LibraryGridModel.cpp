#include "console/ui/LibraryGridModel.h"

#include "console/ui/GridColumns.h"
#include "console/ui/LibraryRowsMime.h"
#include "platform/ExceptionGuard.h"

#include <QMimeData>
#include <algorithm>
#include <set>

namespace corvane {

LibraryGridModel::LibraryGridModel(Table& library, QObject* parent)
    : QAbstractTableModel(parent), library_(library), rows_(library.Name() + "Grid") {
    library_.AddObserver(*this);
    Reload();
}

LibraryGridModel::~LibraryGridModel() {
    library_.RemoveObserver(*this);
}

int LibraryGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int LibraryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fieldNames_.size());
}

bool LibraryGridModel::MoveTo(int row) const {
    if (row < 0 || row >= rowCount_ || !rows_.Active())
        return false;
    rows_.MoveBy(row - (rows_.RecNo() - 1));
    return rows_.RecNo() - 1 == row;
}

QVariant LibraryGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() ||
        index.column() >= static_cast<int>(fieldIndexes_.size()))
        return {};
    QVariant value;
    Guarded("dxgSpeedSearch", [&] {
        if (MoveTo(index.row()))
            value = QString::fromStdString(
                rows_.FieldAt(fieldIndexes_[static_cast<size_t>(index.column())]).AsString());
    });
    return value;
}

QVariant LibraryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return headers_.value(section);
}

Qt::ItemFlags LibraryGridModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

QStringList LibraryGridModel::mimeTypes() const {
    return {LibraryRowsMimeType};
}

QMimeData* LibraryGridModel::mimeData(const QModelIndexList& indexes) const {
    return LibraryRowsMimeData(Bookmarks(indexes)).release();
}

Bookmark LibraryGridModel::BookmarkAt(int row) const {
    return MoveTo(row) ? rows_.GetBookmark() : 0;
}

std::vector<Bookmark> LibraryGridModel::Bookmarks(const QModelIndexList& indexes) const {
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

void LibraryGridModel::MakeCurrent(int row) {
    const Bookmark bookmark = BookmarkAt(row);
    if (bookmark && library_.State() == TableState::Browse)
        Guarded("dxgSpeedSearch", [&] { library_.GotoBookmark(bookmark); });
}

void LibraryGridModel::TableDataChanged(Table&) {
    Reload();
}

// The library may have been opened, reloaded, re-sorted or filtered since: the
// second cursor is made afresh with the table's order and filter, so the grid
// shows what the library's cursor shows. Rows that only changed keep the
// grid's selection.
void LibraryGridModel::Reload() {
    GridColumns columns = GridColumns::Of(library_.FieldDefinitions());
    int count = 0;
    Guarded("dxgSpeedSearch", [&] {
        rows_.CloneCursor(library_);
        count = rows_.Active() ? rows_.RecordCount() : 0;
    });
    if (columns.fieldNames != fieldNames_ || count != rowCount_) {
        beginResetModel();
        fieldNames_ = columns.fieldNames;
        headers_ = columns.headers;
        fieldIndexes_ = std::move(columns.fieldIndexes);
        rowCount_ = count;
        endResetModel();
        return;
    }
    if (rowCount_ > 0)
        emit dataChanged(index(0, 0), index(rowCount_ - 1, static_cast<int>(fieldNames_.size()) - 1));
}

} // namespace corvane
