#include "playlists/ui/TitleColumnModel.h"

#include "platform/ExceptionGuard.h"

#include <QMimeData>

namespace corvane {

TitleColumnModel::TitleColumnModel(Table& table, QString fieldName, QString header, QObject* parent)
    : QAbstractListModel(parent), table_(table), rows_(table.Name() + "Column"),
      fieldName_(std::move(fieldName)), header_(std::move(header)) {
    table_.AddObserver(*this);
    Reload();
}

TitleColumnModel::~TitleColumnModel() {
    table_.RemoveObserver(*this);
}

int TitleColumnModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

bool TitleColumnModel::MoveTo(int row) const {
    if (row < 0 || row >= rowCount_ || !rows_.Active())
        return false;
    rows_.MoveBy(row - (rows_.RecNo() - 1));
    return rows_.RecNo() - 1 == row;
}

QVariant TitleColumnModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    QVariant value;
    Guarded(table_.Name(), [&] {
        if (MoveTo(index.row()))
            value = QString::fromStdString(rows_.FieldByName(fieldName_.toStdString()).AsString());
    });
    return value;
}

QVariant TitleColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section != 0)
        return {};
    return header_;
}

Qt::ItemFlags TitleColumnModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractListModel::flags(index);
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags | Qt::ItemIsDropEnabled;
}

QStringList TitleColumnModel::mimeTypes() const {
    return {TitleRowsMimeType};
}

QMimeData* TitleColumnModel::mimeData(const QModelIndexList&) const {
    auto* mime = new QMimeData;
    mime->setData(TitleRowsMimeType, {});
    return mime;
}

Bookmark TitleColumnModel::BookmarkAt(int row) const {
    return MoveTo(row) ? rows_.GetBookmark() : 0;
}

int TitleColumnModel::CurrentRow() const {
    if (!table_.Active() || table_.IsEmpty())
        return -1;
    return table_.RecNo() - 1;
}

void TitleColumnModel::MakeCurrent(int row) {
    const Bookmark bookmark = BookmarkAt(row);
    if (bookmark && table_.State() == TableState::Browse)
        Guarded(table_.Name(), [&] { table_.GotoBookmark(bookmark); });
}

void TitleColumnModel::TableDataChanged(Table&) {
    Reload();
}

// The table may have been opened, closed, emptied, re-sorted or filtered: the
// second cursor is made afresh with its order and filter.
void TitleColumnModel::Reload() {
    int count = 0;
    Guarded(table_.Name(), [&] {
        rows_.CloneCursor(table_);
        count = rows_.Active() ? rows_.RecordCount() : 0;
    });
    if (count != rowCount_) {
        beginResetModel();
        rowCount_ = count;
        endResetModel();
        return;
    }
    if (rowCount_ > 0)
        emit dataChanged(index(0, 0), index(rowCount_ - 1, 0));
}

} // namespace corvane
