#pragma once

#include "data/ui/TableGridModel.h"
#include "library/GridGrouping.h"

#include <QAbstractProxyModel>
#include <QTimer>

namespace corvane {

// A table grid with its rows grouped by columns the operator chose (the
// group-by panel): group rows ("Artist: ABBA (12)") over the rows of the
// expanded groups, through GridGrouping. Without a grouping column it shows
// the table grid's rows as they are and costs nothing. The grouping is read
// when it is asked for and again when the table's rows change (a change of
// values once the event loop is back, so that the announcements of one
// change make one regrouping), never while the grid only scrolls. Its helpers answer in its own rows what the
// table grid answers in its rows. Main thread.
class GroupedGridModel final : public QAbstractProxyModel {
    Q_OBJECT
public:
    // A group row's depth (0 outermost) for every column; nothing for a title row.
    static constexpr int GroupLevelRole = Qt::UserRole + 40;
    // Whether a group row is expanded.
    static constexpr int ExpandedRole = Qt::UserRole + 41;

    GroupedGridModel(TableGridModel& rows, QObject* parent);

    TableGridModel& Rows() const { return rows_; }

    // The grouping columns, outermost first; a column is added innermost.
    const std::vector<int>& GroupColumns() const { return grouping_.Columns(); }
    void GroupBy(int column);
    void Ungroup(int column);
    void ClearGrouping();
    bool IsGroupRow(int row) const { return grouping_.IsGroupLine(row); }
    bool IsExpanded(int row) const;
    void SetExpanded(int row, bool expanded);
    void SetAllExpanded(bool expanded);

    // As TableGridModel's, in this model's rows (a group row has no title).
    QString ColumnField(int column) const { return rows_.ColumnField(column); }
    Bookmark BookmarkAt(int row) const;
    std::vector<Bookmark> Bookmarks(const QModelIndexList& indexes) const;
    void MakeCurrent(int row);
    // The row of the table's current title, its groups expanded to show it; -1 when none.
    int RevealCurrentRow();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& idx) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The table's cursor moved to another title, shown at `row` (-1: none).
    void CurrentRowMoved(int row);
    // The grouping columns changed.
    void GroupingChanged();

private:
    GridGrouping::CellReader Cells() const;
    // Changes the lines through a copy of the grouping, then shows them.
    void ChangeLines(const std::function<void(GridGrouping& next)>& change);
    // Shows new lines: as a layout change that keeps the view's current row
    // and selection on what they showed, or, when the number of lines
    // changes, as a reset.
    void ShowLines(GridGrouping next);
    void SourceReset();
    void SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void RegroupChangedRows();

    TableGridModel& rows_;
    GridGrouping grouping_;
    QTimer regroup_;
    bool resetting_ = false;
    int currentSourceRow_ = -1;
};

} // namespace corvane
