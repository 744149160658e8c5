#include "library/ui/GroupedGridModel.h"

#include <QFont>

namespace corvane {

GroupedGridModel::GroupedGridModel(TableGridModel& rows, QObject* parent)
    : QAbstractProxyModel(parent), rows_(rows) {
    setSourceModel(&rows_);
    regroup_.setSingleShot(true);
    regroup_.setInterval(0);
    connect(&regroup_, &QTimer::timeout, this, &GroupedGridModel::RegroupChangedRows);
    grouping_.Regroup(rows_.rowCount(), {});
    connect(&rows_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        beginResetModel();
        resetting_ = true;
    });
    connect(&rows_, &QAbstractItemModel::modelReset, this, [this] { SourceReset(); });
    connect(&rows_, &QAbstractItemModel::dataChanged, this, &GroupedGridModel::SourceDataChanged);
    connect(&rows_, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    connect(&rows_, &TableGridModel::CurrentRowMoved, this, [this](int sourceRow) {
        // The grid follows a title the cursor moved to (a search, a new
        // title) into its collapsed groups; a row that merely stays current
        // while the table changes does not open its groups again.
        if (sourceRow != currentSourceRow_) {
            currentSourceRow_ = sourceRow;
            if (sourceRow >= 0 && grouping_.LineOfRow(sourceRow) < 0)
                ChangeLines([&](GridGrouping& next) { next.Reveal(sourceRow); });
        }
        emit CurrentRowMoved(grouping_.LineOfRow(sourceRow));
    });
}

GridGrouping::CellReader GroupedGridModel::Cells() const {
    return [this](int row, int column) {
        return rows_.data(rows_.index(row, column), Qt::DisplayRole).toString().toStdString();
    };
}

void GroupedGridModel::SourceReset() {
    regroup_.stop();
    grouping_.Regroup(rows_.rowCount(), Cells());
    resetting_ = false;
    endResetModel();
}

void GroupedGridModel::SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    if (resetting_ || rowCount() == 0)
        return;
    if (!grouping_.Active()) {
        emit dataChanged(index(topLeft.row(), topLeft.column()),
                         index(bottomRight.row(), bottomRight.column()));
        return;
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    // Changed values may move titles to other groups. One change of a title
    // is announced more than once (the row, then the table leaving edit):
    // they are regrouped together, once the announcements are over.
    regroup_.start();
}

void GroupedGridModel::RegroupChangedRows() {
    if (grouping_.Active())
        ShowLines(grouping_.Regrouped(rows_.rowCount(), Cells()));
}

void GroupedGridModel::ChangeLines(const std::function<void(GridGrouping& next)>& change) {
    GridGrouping next = grouping_;
    change(next);
    ShowLines(std::move(next));
}

void GroupedGridModel::ShowLines(GridGrouping next) {
    if (next.LineCount() != grouping_.LineCount()) {
        // Lines came or went: the view starts afresh.
        beginResetModel();
        grouping_ = std::move(next);
        endResetModel();
        return;
    }
    // The same number of lines, rearranged: the view's current row and
    // selection stay on what they showed.
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& shown : before) {
        const int line = next.LineOfKey(grouping_.LineKey(shown.row()));
        after.push_back(line >= 0 ? createIndex(line, shown.column()) : QModelIndex());
    }
    grouping_ = std::move(next);
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void GroupedGridModel::GroupBy(int column) {
    if (column < 0 || column >= columnCount())
        return;
    beginResetModel();
    const bool added = grouping_.AddColumn(column, Cells());
    endResetModel();
    if (added)
        emit GroupingChanged();
}

void GroupedGridModel::Ungroup(int column) {
    beginResetModel();
    const bool removed = grouping_.RemoveColumn(column, Cells());
    endResetModel();
    if (removed)
        emit GroupingChanged();
}

void GroupedGridModel::ClearGrouping() {
    if (!grouping_.Active())
        return;
    beginResetModel();
    grouping_.Clear();
    endResetModel();
    emit GroupingChanged();
}

bool GroupedGridModel::IsExpanded(int row) const {
    const GridGrouping::Line line = grouping_.LineAt(row);
    return line.group >= 0 && grouping_.GroupAt(line.group).expanded;
}

void GroupedGridModel::SetExpanded(int row, bool expanded) {
    if (!IsGroupRow(row) || IsExpanded(row) == expanded)
        return;
    const int beneath = grouping_.LinesBeneath(row);
    if (beneath > 0) {
        if (expanded)
            beginInsertRows({}, row + 1, row + beneath);
        else
            beginRemoveRows({}, row + 1, row + beneath);
    }
    grouping_.SetExpanded(row, expanded);
    if (beneath > 0) {
        if (expanded)
            endInsertRows();
        else
            endRemoveRows();
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {ExpandedRole});
}

void GroupedGridModel::SetAllExpanded(bool expanded) {
    if (grouping_.Active())
        ChangeLines([&](GridGrouping& next) { next.SetAllExpanded(expanded); });
}

Bookmark GroupedGridModel::BookmarkAt(int row) const {
    const int sourceRow = grouping_.LineAt(row).sourceRow;
    return sourceRow >= 0 ? rows_.BookmarkAt(sourceRow) : 0;
}

std::vector<Bookmark> GroupedGridModel::Bookmarks(const QModelIndexList& indexes) const {
    QModelIndexList titles;
    for (const QModelIndex& shown : indexes)
        if (const QModelIndex title = mapToSource(shown); title.isValid())
            titles.push_back(title);
    return rows_.Bookmarks(titles);
}

void GroupedGridModel::MakeCurrent(int row) {
    if (const int sourceRow = grouping_.LineAt(row).sourceRow; sourceRow >= 0)
        rows_.MakeCurrent(sourceRow);
}

int GroupedGridModel::RevealCurrentRow() {
    const int sourceRow = rows_.CurrentRow();
    if (sourceRow >= 0 && grouping_.LineOfRow(sourceRow) < 0)
        ChangeLines([&](GridGrouping& next) { next.Reveal(sourceRow); });
    return grouping_.LineOfRow(sourceRow);
}

QModelIndex GroupedGridModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex GroupedGridModel::parent(const QModelIndex&) const {
    return {};
}

QModelIndex GroupedGridModel::sibling(int row, int column, const QModelIndex&) const {
    return index(row, column);
}

int GroupedGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grouping_.LineCount();
}

int GroupedGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.columnCount();
}

bool GroupedGridModel::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid() && rowCount() > 0;
}

QModelIndex GroupedGridModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.model() != this)
        return {};
    const int sourceRow = grouping_.LineAt(proxyIndex.row()).sourceRow;
    return sourceRow >= 0 ? rows_.index(sourceRow, proxyIndex.column()) : QModelIndex();
}

QModelIndex GroupedGridModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid())
        return {};
    const int line = grouping_.LineOfRow(sourceIndex.row());
    return line >= 0 ? index(line, sourceIndex.column()) : QModelIndex();
}

QVariant GroupedGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const GridGrouping::Line line = grouping_.LineAt(index.row());
    if (line.group < 0)
        return role == GroupLevelRole || role == ExpandedRole ? QVariant()
                                                              : rows_.data(mapToSource(index), role);
    const GridGrouping::Group& group = grouping_.GroupAt(line.group);
    switch (role) {
    case GroupLevelRole:
        return group.level;
    case ExpandedRole:
        return group.expanded;
    case Qt::FontRole: {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::DisplayRole: {
        if (index.column() != 0)
            return QString();
        const int column = grouping_.Columns()[static_cast<size_t>(group.level)];
        const QString value = group.value.empty() ? QString("(empty)") : QString::fromStdString(group.value);
        return QString("%1: %2 (%3)")
            .arg(rows_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), value)
            .arg(group.rows);
    }
    default:
        return {};
    }
}

QVariant GroupedGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return orientation == Qt::Horizontal ? rows_.headerData(section, orientation, role) : QVariant();
}

Qt::ItemFlags GroupedGridModel::flags(const QModelIndex& index) const {
    if (index.isValid() && IsGroupRow(index.row()))
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return rows_.flags(mapToSource(index));
}

} // namespace corvane
